// A minimal host: it sets up the app's configuration, application, app delegate and push SDK,
// makes the plugin that registered itself when its library loaded, and forwards the host's entry
// points to it: the end of the launch, the runner, the end of the page's first load, one bridge
// URL from the page and one notification tap. The runner prints what it receives.
#include <chrono>
#include <iostream>
#include <memory>
#include <string_view>
#include <vector>

#include "app_delegate.h"
#include <pushwren/contracts/host/app_config.h>
#include <pushwren/contracts/host/register_module.h>
#include <pushwren/contracts/onesignal/onesignal.h>
#include <pushwren/platform/application.h>
#include <pushwren/platform/main_queue.h>
#include <pushwren/plugin/CVPushwren.h>
#include "push_sdk.h"
#include "runner.h"

using namespace pushwren;

int main() {
  // The app's configuration, read by the plugin at each use.
  auto config = std::make_shared<CorvaneAppConfig>();
  config->setOneSignalV5Enabled(true);
  config->setOneSignalV5AppId("demo-app-id");
  config->setOneSignalV5AutoRegister(true);
  CorvaneAppConfig::setSharedAppConfig(config);

  UIApplication::sharedApplication()->setDelegate(std::make_shared<AppDelegate>());
  const auto sdk = std::make_shared<DemoPushSdk>();
  OneSignal::install(sdk);

  // The shared library registers the plugin when it is loaded; linked statically, the plugin
  // registers here. Calling it with the shared library too does no harm, so a host that may be
  // linked either way calls it.
  CVPushwren::load();

  // Every module registered itself; the host makes one object each.
  std::vector<std::shared_ptr<CVEventEmitter>> modules;
  for (const auto& module : CVRegisteredModules()) {
    std::cout << "host: module " << module.className << "\n";
    modules.push_back(module.make());
  }

  // All entry points are called on the main thread.
  for (const auto& module : modules) module->didFinishLaunchingWithOptions(*UIApplication::sharedApplication(), {});
  const auto runner = std::make_shared<PrintingRunner>();
  for (const auto& module : modules) module->runnerDidLoad(runner);
  for (const auto& module : modules) module->didFinishNavigation(nullptr, nullptr, runner);

  // The page asks for its tags: it navigates to a bridge URL; the host offers it to every module.
  constexpr std::string_view url = "pushwren://onesignal/tags/get";
  const boost::json::object data{{"callback", "onTags"}};
  bool load = true;
  for (const auto& module : modules) load = module->shouldLoadRequestWithURL(runner, url, data) && load;
  std::cout << "host: " << url << (load ? " is loaded" : " is not loaded") << "\n";

  sdk->tap({{"story", "42"}});

  // The host's main loop drives the main queue (the subscriptions screen posts its work there).
  // This host has no loop: it runs the queue until nothing is left, downloads in flight included.
  MainQueue::shared().runUntilSettled(std::chrono::steady_clock::now() + std::chrono::seconds(30));
  return 0;
}
