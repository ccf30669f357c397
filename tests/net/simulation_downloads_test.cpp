// Downloads inside the scenario runner: their outcome comes after the lines of the step that
// started them, settling waits for them except for held ones, and the server steps check their
// fields.
#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "platform/log.h"
#include "sim/scenario/simulation.h"
#include "tests/net/fetch.h"

namespace pushwren::testing {
namespace {

using sim::Simulation;
using sim::StepError;
using sim::StepFields;

void runStep(Simulation& sim, std::string_view json) {
  const auto value = boost::json::parse(json);
  const StepFields fields(value.as_object());
  sim.runStep(sim::findStep(fields.string("do"))->handler, fields);
}

// A step that starts a download whose completion logs what it got.
void startLoggedDownload(const std::string& url) {
  URLSession::sessionWithConfiguration(testConfiguration())
      ->dataTaskWithURL(url, [](const std::string& body, const auto&, const std::optional<URLError>& error) {
        NSLog(error ? "failed" : "got " + body);
      })
      ->resume();
}

std::vector<std::string> linesSince(Simulation& sim, std::size_t from) { return sim.trace().textLines(from); }

TEST(SimulationDownloadsTest, TheOutcomeComesAfterTheLinesOfTheStepThatStartedIt) {
  struct Case {
    const char* name;
    std::string url;
    const char* traced;
    const char* outcome;
  };
  Simulation sim;
  sim.settle();
  runStep(sim, R"({"do": "serve", "path": "/topics.json", "body": "[]"})");
  const Case cases[] = {
      {"from the server", "http://" + sim.serverAddress() + "/topics.json",
       R"(["http.get","http://{server}/topics.json"])", R"(["log","got []"])"},
      {"without the server", "file:///no/such/topics.json", R"(["http.get","file:///no/such/topics.json"])",
       R"(["log","failed"])"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto from = sim.trace().size();
    sim.runStep(
        [&](Simulation& running, const StepFields&) {
          startLoggedDownload(c.url);
          // Time for an outcome that was not held back to overtake the step's own last line.
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          running.trace().add("step.end");
        },
        StepFields(boost::json::object{}));
    EXPECT_EQ(linesSince(sim, from), (std::vector<std::string>{c.traced, R"(["step.end"])", c.outcome}));
  }
}

TEST(SimulationDownloadsTest, SettlingDoesNotWaitForAHeldRequest_ReleaseDeliversIt) {
  Simulation sim;
  sim.settle();
  runStep(sim, R"({"do": "serve", "path": "/held.json", "json": {"sections": []}, "hold": true})");
  const auto url = "http://" + sim.serverAddress() + "/held.json";

  auto from = sim.trace().size();
  sim.runStep([&](Simulation&, const StepFields&) { startLoggedDownload(url); }, StepFields(boost::json::object{}));
  EXPECT_EQ(linesSince(sim, from), (std::vector<std::string>{R"(["http.get","http://{server}/held.json"])"}));
  EXPECT_EQ(sim.server().heldRequests(), 1);

  from = sim.trace().size();
  runStep(sim, R"({"do": "release", "path": "/held.json"})");
  EXPECT_EQ(linesSince(sim, from), (std::vector<std::string>{R"(["log","got {\"sections\":[]}"])"}));
  EXPECT_EQ(MainQueue::shared().outsideWork(), 0);
}

TEST(SimulationDownloadsTest, ServerStepsRejectFieldsOfTheWrongKind) {
  const char* steps[] = {
      R"({"do": "serve"})",
      R"({"do": "serve", "path": 1})",
      R"({"do": "serve", "path": "topics.json"})",
      R"({"do": "serve", "path": "/t", "status": "200"})",
      R"({"do": "serve", "path": "/t", "status": 200.5})",
      R"({"do": "serve", "path": "/t", "status": 101})",
      R"({"do": "serve", "path": "/t", "body": 1})",
      R"({"do": "serve", "path": "/t", "body": "x", "json": {}})",
      R"({"do": "serve", "path": "/t", "headers": ["a"]})",
      R"({"do": "serve", "path": "/t", "headers": {"X-A": 1}})",
      R"({"do": "serve", "path": "/t", "headers": {"X A": "1"}})",
      R"({"do": "serve", "path": "/t", "delayMs": -1})",
      R"({"do": "serve", "path": "/t", "delayMs": "5"})",
      R"({"do": "serve", "path": "/t", "drop": "yes"})",
      R"({"do": "serve", "path": "/t", "hold": 1})",
      R"({"do": "release"})",
      R"({"do": "release", "path": ["/t"]})",
  };
  Simulation sim;
  for (const auto* step : steps) {
    SCOPED_TRACE(step);
    EXPECT_THROW(runStep(sim, step), StepError);
  }
}

}  // namespace
}  // namespace pushwren::testing
