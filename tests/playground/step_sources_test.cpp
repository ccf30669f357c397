#include <gtest/gtest.h>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "sim/playground/tab/step_sources.h"

namespace pushwren::sim::playground {
namespace {

struct Call {
  const char* url;
  bool enabled;
  const char* path;
  boost::json::value flag;
};

class BridgeCallSource : public ::testing::TestWithParam<Call> {};

TEST_P(BridgeCallSource, ShowsThePathAsTheRouterReadsItAndWhyNothingMayHappen) {
  const boost::json::object data{{"count", "three"}};
  const auto source = bridgeCallSource("tab-2", GetParam().url, data, GetParam().enabled);
  EXPECT_EQ(source.at("kind"), "bridge");
  EXPECT_EQ(source.at("tab"), "tab-2");
  EXPECT_EQ(source.at("path"), GetParam().path) << GetParam().url;
  EXPECT_EQ(source.at("data"), data);
  EXPECT_EQ(source.at("flag"), GetParam().flag) << GetParam().url;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BridgeCallSource,
    ::testing::Values(Call{"pushwren://onesignal/badge/set", true, "/badge/set", nullptr},
                      Call{"pushwren://onesignal/tags/get/", true, "/tags/get", nullptr},
                      Call{"pushwren://onesignal/tags/%73et", true, "/tags/set", nullptr},
                      Call{"pushwren://onesignal/tags/sett", true, "/tags/sett", "unknown command"},
                      Call{"pushwren://onesignal/Register", true, "/Register", "unknown command"},
                      Call{"pushwren://onesignal/register", false, "/register", "plugin switched off: ignored"},
                      Call{"https://example.com/page", true, "https://example.com/page", "not a bridge URL"},
                      Call{"%%%", true, "%%%", "not a bridge URL"}));

TEST(StepSource, NamesWhoSentIt) {
  const auto step = boost::json::parse(R"({"do":"notificationClick","additionalData":{"a":1}})");
  EXPECT_EQ(boost::json::serialize(stepSource("panel", step)),
            R"({"kind":"step","by":"panel","step":{"do":"notificationClick","additionalData":{"a":1}}})");
  EXPECT_EQ(boost::json::serialize(tabSource("load", "tab-1", "http://127.0.0.1:8080/")),
            R"({"kind":"load","tab":"tab-1","url":"http://127.0.0.1:8080/"})");
}

}  // namespace
}  // namespace pushwren::sim::playground
