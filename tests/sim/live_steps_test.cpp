// The playground's steps go through the scenario runner's engine: the same steps give the same
// trace there as in `pushwren-sim run`, answered step by step.
#include <gmock/gmock.h>

#include <sstream>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "pushwren/platform/main_queue.h"
#include "sim/playground/devices/live_steps.h"
#include "sim/scenario/scenario_runner.h"
#include "sim/scenario/step_table.h"
#include "tests/subscriptions/temp_directory.h"

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
  const testing::TempDirectory dir;
  ASSERT_FALSE(dir.path().empty()) << "no temporary folder";
  const auto file = dir.write("s.jsonl", kSession);
  std::ostringstream out, err;
  ASSERT_EQ(runScenarioFile(file.string(), std::nullopt, out, err), kRunMatched) << err.str();

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
  ASSERT_FALSE(steps[1].as_array().empty()) << "the launch answered no lines";
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

// The playground's list of steps is the one `pushwren-sim steps` prints: the same names in the
// same order, each with the description a person reads there.
TEST(LiveSteps, ListTheStepsTheStepsCommandPrints) {
  std::ostringstream printed;
  printSteps(printed);
  std::vector<std::string> printedNames;
  std::string line;
  for (std::istringstream lines(printed.str()); std::getline(lines, line);) {
    if (!line.empty() && line[0] != ' ') printedNames.push_back(line.substr(0, line.find(' ')));
  }
  ASSERT_FALSE(printedNames.empty()) << printed.str();

  const auto list = boost::json::parse(stepListAnswer()).as_object().at("steps").as_array();
  std::vector<std::string> listedNames;
  for (const auto& step : list) {
    listedNames.emplace_back(step.at("do").as_string());
    const std::string description(step.at("description").as_string());
    EXPECT_FALSE(description.empty()) << step;
    EXPECT_THAT(printed.str(), HasSubstr("\n    " + description)) << step;
  }
  EXPECT_EQ(listedNames, printedNames);
}

}  // namespace
}  // namespace pushwren::sim::playground
