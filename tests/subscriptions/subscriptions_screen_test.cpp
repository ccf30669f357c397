// The whole screen inside the reference host: opened through "/showTagsUI", fed by the host's
// own HTTP server through the real download, and operated with the scenario runner's steps.
#include <gtest/gtest.h>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "pushwren/platform/bundle.h"
#include "sim/scenario/scenario_reader.h"
#include "sim/scenario/simulation.h"
#include "sim/scenario/trace_compare.h"
#include "pushwren/subscriptions/show_tags_ui.h"
#include "tests/subscriptions/temp_directory.h"

namespace pushwren {
namespace {

using sim::Simulation;
using sim::StepError;

constexpr auto kManifest = R"({"sections": [{"name": "Topics", "items": [
    {"identifier": "news", "name": "News"}, {"identifier": "sports", "name": "Sports"}]}]})";
constexpr auto kShown = R"(["ui.table", [{"title": "Topics", "rows": [
    {"label": "News", "on": true, "tag": 0}, {"label": "Sports", "on": false, "tag": 1}]}]])";
constexpr auto kSpinnerStops = R"(["ui.spinner", false])";
constexpr auto kTableRevealed = R"(["ui.hidden", "CVPushwrenSubscriptionsTableViewController", false])";
constexpr auto kAlert = R"(["ui.alert", "Error", "Error retrieving tag list", ["OK"]])";
constexpr auto kDismissed = R"(["ui.dismiss", "CVPushwrenSubscriptionsController"])";
constexpr auto kOpen = R"({"do": "bridge", "runner": "r1", "url": "corvane://onesignal/showTagsUI"})";

std::string log(std::string_view text) { return R"(["log", ")" + std::string(text) + R"("])"; }

// The lines of opening the screen, up to the end of the bridge step.
std::vector<std::string> opening(std::string_view url = "http://{server}/m.json") {
  return {R"(["runner.presentViewController", "r1", "CVPushwrenSubscriptionsController", true])",
          R"(["ui.hidden", "CVPushwrenSubscriptionsTableViewController", true])",
          R"(["http.get", ")" + std::string(url) + R"("])", R"(["return", false])"};
}

std::vector<std::string> operator+(std::vector<std::string> lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

class SubscriptionsScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every download here must end before its step's lines are checked, however busy the
    // machine: the runner's own 15 s is a limit a sanitizer build on a loaded machine reaches.
    sim.setSettleLimit(std::chrono::minutes(5));
    sim.settle();
    step(R"({"do": "config", "set": {"oneSignalV5Enabled": true, "oneSignalV5AppId": "app-1",
                                     "oneSignalV5TagsJsonUrl": "http://{server}/m.json"}})");
    step(R"({"do": "sdk", "set": {"tags": {"news": "1"}}})");
    step(R"({"do": "launch"})");
    mark = sim.trace().size();
  }

  void step(std::string_view line) {
    const auto read = sim::readStep(std::string(line));
    sim.runStep(read.kind->handler, sim::StepFields(read.fields));
  }

  // The trace since the mark matches `expected` (by the trace comparison rules); the mark moves
  // to the end.
  void expectLines(const std::vector<std::string>& expected) {
    const auto got = sim.trace().textLines(mark);
    mark = sim.trace().size();
    std::vector<boost::json::value> want, have;
    for (const auto& line : expected) want.push_back(boost::json::parse(line));
    for (const auto& line : got) have.push_back(boost::json::parse(line));
    std::string shown;
    for (const auto& line : got) shown += "\n  " + line;
    EXPECT_FALSE(sim::compareTraces(want, have)) << "trace:" << shown;
  }

  Simulation sim;
  std::size_t mark = 0;
};

struct OutcomeCase {
  const char* what;
  std::vector<std::string> steps;  // before opening the screen
  std::vector<std::string> outcome;
};

