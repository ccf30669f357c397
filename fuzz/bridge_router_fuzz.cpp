// A URL and arbitrary bridge data through the router and every command: the first line of the
// input is the URL (or the path of a bridge URL, tried against every command), the rest is the
// bridge data as JSON. Nothing may crash, and every URL whose host is "onesignal" answers false.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <boost/json/parse.hpp>

#include "pushwren/bridge/command_table.h"
#include "pushwren/contracts/host/app_config.h"
#include "pushwren/contracts/host/javascript_runner.h"
#include "pushwren/platform/log.h"
#include "pushwren/platform/main_queue.h"
#include "pushwren/plugin/CVPushwren.h"

namespace {

// A runner that accepts every call and does nothing with it.
class QuietRunner final : public pushwren::CVJavascriptRunner, public pushwren::CVCorvaneInfoRunner {
 public:
  std::string className() const override { return "QuietRunner"; }
  void runJavascriptWithCallback(const pushwren::CallbackName&, const boost::json::object&) override {}
  void handleJsNavigationUrl(const std::string&) override {}
  void triggerEvent(const std::string&, const boost::json::object&) override {}
  void runCorvaneInfoWithCallback(const pushwren::CallbackName&, const boost::json::object&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto plugin = [] {
    auto config = std::make_shared<pushwren::CorvaneAppConfig>();
    config->setOneSignalV5Enabled(true);
    pushwren::CorvaneAppConfig::setSharedAppConfig(config);
    // A screen opened by the URL line fails its download (no manifest URL is configured) and
    // logs it; the log would only drown the fuzzer's own output.
    pushwren::setLogSink([](std::string_view) {});
    return pushwren::CVPushwren::make();
  }();
  static const auto runner = std::make_shared<QuietRunner>();

  const std::string input(reinterpret_cast<const char*>(data), size);
  const auto newline = input.find('\n');
  const std::string url = input.substr(0, newline);
  boost::json::object bridgeData;
  if (newline != std::string::npos) {
    boost::system::error_code ec;
    auto parsed = boost::json::parse(std::string_view(input).substr(newline + 1), ec);
    if (!ec && parsed.is_object()) bridgeData = std::move(parsed.get_object());
  }

  (void)plugin->shouldLoadRequestWithURL(runner, url, bridgeData);
  // The same data through every command, screens excepted: they read no bridge data.
  for (const auto& entry : pushwren::bridge::commandTable()) {
    if (entry.path == "/showTagsUI") continue;
    if (plugin->shouldLoadRequestWithURL(runner, "corvane://onesignal" + std::string(entry.path), bridgeData)) {
      __builtin_trap();
    }
  }
  pushwren::MainQueue::shared().runUntilIdle();
  return 0;
}
