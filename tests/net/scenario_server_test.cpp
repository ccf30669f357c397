// The scenario server's own behaviour beyond plain answers: held requests, the gate, going away
// with requests held, and the responses it refuses to send.
#include <gtest/gtest.h>

#include "sim/server/scenario_server.h"
#include "tests/net/fetch.h"

namespace pushwren::testing {
namespace {

using sim::ScenarioServer;
using sim::ServedResponse;

ServedResponse body(std::string text) {
  ServedResponse response;
  response.body = std::move(text);
  return response;
}

// Polls, with a bound, for something the server does on its own thread.
template <class Condition>
bool eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class ScenarioServerTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(waitForNoOutsideWork()); }

  std::string url(const std::string& path) const { return "http://" + server_->address() + path; }

  std::promise<void> firstHold_;
  std::atomic<bool> held_{false};
  std::unique_ptr<ScenarioServer> server_ = std::make_unique<ScenarioServer>([this] {
    if (!held_.exchange(true)) firstHold_.set_value();
  });
};

TEST_F(ScenarioServerTest, AHeldRequestIsAnsweredOnRelease_AsServedWhenItArrived) {
  auto held = body("first");
  held.hold = true;
  server_->serve("/held", held);
  auto fetched = startFetch(url("/held"));
  ASSERT_EQ(firstHold_.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(server_->heldRequests(), 1);

  server_->serve("/held", body("second"));
  server_->release("/held");
  EXPECT_EQ(server_->heldRequests(), 0);
  const auto got = await(std::move(fetched));
  ASSERT_FALSE(got.error) << got.error->description;
  EXPECT_EQ(got.body, "first");
  EXPECT_EQ(fetch(url("/held")).body, "second");
}

TEST_F(ScenarioServerTest, AnswersWaitWhileTheGateIsClosed) {
  auto delayed = body("late");
  delayed.delay = std::chrono::milliseconds(20);
  server_->serve("/gated", delayed);
  server_->setGateOpen(false);
  auto fetched = startFetch(url("/gated"));
  ASSERT_TRUE(eventually([&] { return server_->requests("/gated") == 1; }));
  EXPECT_NE(fetched.wait_for(std::chrono::milliseconds(100)), std::future_status::ready);

  server_->setGateOpen(true);
  const auto got = await(std::move(fetched));
  ASSERT_FALSE(got.error) << got.error->description;
  EXPECT_EQ(got.body, "late");
}

TEST_F(ScenarioServerTest, GoingAwayEndsHeldRequestsInAnError) {
  ServedResponse held;
  held.hold = true;
  server_->serve("/held", held);
  auto fetched = startFetch(url("/held"));
  ASSERT_EQ(firstHold_.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  server_.reset();
  EXPECT_TRUE(await(std::move(fetched)).error);
}

TEST(ServedResponseTest, RefusesWhatCannotBeSent) {
  struct Case {
    const char* name;
    ServedResponse response;
    bool servable;
  };
  const auto with = [](auto change) {
    ServedResponse response;
    change(response);
    return response;
  };
  const Case cases[] = {
      {"default", {}, true},
      {"teapot", with([](auto& r) { r.status = 418; }), true},
      {"informational", with([](auto& r) { r.status = 100; }), false},
      {"four digits", with([](auto& r) { r.status = 1000; }), false},
      {"header", with([](auto& r) { r.headers = {{"X-Topic", "news"}}; }), true},
      {"blank in name", with([](auto& r) { r.headers = {{"X Topic", "news"}}; }), false},
      {"empty name", with([](auto& r) { r.headers = {{"", "news"}}; }), false},
      {"line break in value", with([](auto& r) { r.headers = {{"X-Topic", "a\r\nSet-Cookie: b"}}; }), false},
      {"negative delay", with([](auto& r) { r.delay = std::chrono::milliseconds(-1); }), false},
      {"delay over an hour", with([](auto& r) { r.delay = std::chrono::hours(2); }), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(!sim::unservable(c.response).has_value(), c.servable);
  }
}

}  // namespace
}  // namespace pushwren::testing
