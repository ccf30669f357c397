#pragma once

#include <memory>
#include <optional>

#include <boost/json/object.hpp>

#include "pushwren/bridge/bridge_plugin.h"
#include "pushwren/platform/bundle.h"

namespace pushwren::testing {

// The plugin as the bridge sees it, without the plugin: it keeps the runner (weakly, as the
// plugin does) and the in-app callback, answers the info call through the runner's info report
// with an empty payload, and hands out whatever bundle a test gives it.
class BridgePluginFake : public CVPushwrenBridgePlugin {
 public:
  void setRunner(const std::shared_ptr<CVJavascriptRunner>& runner) override { runner_ = runner; }
  std::shared_ptr<CVJavascriptRunner> runner() const { return runner_.lock(); }

  void runOneSignalInfoWithCallback(const CallbackName& callback) override {
    const auto current = runner();
    if (auto* reporter = dynamic_cast<CVCorvaneInfoRunner*>(current.get())) {
      reporter->runCorvaneInfoWithCallback(callback, boost::json::object{});
    }
  }

  void setInAppMessageCallback(std::optional<boost::json::value> callback) override {
    inAppMessageCallback_ = std::move(callback);
  }
  std::optional<boost::json::value> inAppMessageCallback() const { return inAppMessageCallback_; }

  std::shared_ptr<NSBundle> getBundle() const override { return bundle; }
  std::shared_ptr<NSBundle> bundle;

 private:
  std::weak_ptr<CVJavascriptRunner> runner_;
  std::optional<boost::json::value> inAppMessageCallback_;
};

}  // namespace pushwren::testing
