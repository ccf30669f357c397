// The data task against the scenario server on this machine: statuses, redirects, the absence
// of any cache, failed transfers, file URLs, unusable URLs, threads and outside work, and how a
// host without a loop of its own waits for a download.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "pushwren/platform/log.h"
#include "sim/server/scenario_server.h"
#include "tests/net/fetch.h"

namespace pushwren::testing {
namespace {

using sim::ScenarioServer;
using sim::ServedResponse;

ServedResponse answer(int status, std::string body, std::vector<std::pair<std::string, std::string>> headers = {}) {
  ServedResponse response;
  response.status = status;
  response.body = std::move(body);
  response.headers = std::move(headers);
  return response;
}

class URLSessionTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(waitForNoOutsideWork()); }

  std::string url(const std::string& path) const { return "http://" + server_.address() + path; }

  ScenarioServer server_;
};

struct StatusCase {
  const char* name;
  int status;
  const char* body;
};

TEST_F(URLSessionTest, HandsOverStatusAndBodyOfEveryHttpAnswer) {
  const StatusCase cases[] = {
      {"ok", 200, R"({"sections":[]})"}, {"ok-empty", 200, ""}, {"no-content", 204, ""},
      {"not-modified", 304, ""},         {"not-found", 404, "gone"}, {"server-error", 500, "oops"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    server_.serve(std::string("/") + c.name, answer(c.status, c.body));
    const auto got = fetch(url(std::string("/") + c.name));
    ASSERT_FALSE(got.error) << got.error->description;
    ASSERT_TRUE(got.response);
    EXPECT_TRUE(got.response->isHTTP());
    EXPECT_EQ(got.response->statusCode, c.status);
    EXPECT_EQ(got.body, c.body);
  }
}

TEST_F(URLSessionTest, APathNeverServedAnswers404WithAnEmptyBody) {
  const auto got = fetch(url("/nothing-here"));
  ASSERT_FALSE(got.error);
  EXPECT_EQ(got.response->statusCode, 404);
  EXPECT_EQ(got.body, "");
}

TEST_F(URLSessionTest, SendsAPlainGetWithNoHeadersOfItsOwn) {
  server_.serve("/plain", answer(200, "x"));
  ASSERT_FALSE(fetch(url("/plain?lang=en")).error);
  const auto request = server_.lastRequest("/plain");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->method, "GET");
  EXPECT_EQ(request->target, "/plain?lang=en");
  ASSERT_EQ(request->headers.size(), 1u);
  EXPECT_TRUE(request->hasHeader("Host"));
}

TEST_F(URLSessionTest, FollowsARedirect) {
  server_.serve("/old", answer(302, "", {{"Location", "/new"}}));
  server_.serve("/new", answer(200, "moved here"));
  const auto got = fetch(url("/old"));
  ASSERT_FALSE(got.error) << got.error->description;
  EXPECT_EQ(got.response->statusCode, 200);
  EXPECT_EQ(got.response->url, url("/new"));
  EXPECT_EQ(got.body, "moved here");
}

TEST_F(URLSessionTest, ARedirectLoopEndsInAnError) {
  server_.serve("/loop", answer(301, "", {{"Location", "/loop"}}));
  const auto got = fetch(url("/loop"));
  ASSERT_TRUE(got.error);
  EXPECT_FALSE(got.response);
  EXPECT_GT(server_.requests("/loop"), 1);
}

TEST_F(URLSessionTest, NeverAnswersFromACacheEvenWhenTheServerAllowsIt) {
  server_.serve("/cached", answer(200, "v1",
                                  {{"Cache-Control", "public, max-age=3600"},
                                   {"ETag", "\"v1\""},
                                   {"Last-Modified", "Wed, 21 Oct 2015 07:28:00 GMT"}}));
  ASSERT_EQ(fetch(url("/cached")).body, "v1");
  server_.serve("/cached", answer(200, "v2", {{"Cache-Control", "public, max-age=3600"}, {"ETag", "\"v2\""}}));
  EXPECT_EQ(fetch(url("/cached")).body, "v2");

  EXPECT_EQ(server_.requests("/cached"), 2);
  const auto second = server_.lastRequest("/cached");
  ASSERT_TRUE(second);
  EXPECT_FALSE(second->hasHeader("If-None-Match"));
  EXPECT_FALSE(second->hasHeader("If-Modified-Since"));
}

TEST_F(URLSessionTest, AConnectionClosedWithoutAnAnswerIsAnError) {
  ServedResponse dropped;
  dropped.drop = true;
  server_.serve("/drop", dropped);
  const auto got = fetch(url("/drop"));
  ASSERT_TRUE(got.error);
  EXPECT_FALSE(got.response);
}

