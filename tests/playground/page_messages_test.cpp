#include <gtest/gtest.h>

#include <string>

#include <boost/json/parse.hpp>

#include "sim/playground/tab/page_messages.h"

namespace pushwren::sim::playground {
namespace {

TEST(PageMessages, ReadsABridgeRequestWithItsData) {
  const auto parsed =
      parsePageMessage(R"({"type":"bridge","id":7,"url":"pushwren://onesignal/tags/set","data":{"tags":{"a":"1"}}})");
  ASSERT_TRUE(parsed.ok()) << parsed.error();
  const auto& request = std::get<BridgeRequest>(parsed.message());
  EXPECT_EQ(request.id, 7);
  EXPECT_EQ(request.url, "pushwren://onesignal/tags/set");
  EXPECT_EQ(request.data, boost::json::parse(R"({"tags":{"a":"1"}})").get_object());
}

TEST(PageMessages, ABridgeRequestWithoutDataHasEmptyData) {
  for (const auto* text : {R"({"type":"bridge","id":1,"url":"x://onesignal/info"})",
                           R"({"type":"bridge","id":1,"url":"x://onesignal/info","data":null})"}) {
    const auto parsed = parsePageMessage(text);
    ASSERT_TRUE(parsed.ok()) << text;
    EXPECT_TRUE(std::get<BridgeRequest>(parsed.message()).data.empty());
  }
}

TEST(PageMessages, ReadsTheEndOfAPageLoad) {
  const auto parsed = parsePageMessage(R"({"type":"loaded","url":"http://127.0.0.1:1/demo/"})");
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(std::get<NavigationFinished>(parsed.message()).url, "http://127.0.0.1:1/demo/");
}

struct BadMessage {
  const char* text;
  const char* why;
};

class UnreadablePageMessage : public ::testing::TestWithParam<BadMessage> {};

TEST_P(UnreadablePageMessage, SaysWhatIsWrong) {
  const auto parsed = parsePageMessage(GetParam().text);
  ASSERT_FALSE(parsed.ok());
  EXPECT_NE(parsed.error().find(GetParam().why), std::string::npos) << parsed.error();
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnreadablePageMessage,
    ::testing::Values(BadMessage{"", "not JSON"}, BadMessage{"{\"type\":", "not JSON"},
                      BadMessage{"[1,2]", "must be a JSON object"}, BadMessage{"{}", "needs a string \"type\""},
                      BadMessage{R"({"type":3})", "needs a string \"type\""},
                      BadMessage{R"({"type":"launch"})", "unknown message type \"launch\""},
                      BadMessage{R"({"type":"bridge","url":"x://onesignal/info"})", "integer \"id\""},
                      BadMessage{R"({"type":"bridge","id":"7","url":"x://onesignal/info"})", "integer \"id\""},
                      BadMessage{R"({"type":"bridge","id":1.5,"url":"x://onesignal/info"})", "integer \"id\""},
                      BadMessage{R"({"type":"bridge","id":1})", "string \"url\""},
                      BadMessage{R"({"type":"bridge","id":1,"url":{}})", "string \"url\""},
                      BadMessage{R"({"type":"bridge","id":1,"url":"u","data":[1]})", "\"data\" of a bridge message"},
                      BadMessage{R"({"type":"bridge","id":1,"url":"u","data":"a=1"})", "\"data\" of a bridge message"}));

TEST(HostMessages, CarryDataAsJsonThatThePageParses) {
  const auto data = boost::json::parse(R"({"title":"</script><script>alert(1)</script>","n":1})").get_object();
  const auto call = boost::json::parse(callMessage({"a.b", "c"}, data));
  EXPECT_EQ(call, boost::json::parse(R"({"type":"call","functions":["a.b","c"],
      "data":{"title":"</script><script>alert(1)</script>","n":1}})"));
  EXPECT_EQ(boost::json::parse(eventMessage("_tavio_onesignal_push_opened", data)),
            boost::json::parse(R"({"type":"event","name":"_tavio_onesignal_push_opened",
                "data":{"title":"</script><script>alert(1)</script>","n":1}})"));
  EXPECT_EQ(boost::json::parse(navigateMessage("/demo/?a=\"b\"")),
            boost::json::parse(R"({"type":"navigate","url":"/demo/?a=\"b\""})"));
  EXPECT_EQ(boost::json::parse(returnMessage(9, false)), boost::json::parse(R"({"type":"return","id":9,"load":false})"));
  EXPECT_EQ(boost::json::parse(helloMessage("tab-1")), boost::json::parse(R"({"type":"hello","runner":"tab-1"})"));
  EXPECT_EQ(boost::json::parse(noticeMessage("x")), boost::json::parse(R"({"type":"notice","text":"x"})"));
}

}  // namespace
}  // namespace pushwren::sim::playground
