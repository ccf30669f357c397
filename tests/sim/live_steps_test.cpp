// The playground's steps go through the scenario runner's engine: the same steps give the same
// trace there as in `pushwren-sim run`, answered step by step.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "pushwren/platform/main_queue.h"
#include "sim/playground/devices/live_steps.h"
#include "sim/scenario/scenario_runner.h"

namespace pushwren::sim::playground {
namespace {

using ::testing::HasSubstr;

struct Answered {
  unsigned status = 0;
  boost::json::object body;
};

Answered applyAndWait(Simulation& sim, std::string_view body) {
  auto& io = MainQueue::shared().context();
  const bool stopping = false;
  std::optional<StepAnswer> answer;
  applyLiveSteps(io, sim, body, stopping, {}, [&](StepAnswer given) { answer = std::move(given); });
  while (!answer) {
    io.restart();
    if (io.run_one() == 0) break;
  }
  if (!answer) return {};
  return {answer->status, boost::json::parse(answer->body).as_object()};
}

std::vector<std::string> texts(const boost::json::value& lines) {
  std::vector<std::string> result;
  for (const auto& line : lines.as_array()) result.push_back(boost::json::serialize(line));
  return result;
}

// Downloads held and settled, a relaunch, the prompt and an in-app message.
constexpr std::string_view kSession =
    R"({"do":"serve","path":"/t.json","json":{"sections":[{"name":"S","items":[{"identifier":"a","name":"A"}]}]}}
{"do":"config","set":{"oneSignalV5Enabled":true,"oneSignalV5AppId":"app-1","oneSignalV5AutoRegister":true,"oneSignalV5TagsJsonUrl":"http://{server}/t.json"}}
{"do":"sdk","set":{"permission":"prompt","inAppMessages":[{"id":"m","trigger":["k","v"],"title":"t","body":"b","buttons":[{"text":"Allow","prompt":"push"}]}]}}
{"do":"launch"}
{"do":"bridge","runner":"r1","url":"corvane://onesignal/showTagsUI"}
{"do":"switch","section":0,"row":0,"on":true}
{"do":"relaunch","notification":{"story":1}}
{"do":"navigationFinished","runner":"r1"}
{"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/addTrigger","data":{"key":"k","value":"v"}}
{"do":"inAppMessageButton","id":"m","button":0}
{"do":"permission","allow":true}
)";

TEST(LiveSteps, GiveTheTraceThatRunGivesForTheSameSteps) {
  const auto dir = std::filesystem::temp_directory_path() / "pushwren-live-steps";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "s.jsonl") << kSession;
  std::ostringstream out, err;
  ASSERT_EQ(runScenarioFile((dir / "s.jsonl").string(), std::nullopt, out, err), kRunMatched) << err.str();
  std::filesystem::remove_all(dir);

  Simulation sim;
  sim.settle();
  const auto startLines = sim.trace().textLines();
  const auto answer = applyAndWait(sim, kSession);
  ASSERT_EQ(answer.status, 200u) << answer.body;
  std::string live;
  for (const auto& line : startLines) live += line + "\n";
  for (const auto& line : texts(answer.body.at("trace"))) live += line + "\n";
  EXPECT_EQ(live, out.str());
  EXPECT_THAT(out.str(), HasSubstr(R"(["ui.table",[{"title":"S","rows":[{"label":"A","on":false,"tag":0}]}]])"));
  EXPECT_THAT(out.str(), HasSubstr(R"(["sdk.inAppMessage.show","m"])"));
}

TEST(LiveSteps, AnswerTheLinesOfEachStep) {
  Simulation sim;
  const auto answer = applyAndWait(sim, R"([{"do":"config","set":{"oneSignalV5Enabled":true}},{"do":"launch"},{"do":"bridge","runner":"r","url":"corvane://onesignal/register"}])");
  ASSERT_EQ(answer.status, 200u) << answer.body;
  const auto& steps = answer.body.at("steps").as_array();
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_TRUE(steps[0].as_array().empty());
  EXPECT_EQ(texts(steps[1]).front(), R"(["OneSignal.setConsentRequired",false])");
  EXPECT_EQ(texts(steps[2]), (std::vector<std::string>{R"(["OneSignal.User.pushSubscription.optIn"])", R"(["return",false])"}));
  EXPECT_EQ(answer.body.at("trace").as_array().size(), steps[1].as_array().size() + 2);
}

TEST(LiveSteps, StopAtAStepThatCannotRunAndSayWhich) {
  Simulation sim;
  const auto answer = applyAndWait(sim, "{\"do\":\"launch\"}\n{\"do\":\"launch\"}\n{\"do\":\"relaunch\"}\n");
  EXPECT_EQ(answer.status, 400u);
  EXPECT_THAT(std::string(answer.body.at("error").as_string()), HasSubstr("step 2: the app has already launched"));
  EXPECT_EQ(answer.body.at("failedStep"), 2);
  EXPECT_EQ(answer.body.at("steps").as_array().size(), 1u);
  EXPECT_TRUE(sim.host().hasLaunched());
  EXPECT_EQ(sim.trace().size(), 1u);  // the registration at load only: no relaunch ran
}

TEST(LiveSteps, RefuseATextThatIsNoStepsWithTheReason) {
  Simulation sim;
  const auto answer = applyAndWait(sim, R"({"do":"explode"})");
  EXPECT_EQ(answer.status, 400u);
  EXPECT_THAT(std::string(answer.body.at("error").as_string()), HasSubstr(R"(unknown step "explode"; the steps are: )"));
  EXPECT_EQ(sim.trace().size(), 1u);
}

TEST(LiveSteps, ListEveryStepAsJson) {
  const auto list = boost::json::parse(stepListAnswer()).as_object().at("steps").as_array();
  EXPECT_EQ(list.size(), allSteps().size());
  EXPECT_NE(std::find_if(list.begin(), list.end(), [](const auto& s) { return s.at("do") == "relaunch"; }), list.end());
}

}  // namespace
}  // namespace pushwren::sim::playground
