// Run by scripts/install_check.sh against an install tree, built as C++17 with the flags
// pkg-config gives for it:
//   bundle_probe find     prints the resource bundle the installed plugin finds, or "none"
//   bundle_probe show     sends the page's "/showTagsUI" and prints what the runner was asked to
//                         present, or "nothing"
//   bundle_probe modules  prints the modules registered without the host calling anything: the
//                         shared library registers the plugin when it is loaded
//   bundle_probe version  prints the version of the headers, then the library's
#include <iostream>
#include <memory>
#include <string>

#include <pushwren/contracts/host/app_config.h>
#include <pushwren/contracts/host/javascript_runner.h>
#include <pushwren/platform/bundle.h>
#include <pushwren/platform/main_queue.h>
#include <pushwren/contracts/host/register_module.h>
#include <pushwren/plugin/CVPushwren.h>
#include <pushwren/version.h>

using namespace pushwren;

namespace {

class PresentingRunner final : public CVJavascriptRunner {
 public:
  std::string className() const override { return "PresentingRunner"; }
  void runJavascriptWithCallback(const CallbackName&, const boost::json::object&) override {}
  void handleJsNavigationUrl(const std::string&) override {}
  void triggerEvent(const std::string&, const boost::json::object&) override {}
  void presentViewController(std::shared_ptr<UIViewController> controller, bool, std::function<void()>) override {
    presented = controller ? controller->className() : "none";
  }
  std::string presented = "nothing";
};

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const auto plugin = CVPushwren::make();
  if (mode == "find") {
    const auto bundle = plugin->getBundle();
    std::cout << (bundle ? bundle->bundleURL().string() : "none") << "\n";
    return 0;
  }
  if (mode == "show") {
    CorvaneAppConfig::sharedAppConfig()->setOneSignalV5Enabled(true);
    const auto runner = std::make_shared<PresentingRunner>();
    plugin->shouldLoadRequestWithURL(runner, "pushwren://onesignal/showTagsUI", {});
    MainQueue::shared().runUntilIdle();
    std::cout << "presented: " << runner->presented << "\n";
    return 0;
  }
  if (mode == "modules") {
    for (const auto& module : CVRegisteredModules()) std::cout << module.className << "\n";
    return 0;
  }
  if (mode == "version") {
    std::cout << PUSHWREN_VERSION_STRING << " " << version() << "\n";
    return 0;
  }
  std::cerr << "usage: bundle_probe find|show|modules|version\n";
  return 2;
}