TEST_F(URLSessionTest, ARefusedConnectionIsAnError) {
  std::string address;
  {
    ScenarioServer gone;
    address = gone.address();
  }
  const auto got = fetch("http://" + address + "/x");
  ASSERT_TRUE(got.error);
  EXPECT_FALSE(got.error->description.empty());
}

TEST_F(URLSessionTest, AServerThatNeverAnswersTimesOut) {
  ServedResponse silent;
  silent.hold = true;
  server_.serve("/silent", silent);
  auto configuration = testConfiguration();
  configuration.timeoutIntervalForRequest = std::chrono::seconds(1);
  const auto got = fetch(url("/silent"), configuration);
  ASSERT_TRUE(got.error);
  EXPECT_NE(got.error->description.find("timed out"), std::string::npos) << got.error->description;
}

TEST_F(URLSessionTest, ABodyOverTheLimitEndsInAnErrorSayingSo) {
  server_.serve("/ten", answer(200, "0123456789"));
  server_.serve("/eleven", answer(200, "0123456789A"));
  auto configuration = testConfiguration();
  configuration.maximumBodyBytes = 10;

  EXPECT_EQ(fetch(url("/ten"), configuration).body, "0123456789");
  const auto got = fetch(url("/eleven"), configuration);
  ASSERT_TRUE(got.error);
  EXPECT_NE(got.error->description.find("too large"), std::string::npos) << got.error->description;
}

TEST_F(URLSessionTest, ABodyOfUnannouncedLengthIsStoppedAtTheLimit) {
  server_.serve("/chunked", answer(200, std::string(100, 'x'), {{"Transfer-Encoding", "chunked"}}));
  auto configuration = testConfiguration();
  configuration.maximumBodyBytes = 99;
  const auto got = fetch(url("/chunked"), configuration);
  ASSERT_TRUE(got.error);
  EXPECT_NE(got.error->description.find("too large"), std::string::npos) << got.error->description;
}

TEST_F(URLSessionTest, AFileUrlGivesAResponseThatIsNotHttp) {
  const auto path = std::filesystem::temp_directory_path() / ("pushwren-net-test-" + std::to_string(::getpid()) + ".json");
  std::ofstream(path) << R"({"sections":[]})";
  const auto got = fetch("file://" + path.string());
  std::filesystem::remove(path);

  ASSERT_FALSE(got.error) << got.error->description;
  ASSERT_TRUE(got.response);
  EXPECT_FALSE(got.response->isHTTP());
  EXPECT_EQ(got.body, R"({"sections":[]})");
  // A device or a pipe could keep the transfer reading for ever.
  for (const char* unreadable : {"file:///no/such/file.json", "file:///dev/zero", "file:///tmp"}) {
    SCOPED_TRACE(unreadable);
    EXPECT_TRUE(fetch(unreadable).error);
  }
}

TEST_F(URLSessionTest, AnUnusableUrlEndsInAnError) {
  const char* urls[] = {
      "", "garbage", "not a url", "/relative/path", "ftp://127.0.0.1/x", "mailto:someone@example.com",
      "http://", "http://[::1", "1http://x", "http://127.0.0.1:99999/x",
  };
  for (const std::string url : urls) {
    SCOPED_TRACE(url);
    const auto got = fetch(url);
    ASSERT_TRUE(got.error);
    EXPECT_FALSE(got.response);
    EXPECT_FALSE(got.error->description.empty());
  }
  EXPECT_TRUE(fetch(std::string("http://127.0.0.1/\0x", 19)).error);
}

TEST_F(URLSessionTest, ARedirectToAFileIsRefused) {
  server_.serve("/to-file", answer(302, "", {{"Location", "file:///etc/hostname"}}));
  const auto got = fetch(url("/to-file"));
  ASSERT_TRUE(got.error);
  EXPECT_EQ(got.body, "");
}

TEST_F(URLSessionTest, TheCompletionRunsOnAnotherThread) {
  server_.serve("/where", answer(200, "here"));
  const auto got = fetch(url("/where"));
  EXPECT_NE(got.thread, std::this_thread::get_id());
  EXPECT_NE(got.thread, std::thread::id());
}

TEST_F(URLSessionTest, TheStartObserverSeesTheUrlOnTheCallersThreadBeforeTheRequest) {
  server_.serve("/observed", answer(200, ""));
  std::vector<std::pair<std::string, int>> seen;  // url, requests the server had by then
  std::thread::id observerThread;
  setDataTaskStartObserver([&](const std::string& started) {
    seen.emplace_back(started, server_.requests("/observed"));
    observerThread = std::this_thread::get_id();
  });
  const auto got = fetch(url("/observed"));
  setDataTaskStartObserver(nullptr);

  ASSERT_FALSE(got.error);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{url("/observed"), 0}}));
  EXPECT_EQ(observerThread, std::this_thread::get_id());
}

