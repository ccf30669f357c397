#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/playground/devices/session_record.h"

namespace pushwren::sim::playground {
namespace {

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class SessionRecordTest : public ::testing::Test {
 protected:
  SessionRecordTest() { record.setOwnAddress("127.0.0.1:8123"); }

  // A step whose handler started a download of `url`.
  void downloadStep(const std::string& url) {
    const auto from = trace.size();
    trace.add("http.get", url);
    record.record({{"do", "bridge"}, {"runner", "tab-1"}, {"url", "pushwren://onesignal/subscriptions"}}, from);
  }

  Trace trace;
  std::map<std::string, ServedFile> files{{"/__pushwren/manifest.json", {200, "application/json", R"({"v":1})"}}};
  SessionRecord record{trace, [this](std::string_view path) -> std::optional<ServedFile> {
                         const auto found = files.find(std::string(path));
                         if (found == files.end()) return std::nullopt;
                         return found->second;
                       }};
};

TEST_F(SessionRecordTest, ThePlaygroundsAddressReadsServerInStepsAndTrace) {
  const boost::json::object config{
      {"do", "config"}, {"set", {{"oneSignalV5TagsJsonUrl", "http://127.0.0.1:8123/__pushwren/manifest.json"}}}};
  trace.add("log", "from http://127.0.0.1:8123/x");
  record.record(config, 0, "script");
  EXPECT_EQ(record.steps(), "# by script\n" R"({"do":"config","set":{"oneSignalV5TagsJsonUrl":"http://{server}/__pushwren/manifest.json"}})"
                            "\n");
  EXPECT_EQ(record.traceText(), R"(["log","from http://{server}/x"])" "\n");
}

TEST_F(SessionRecordTest, ADownloadFromThePlaygroundIsServedBeforeTheStepThatStartedIt) {
  downloadStep("http://127.0.0.1:8123/__pushwren/manifest.json?v=2");
  // The same answer again needs no step; a changed one does; others' servers are not ours.
  downloadStep("http://localhost:8123/__pushwren/manifest.json");
  files["/__pushwren/manifest.json"].body = R"({"v":2})";
  downloadStep("http://127.0.0.1:8123/__pushwren/manifest.json");
  downloadStep("http://127.0.0.1:9999/__pushwren/manifest.json");
  downloadStep("http://127.0.0.1:8123/not-a-file");

  const auto serve = [](const char* body) {
    return std::string(R"({"do":"serve","path":"/__pushwren/manifest.json","body":)") + body +
           R"(,"headers":{"Content-Type":"application/json"}})" "\n";
  };
  const std::string step = R"({"do":"bridge","runner":"tab-1","url":"pushwren://onesignal/subscriptions"})" "\n";
  EXPECT_EQ(record.steps(), serve(R"("{\"v\":1}")") + step + step + serve(R"("{\"v\":2}")") + step + step + step);
}

TEST_F(SessionRecordTest, TheFilesHoldEachStepAndItsLinesAsSoonAsItIsRecorded) {
  const auto dir = std::filesystem::temp_directory_path() / ("pushwren-record-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  trace.add("CVRegisterModule", "CVPushwren");
  record.record({{"do", "launch"}}, 0);
  ASSERT_EQ(record.writeTo(dir / "s.jsonl", dir / "s.trace"), std::nullopt);
  EXPECT_EQ(fileText(dir / "s.jsonl"), "{\"do\":\"launch\"}\n");

  downloadStep("http://127.0.0.1:8123/__pushwren/manifest.json");
  EXPECT_EQ(fileText(dir / "s.jsonl"), record.steps());
  EXPECT_EQ(fileText(dir / "s.trace"), record.traceText());

  // Lines that come later (a download's outcome) are written when flushed.
  trace.add("ui.spinner", false);
  record.flushTrace();
  EXPECT_EQ(fileText(dir / "s.trace"), record.traceText());
  std::filesystem::remove_all(dir);

  EXPECT_EQ(record.writeTo("/nonexistent-dir/s.jsonl", "/nonexistent-dir/s.trace"),
            std::optional<std::string>("/nonexistent-dir/s.jsonl: cannot be written"));
}

}  // namespace
}  // namespace pushwren::sim::playground
