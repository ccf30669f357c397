// Downloads inside the scenario runner: their outcome comes after the lines of the step that
// started them, settling waits for them except for held ones, and the server steps check their
// fields.
#include <gtest/gtest.h>

#include <future>

#include <boost/json/parse.hpp>

#include "pushwren/platform/log.h"
#include "pushwren/platform/main_queue.h"
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
    // The runner's server answers on the main queue, which the step holds: only a download
    // that needs no server can be ready while the step runs.
    bool readyDuringStep;
  };
  Simulation sim;
  sim.settle();
  runStep(sim, R"({"do": "serve", "path": "/topics.json", "body": "[]"})");
  // Tells when a download's outcome is ready and waits at the runner's gate.
  std::promise<void>* atGate = nullptr;
  const auto runnersGate = dataTaskCompletionGate();
  setDataTaskCompletionGate([&] {
    if (atGate) atGate->set_value();
    if (runnersGate) runnersGate();
  });
  const Case cases[] = {
      {"from the server", "http://" + sim.serverAddress() + "/topics.json",
       R"(["http.get","http://{server}/topics.json"])", R"(["log","got []"])", false},
      {"without the server", "file:///no/such/topics.json", R"(["http.get","file:///no/such/topics.json"])",
       R"(["log","failed"])", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto from = sim.trace().size();
    std::promise<void> ready;
    atGate = &ready;
    sim.runStep(
        [&](Simulation& running, const StepFields&) {
          startLoggedDownload(c.url);
          // The outcome is ready before the step's own last line: only the gate holds it back.
          if (c.readyDuringStep) {
            ASSERT_EQ(ready.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
          }
          running.trace().add("step.end");
        },
        StepFields(boost::json::object{}));
    EXPECT_EQ(linesSince(sim, from), (std::vector<std::string>{c.traced, R"(["step.end"])", c.outcome}));
    atGate = nullptr;
  }
  setDataTaskCompletionGate(runnersGate);
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

// A download that outlasts the settle limit: the step ends without its outcome, and the trace
// says why, whichever way the main queue is driven. The limit is set short on this test only.
TEST(SimulationDownloadsTest, ASettleThatGivesUpSaysADownloadWasStillInFlight) {
  const std::string gaveUp = R"(["settle.gaveUp","a download was still in flight after 50 ms; )"
                             R"(its outcome comes after the steps that follow"])";
  Simulation sim;
  sim.settle();
  runStep(sim, R"({"do": "serve", "path": "/slow.json", "body": "[]", "delayMs": 3600000})");
  const auto url = "http://" + sim.serverAddress() + "/slow.json";
  sim.setSettleLimit(std::chrono::milliseconds(50));
  const auto start = [&](Simulation&, const StepFields&) { startLoggedDownload(url); };

  auto from = sim.trace().size();
  sim.runStep(start, StepFields(boost::json::object{}));
  EXPECT_EQ(linesSince(sim, from), (std::vector<std::string>{R"(["http.get","http://{server}/slow.json"])", gaveUp}));

  // The playground's way: the main queue runs on its own and settling calls back.
  from = sim.trace().size();
  auto& io = MainQueue::shared().context();
  const bool stopping = false;
  bool settled = false;
  sim.applyStep(start, StepFields(boost::json::object{}));
  sim.settleThen(io, stopping, [&] { settled = true; });
  while (!settled) {
    io.restart();
    if (io.run_one() == 0) break;
  }
  ASSERT_TRUE(settled);
  EXPECT_EQ(linesSince(sim, from), (std::vector<std::string>{R"(["http.get","http://{server}/slow.json"])", gaveUp}));

  // The two downloads fail when the server goes; the run waits for that as long as it takes.
  sim.setSettleLimit(std::chrono::minutes(5));
}

// A step whose downloads end in time traces no word of settling.
TEST(SimulationDownloadsTest, ASettleThatEndsInTimeAddsNothingToTheTrace) {
  Simulation sim;
  sim.setSettleLimit(std::chrono::minutes(5));
  sim.settle();
  runStep(sim, R"({"do": "serve", "path": "/late.json", "body": "[]", "delayMs": 200})");
  const auto url = "http://" + sim.serverAddress() + "/late.json";
  const auto from = sim.trace().size();
  sim.runStep([&](Simulation&, const StepFields&) { startLoggedDownload(url); }, StepFields(boost::json::object{}));
  EXPECT_EQ(linesSince(sim, from),
            (std::vector<std::string>{R"(["http.get","http://{server}/late.json"])", R"(["log","got []"])"}));
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