TEST_F(URLSessionTest, ATaskCountsAsOutsideWorkUntilItsCompletionHasReturned) {
  ASSERT_TRUE(waitForNoOutsideWork());
  auto& queue = MainQueue::shared();
  server_.serve("/counted", answer(200, "x"));
  server_.setGateOpen(false);  // keeps the transfer in flight

  std::promise<int> insideCompletion;
  auto task = URLSession::sessionWithConfiguration(testConfiguration())
                  ->dataTaskWithURL(url("/counted"), [&](const auto&...) {
                    insideCompletion.set_value(queue.outsideWork());
                  });
  EXPECT_EQ(queue.outsideWork(), 0);
  task->resume();
  EXPECT_EQ(queue.outsideWork(), 1);
  server_.setGateOpen(true);

  auto counted = insideCompletion.get_future();
  ASSERT_EQ(counted.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(counted.get(), 1);
  EXPECT_TRUE(waitForNoOutsideWork());
}

TEST_F(URLSessionTest, TheCompletionKeepsWhatItCapturesAliveUntilItHasRun) {
  server_.serve("/alive", answer(200, "x"));
  struct Screen {
    std::string title = "subscriptions";
  };
  auto screen = std::make_shared<Screen>();
  const std::weak_ptr<Screen> watch = screen;
  std::promise<std::string> titleSeen;
  server_.setGateOpen(false);
  URLSession::sessionWithConfiguration(testConfiguration())
      ->dataTaskWithURL(url("/alive"), [screen, &titleSeen](const auto&...) { titleSeen.set_value(screen->title); })
      ->resume();
  screen.reset();  // the screen is closed while the download runs
  EXPECT_FALSE(watch.expired());
  server_.setGateOpen(true);

  auto title = titleSeen.get_future();
  ASSERT_EQ(title.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(title.get(), "subscriptions");
  ASSERT_TRUE(waitForNoOutsideWork());
  EXPECT_TRUE(watch.expired());
}

TEST_F(URLSessionTest, ResumingATaskTwiceFetchesOnce) {
  server_.serve("/once", answer(200, "x"));
  std::promise<void> done;
  auto task = URLSession::sessionWithConfiguration(testConfiguration())
                  ->dataTaskWithURL(url("/once"), [&](const auto&...) { done.set_value(); });
  task->resume();
  task->resume();
  ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  ASSERT_TRUE(waitForNoOutsideWork());
  EXPECT_EQ(server_.requests("/once"), 1);
}

// A host without a loop of its own: runUntilIdle() returns while the download is in flight,
// runUntilSettled() only once its completion and what that posted have run.
TEST_F(URLSessionTest, RunUntilSettledWaitsForADownloadInFlightAndWhatItPosts) {
  ASSERT_TRUE(waitForNoOutsideWork());
  auto& queue = MainQueue::shared();
  server_.serve("/settle", answer(200, "x"));
  server_.setGateOpen(false);  // keeps the transfer in flight
  bool shown = false;
  URLSession::sessionWithConfiguration(testConfiguration())
      ->dataTaskWithURL(url("/settle"), [&shown](const auto&...) { dispatchAsyncMain([&shown] { shown = true; }); })
      ->resume();

  queue.runUntilIdle();
  EXPECT_FALSE(shown);
  // The deadline ends the wait, not the download.
  EXPECT_FALSE(queue.runUntilSettled(std::chrono::steady_clock::now() + std::chrono::milliseconds(50)));
  EXPECT_FALSE(shown);
  EXPECT_EQ(queue.outsideWork(), 1);

  server_.setGateOpen(true);
  EXPECT_TRUE(queue.runUntilSettled(std::chrono::steady_clock::now() + std::chrono::seconds(30)));
  EXPECT_TRUE(shown);
  EXPECT_EQ(queue.outsideWork(), 0);
}

// The host's log sink is called on the main thread, never on the download thread, even for a
// line logged there (the manifest's errors are).
TEST_F(URLSessionTest, ALineLoggedOnTheDownloadThreadReachesTheSinkOnTheMainQueue) {
  std::vector<std::pair<std::string, std::thread::id>> lines;
  setLogSink([&](std::string_view line) { lines.emplace_back(line, std::this_thread::get_id()); });
  server_.serve("/logged", answer(200, "x"));
  std::promise<void> logged;
  URLSession::sessionWithConfiguration(testConfiguration())
      ->dataTaskWithURL(url("/logged"), [&logged](const auto&...) {
        NSLog("from the download");
        logged.set_value();
      })
      ->resume();
  ASSERT_EQ(logged.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_TRUE(lines.empty());

  EXPECT_TRUE(MainQueue::shared().runUntilSettled(std::chrono::steady_clock::now() + std::chrono::seconds(30)));
  setLogSink(nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].first, "from the download");
  EXPECT_EQ(lines[0].second, std::this_thread::get_id());
}

}  // namespace
}  // namespace pushwren::testing
