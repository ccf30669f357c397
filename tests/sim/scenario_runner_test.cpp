// The scenario runner as a person uses it: a file in, a trace or a clear error out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/scenario/scenario_runner.h"

namespace pushwren::sim {
namespace {

struct Outcome {
  RunResult result;
  std::string out, err;
};

class ScenarioFiles : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& text) {
    const auto path = dir_ / name;
    std::ofstream(path) << text;
    return path.string();
  }
  Outcome run(const std::string& scenario, std::optional<std::string> expect = std::nullopt) {
    std::ostringstream out, err;
    const auto result = runScenarioFile(write("s.jsonl", scenario), expect ? std::optional(write("s.trace", *expect)) : std::nullopt, out, err);
    return {result, out.str(), err.str()};
  }

  std::filesystem::path dir_ = [] {
    auto made = std::filesystem::temp_directory_path() /
                ("pushwren-scenario-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(made);
    return made;
  }();
  ~ScenarioFiles() override { std::filesystem::remove_all(dir_); }
};

constexpr const char* kEnabled = R"({"do":"config","set":{"oneSignalV5Enabled":true,"oneSignalV5AppId":"a"}})" "\n";

struct MalformedCase {
  const char* name;
  const char* line;  // the third line of the file, after a good step and a comment
  const char* message;
};

class MalformedScenario : public ScenarioFiles, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedScenario, ExitsTwoNamingTheLineAndRunsNothingFurther) {
  const auto& c = GetParam();
  const auto outcome = run(std::string(kEnabled) + "# a comment\n" + c.line + "\n" + R"({"do":"launch"})" + "\n");
  EXPECT_EQ(outcome.result, kRunMalformed);
  EXPECT_EQ(outcome.out, "");
  EXPECT_NE(outcome.err.find("s.jsonl:3: "), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedScenario,
    ::testing::Values(MalformedCase{"NotJson", "{do: launch}", "not JSON"},
                      MalformedCase{"NotAnObject", "[1,2]", "must be a JSON object"},
                      MalformedCase{"NoStepName", R"({"launch":true})", R"(field "do" must be a string)"},
                      MalformedCase{"UnknownStep", R"({"do":"explode"})", R"(unknown step "explode")"},
                      MalformedCase{"WrongKindOfField", R"({"do":"bridge","runner":"r1","url":5})", R"(field "url" must be a string)"},
                      MalformedCase{"WrongKindOfConfig", R"({"do":"config","set":{"oneSignalV5Enabled":"yes"}})",
                                    R"(field "oneSignalV5Enabled" must be a boolean)"},
                      MalformedCase{"UnknownConfig", R"({"do":"config","set":{"colour":true}})", "unknown host configuration"},
                      MalformedCase{"BadRegistration", R"({"do":"appDelegate","registration":["fly"]})", "unknown registration setter"},
                      MalformedCase{"AMisspeltField", R"({"do":"notificationClick","titel":"x"})",
                                    R"(step "notificationClick" has no field "titel"; its fields are: additionalData, title, body)"},
                      MalformedCase{"ADoGivenTwice", R"({"do":"redraw","do":"launch"})", R"(the key "do" is given twice)"},
                      MalformedCase{"BadOptions", R"({"do":"launch","options":[]})", R"(field "options" must be an object)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScenarioFiles, PrintsTheTraceAndMatchesItsExpectation) {
  const std::string scenario = std::string(kEnabled) + "\n  # indented comment\n" + R"({"do":"launch"})" + "\n";
  const auto plain = run(scenario);
  EXPECT_EQ(plain.result, kRunMatched);
  EXPECT_EQ(plain.out.rfind(R"(["CVRegisterModule","CVPushwren"])", 0), 0u) << plain.out;

  EXPECT_EQ(run(scenario, plain.out).result, kRunMatched);
  const auto mismatch = run(scenario, R"(["CVRegisterModule","CVPushwren"])" "\n" R"("...")" "\n" R"(["nope"])" "\n");
  EXPECT_EQ(mismatch.result, kRunMismatch);
  EXPECT_NE(mismatch.err.find("expected line"), std::string::npos);
}

TEST_F(ScenarioFiles, AReleasedRunnerReadsAbsentThroughThePluginsWeakReference) {
  const auto outcome = run(std::string(kEnabled) + R"({"do":"launch"}
{"do":"runnerDidLoad","runner":"r1"}
{"do":"releaseRunner","id":"r1"}
{"do":"inAppMessageClick","url":"x"}
{"do":"bridge","runner":"r2","url":"corvane://onesignal/iam/setInAppMessageClickHandler","data":{"handler":"h"}}
{"do":"releaseRunner","id":"r2"}
{"do":"inAppMessageClick","url":"x"}
)");
  EXPECT_EQ(outcome.result, kRunMatched);
  EXPECT_EQ(outcome.out.find("runner.runJavascriptWithCallback"), std::string::npos) << outcome.out;
}

TEST_F(ScenarioFiles, ARunnerWithoutTheInfoOperationGetsNoInfo) {
  const auto outcome = run(std::string(kEnabled) + R"({"do":"launch"}
{"do":"runner","id":"r1","runCorvaneInfo":false}
{"do":"navigationFinished","runner":"r1"}
{"do":"runner","id":"r2"}
{"do":"navigationFinished","runner":"r2"}
)");
  EXPECT_EQ(outcome.out.find(R"(["runner.runCorvaneInfoWithCallback","r1")"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find(R"(["runner.runCorvaneInfoWithCallback","r2")"), std::string::npos) << outcome.out;
}

TEST_F(ScenarioFiles, AMissingFileIsAClearError) {
  std::ostringstream out, err;
  EXPECT_EQ(runScenarioFile((dir_ / "absent.jsonl").string(), std::nullopt, out, err), kRunMalformed);
  EXPECT_NE(err.str().find("absent.jsonl: cannot be read"), std::string::npos);
}

TEST_F(ScenarioFiles, AFolderIsAClearErrorAsScenarioOrAsTrace) {
  std::ostringstream out, err;
  EXPECT_EQ(runScenarioFile(dir_.string(), std::nullopt, out, err), kRunMalformed);
  EXPECT_NE(err.str().find(dir_.string() + ": is a folder; name a file"), std::string::npos) << err.str();
  std::ostringstream out2, err2;
  EXPECT_EQ(runScenarioFile(write("s.jsonl", kEnabled), dir_.string(), out2, err2), kRunMalformed);
  EXPECT_NE(err2.str().find("is a folder"), std::string::npos) << err2.str();
}

}  // namespace
}  // namespace pushwren::sim
