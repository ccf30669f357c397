// Steps as a person finds and sends them: the table every step comes from, and the forms a
// text of steps may take.
#include <gmock/gmock.h>

#include <set>
#include <string>
#include <vector>
#include <sstream>

#include "sim/scenario/scenario_reader.h"

namespace pushwren::sim {
namespace {

using ::testing::HasSubstr;

// The table holds exactly the steps the scenario format documents, each once: a step added
// without documentation, or one dropped, fails here.
TEST(StepTable, ListsEveryDocumentedStepOnceWithItsFieldsAndADescription) {
  const std::multiset<std::string> documented{
      "config", "sdk", "appDelegate", "runner", "releaseRunner", "launch", "runnerDidLoad", "runnerWillAppear",
      "bridge", "navigationFinished", "trackingStatus", "notificationClick", "notificationWillDisplay",
      "inAppMessageClick", "subscriptionChanged", "serve", "release", "tap", "tapAlert", "switch", "redraw",
      "relaunch", "permission", "inAppMessageButton"};
  std::multiset<std::string> names;
  for (const auto& step : stepsAsJson()) {
    const auto& entry = step.as_object();
    names.emplace(entry.at("do").as_string());
    EXPECT_FALSE(entry.at("description").as_string().empty()) << entry;
    for (const auto& field : entry.at("fields").as_array()) {
      EXPECT_FALSE(field.at("name").as_string().empty()) << entry;
      EXPECT_TRUE(field.at("optional").is_bool()) << entry;
    }
  }
  EXPECT_EQ(names, documented);
}

TEST(StepTable, PrintsEachStepWithItsFieldsAndDescription) {
  std::ostringstream out;
  printSteps(out);
  EXPECT_THAT(out.str(), HasSubstr("relaunch  [options: map]  [notification: map"));
  EXPECT_THAT(out.str(), HasSubstr("\n    the app's process ends and a new one starts"));
  EXPECT_THAT(out.str(), HasSubstr("inAppMessageButton  id: string  button: integer\n"));
}

TEST(StepTable, AnUnknownStepsErrorListsTheValidNames) {
  try {
    readStep(std::string(R"({"do":"relunch"})"));
    FAIL() << "read";
  } catch (const StepError& e) {
    EXPECT_THAT(e.what(), HasSubstr(R"(unknown step "relunch"; the steps are: config, sdk, )"));
    EXPECT_THAT(e.what(), HasSubstr("relaunch, permission, inAppMessageButton"));
  }
}

struct StepsText {
  const char* name;
  const char* text;
  std::vector<std::string> names;  // the steps read, or empty when refused
  const char* reason = "";
};

class ReadingSteps : public ::testing::TestWithParam<StepsText> {};

TEST_P(ReadingSteps, TakesOneStepAnArrayOrJsonLines) {
  const auto& c = GetParam();
  std::vector<std::string> names;
  std::string reason;
  try {
    for (const auto& step : readSteps(c.text)) names.emplace_back(step.kind->name);
  } catch (const StepError& e) {
    reason = e.what();
  }
  EXPECT_EQ(names, c.names);
  EXPECT_THAT(reason, HasSubstr(c.reason));
  EXPECT_EQ(reason.empty(), !c.names.empty()) << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadingSteps,
    ::testing::Values(
        StepsText{"OneStep", R"({"do":"launch"})", {"launch"}},
        StepsText{"AnArray", R"([{"do":"launch"},{"do":"redraw"}])", {"launch", "redraw"}},
        StepsText{"JsonLines", "{\"do\":\"launch\"}\n\n# a comment\n{\"do\":\"redraw\"}\n", {"launch", "redraw"}},
        StepsText{"AnArrayWithABadStep", R"([{"do":"launch"},{"do":"fly"}])", {}, R"(step 2: unknown step "fly")"},
        StepsText{"AnArrayWithANonObject", R"([{"do":"launch"},3])", {}, "step 2: a step must be a JSON object"},
        StepsText{"JsonLinesWithABadLine", "{\"do\":\"launch\"}\n{do}\n", {}, "line 2: not JSON"},
        StepsText{"NotJson", "{do: launch}", {}, "not JSON"},
        StepsText{"ACommentAndOneStep", "# why this step\n{\"do\":\"launch\"}\n", {"launch"}},
        StepsText{"ACommentAndOneLineThatIsNotJson", "# why this step\n{do}\n", {}, "not JSON"},
        StepsText{"AFieldTheStepDoesNotHave", R"({"do":"notificationClick","titel":"x"})", {},
                  R"(step "notificationClick" has no field "titel"; its fields are: additionalData, title, body)"},
        StepsText{"AFieldOfAStepWithoutFields", R"({"do":"redraw","row":1})", {}, R"(has no field "row"; it takes none)"},
        StepsText{"AnArrayWithAMisspeltField", R"([{"do":"launch"},{"do":"launch","option":{}}])", {},
                  R"(step 2: step "launch" has no field "option")"},
        StepsText{"ADoGivenTwice", R"({"do":"launch","do":"redraw"})", {}, R"(the key "do" is given twice)"},
        StepsText{"ANestedKeyGivenTwice", R"({"do":"sdk","set":{"tags":{},"tags":null}})", {}, R"(the key "tags" is given twice)"},
        StepsText{"JsonLinesWithADoGivenTwice", "{\"do\":\"launch\"}\n{\"do\":\"launch\",\"do\":\"redraw\"}\n", {},
                  R"(line 2: the key "do" is given twice)"},
        StepsText{"Nothing", "  \n# only a comment\n", {}, "no step given"},
        StepsText{"NotAStep", "42", {}, "a step must be a JSON object"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pushwren::sim