TEST_F(SubscriptionsScreen, EachOutcomeOfTheDownloadIsShownOrReported) {
  const auto failure = [](const std::string& line) { return std::vector<std::string>{log(line), kAlert}; };
  const auto serve = [](const std::string& fields) { return R"({"do": "serve", "path": "/m.json", )" + fields + "}"; };
  const OutcomeCase cases[] = {
      {"a manifest", {serve(R"("json": )" + std::string(kManifest))}, {kShown, kSpinnerStops, kTableRevealed}},
      {"an empty object", {serve(R"("body": "{}")")}, {R"(["ui.table", []])", kSpinnerStops, kTableRevealed}},
      {"a top-level array", {serve(R"("body": "[1, 2]")")}, {R"(["ui.table", []])", kSpinnerStops, kTableRevealed}},
      {"no content", {serve(R"("status": 204)")}, failure("Got status 204 when retrieving http://{server}/m.json")},
      {"not modified", {serve(R"("status": 304, "body": "{}")")},
       failure("Got status 304 when retrieving http://{server}/m.json")},
      {"created", {serve(R"("status": 201, "body": "{}")")}, failure("Got status 201 when retrieving http://{server}/m.json")},
      {"not found", {serve(R"("status": 404)")}, failure("Got status 404 when retrieving http://{server}/m.json")},
      {"an empty body", {serve(R"("body": "")")}, failure("Invalid JSON from http://{server}/m.json")},
      {"invalid JSON", {serve(R"("body": "{\"sections\": [")")}, failure("Invalid JSON from http://{server}/m.json")},
      {"a bare value", {serve(R"("body": "5")")}, failure("Invalid JSON from http://{server}/m.json")},
      {"a redirect",
       {serve(R"("status": 302, "headers": {"Location": "/moved.json"})"),
        R"({"do": "serve", "path": "/moved.json", "json": )" + std::string(kManifest) + "}"},
       {kShown, kSpinnerStops, kTableRevealed}},
      {"a dropped connection", {serve(R"("drop": true)")},
       failure("An error occurred retrieving http://{server}/m.json: *")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& line : c.steps) step(line);
    mark = sim.trace().size();
    step(kOpen);
    expectLines(opening() + c.outcome);
    step(c.outcome.back() == kAlert ? R"({"do": "tapAlert", "button": "OK"})" : R"({"do": "tap", "button": "close"})");
    expectLines({kDismissed});
  }
}

TEST_F(SubscriptionsScreen, URLsThatGiveNoHTTPResponseFail) {
  const testing::TempDirectory directory;
  const auto file = directory.write("m.json", kManifest);
  const struct {
    const char* what;
    std::optional<std::string> url;
    std::string traced;
    std::string logged;
  } cases[] = {
      {"a file URL", "file://" + file.string(), "file://" + file.string(), "Response is not http"},
      {"no URL", std::nullopt, "", "An error occurred retrieving (null): *"},
      // One line in the log, the break written as JSON writes it.
      {"a URL with a line break", "http://x/a\nb", "http://x/a\\nb", "An error occurred retrieving http://x/a\\\\nb: *"},
      {"not a URL", "not a url", "not a url", "An error occurred retrieving not a url: *"},
      {"a scheme with no transfer", "gopher://{server}/m.json", "gopher://{server}/m.json",
       "An error occurred retrieving gopher://{server}/m.json: *"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const boost::json::value url = c.url ? boost::json::value(*c.url) : boost::json::value(nullptr);
    step(R"({"do": "config", "set": {"oneSignalV5TagsJsonUrl": )" + boost::json::serialize(url) + "}}");
    mark = sim.trace().size();
    step(kOpen);
    expectLines(opening(c.traced) + std::vector<std::string>{log(c.logged), kAlert});
    step(R"({"do": "tapAlert", "button": "OK"})");
    expectLines({kDismissed});
  }
}

// Faults of the download, each from a real server on this machine: every one ends in the alert
// with its own log line, and none holds more than the size cap in memory.
TEST_F(SubscriptionsScreen, DownloadFaultsEndInTheAlertWithTheirLogLine) {
  constexpr std::size_t kCap = 64u << 20;  // the download's limit on a body
  const auto served = [](int status, std::string body, std::vector<std::pair<std::string, std::string>> headers = {}) {
    sim::ServedResponse response;
    response.status = status;
    response.body = std::move(body);
    response.headers = std::move(headers);
    return response;
  };
  const auto failed = [](const std::string& detail) { return "An error occurred retrieving http://{server}/m.json: " + detail; };
  const auto invalid = std::string("Invalid JSON from http://{server}/m.json");
  const struct {
    const char* what;
    sim::ServedResponse response;
    std::string logged;
  } cases[] = {
      {"closed in the middle of the body", served(200, R"({"sections": [)", {{"Content-Length", "1000"}}), failed("*")},
      {"a redirect loop", served(302, "", {{"Location", "/m.json"}}), failed("*")},
      {"a body announced over the cap", served(200, "{}", {{"Content-Length", std::to_string(kCap + 1)}}),
       failed("the response body is too large: more than 67108864 bytes")},
#if !PUSHWREN_SANITIZED
      // The real cap, streamed. Under a sanitizer 64 MiB takes minutes; the stop while streaming
      // is proven there with a small cap by the data task's own tests.
      {"a body sent in chunks past the cap", served(200, std::string(kCap + 1, ' '), {{"Transfer-Encoding", "chunked"}}),
       failed("the response body is too large: more than 67108864 bytes")},
#endif
      {"invalid UTF-8", served(200, "{\"sections\": [{\"name\": \"caf\xE9\"}]}"), invalid},
      {"JSON nested 100,000 deep", served(200, std::string(100000, '[') + std::string(100000, ']')), invalid},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim.server().serve("/m.json", c.response);
    mark = sim.trace().size();
    step(kOpen);
    expectLines(opening() + std::vector<std::string>{log(c.logged), kAlert});
    step(R"({"do": "tapAlert", "button": "OK"})");
    expectLines({kDismissed});
  }
}

TEST_F(SubscriptionsScreen, ARefusedConnectionEndsInTheAlert) {
  std::string address;
  {
    sim::ScenarioServer gone;
    address = gone.address();
  }
  const auto url = "http://" + address + "/m.json";
  step(R"({"do": "config", "set": {"oneSignalV5TagsJsonUrl": ")" + url + R"("}})");
  mark = sim.trace().size();
  step(kOpen);
  expectLines(opening(url) + std::vector<std::string>{log("An error occurred retrieving " + url + ": *"), kAlert});
}

TEST_F(SubscriptionsScreen, OKClosesTheWholeScreen) {
  step(R"({"do": "serve", "path": "/m.json", "status": 500})");
  step(kOpen);
  const auto runner = sim.host().runner("r1");
  ASSERT_TRUE(runner->presentedViewController());
  ASSERT_TRUE(runner->presentedViewController()->presentedViewController());
  mark = sim.trace().size();
  step(R"({"do": "tapAlert", "button": "OK"})");
  expectLines({kDismissed});
  EXPECT_FALSE(runner->presentedViewController());
  EXPECT_FALSE(sim.ui().topmostScreen());
}

TEST_F(SubscriptionsScreen, EveryOpeningFetchesAgainWhateverTheCachingHeadersSay) {
  const auto serveNamed = [&](const std::string& name) {
    step(R"({"do": "serve", "path": "/m.json", "headers": {"Cache-Control": "public, max-age=86400",
             "ETag": "\"v1\"", "Last-Modified": "Mon, 01 Jan 2024 00:00:00 GMT", "Expires": "Fri, 01 Jan 2100 00:00:00 GMT"},
             "json": {"sections": [{"name": ")" + name + R"("}]}})");
  };
  serveNamed("First");
  step(kOpen);
  step(R"({"do": "tap", "button": "close"})");
  serveNamed("Second");
  mark = sim.trace().size();
  step(kOpen);
  expectLines(opening() + std::vector<std::string>{R"(["ui.table", [{"title": "Second", "rows": []}]])", kSpinnerStops,
                                                   kTableRevealed});
  EXPECT_EQ(sim.server().requests("/m.json"), 2);
}

TEST_F(SubscriptionsScreen, ClosingWhileTheDownloadRunsDoesNotCancelIt) {
  step(R"({"do": "serve", "path": "/m.json", "hold": true, "json": )" + std::string(kManifest) + "}");
  step(kOpen);
  step(R"({"do": "tap", "button": "close"})");
  mark = sim.trace().size();
  step(R"({"do": "release", "path": "/m.json"})");
  // The table of the closed screen still takes the model.
  expectLines({kShown, kSpinnerStops, kTableRevealed});
}

TEST_F(SubscriptionsScreen, AFailureAfterTheScreenHasGoneShowsNoAlert) {
  const struct {
    const char* what;
    const char* gone;
  } cases[] = {
      {"closed", R"({"do": "tap", "button": "close"})"},
      {"its runner let go", R"({"do": "releaseRunner", "id": "r1"})"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    step(R"({"do": "serve", "path": "/m.json", "hold": true, "status": 404})");
    step(kOpen);
    step(c.gone);
    mark = sim.trace().size();
    step(R"({"do": "release", "path": "/m.json"})");
    expectLines({log("Got status 404 when retrieving http://{server}/m.json")});
    EXPECT_FALSE(sim.ui().topmostScreen());
    // The runner is free to show the screen again.
    step(R"({"do": "serve", "path": "/m.json", "body": "{}"})");
    step(kOpen);
    expectLines(opening() + std::vector<std::string>{R"(["ui.table", []])", kSpinnerStops, kTableRevealed});
    step(R"({"do": "tap", "button": "close"})");
  }
}

TEST_F(SubscriptionsScreen, StepsThatCannotReachTheScreenAreRefused) {
  const auto refused = [&](std::string_view line, std::string_view why) {
    try {
      step(line);
      ADD_FAILURE() << line << " ran";
    } catch (const StepError& error) {
      EXPECT_NE(std::string(error.what()).find(why), std::string::npos) << error.what();
    }
  };
  refused(R"({"do": "tap", "button": "close"})", "no subscriptions screen is shown");
  refused(R"({"do": "redraw"})", "no subscriptions screen is shown");
  refused(R"({"do": "switch", "section": 0, "row": 0, "on": true})", "no subscriptions screen is shown");

  step(R"({"do": "serve", "path": "/m.json", "json": )" + std::string(kManifest) + "}");
  step(kOpen);
  refused(R"({"do": "switch", "section": 0, "row": 2, "on": true})", "no row 2 of section 0");
  refused(R"({"do": "switch", "section": 1, "row": 0, "on": true})", "no row 0 of section 1");
  refused(R"({"do": "switch", "section": -1, "row": 0, "on": true})", "no row 0 of section -1");
  refused(R"({"do": "tap", "button": "open"})", "no button \"open\"");
  refused(R"({"do": "tapAlert", "button": "OK"})", "no alert is shown");

  step(R"({"do": "serve", "path": "/m.json", "status": 500})");
  step(R"({"do": "tap", "button": "close"})");
  step(kOpen);
  refused(R"({"do": "tapAlert", "button": "Cancel"})", "no button \"Cancel\"");
  refused(R"({"do": "tap", "button": "close"})", "an alert covers the screen");
}

struct StoryboardCase {
  const char* what;
  std::optional<std::string> storyboard;  // none: no storyboard file
};

TEST_F(SubscriptionsScreen, WithoutAUsableStoryboardOneLineIsLoggedAndNothingPresented) {
  const StoryboardCase cases[] = {
      {"no storyboard file", std::nullopt},
      {"an empty file", ""},
      {"not a storyboard", "[]"},
      {"an initial scene of an unknown class",
       R"({"initialScene": "s", "scenes": {"s": {"class": "CVNoSuchController"}}})"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const testing::TempDirectory bundle;
    if (c.storyboard) bundle.write("CVPushwrenSubscriptions.storyboard", *c.storyboard);
    mark = sim.trace().size();
    showTagsUIFromBundle(NSBundle::bundleWithURL(bundle.path()), sim.host().runner("r1"));
    sim.settle();
    expectLines({log("Cannot show the subscriptions screen: *")});
    EXPECT_FALSE(sim.host().runner("r1")->presentedViewController());
  }
}

}  // namespace
}  // namespace pushwren
