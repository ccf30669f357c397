#pragma once

#include <memory>
#include <string>

#include "pushwren/contracts/host/javascript_runner.h"
#include "sim/trace.h"

namespace pushwren::sim {

// A runner of the reference host: traces every call the plugin makes on it. The page it stands
// for is the scenario's, or a browser tab's (the playground forwards the calls to it).
class Runner : public CVJavascriptRunner {
 public:
  Runner(Trace& trace, std::string id) : trace_(trace), id_(std::move(id)) {}

  const std::string& id() const { return id_; }
  std::string className() const override { return "CVJavascriptRunner"; }

  void runJavascriptWithCallback(const CallbackName& callback, const boost::json::object& data) override;
  void handleJsNavigationUrl(const std::string& url) override;
  void triggerEvent(const std::string& name, const boost::json::object& data) override;
  void presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
                             std::function<void()> completion) override;

 protected:
  Trace& trace_;

 private:
  std::string id_;
};

// A runner that also has the host's info report.
class InfoRunner : public Runner, public CVCorvaneInfoRunner {
 public:
  using Runner::Runner;
  void runCorvaneInfoWithCallback(const CallbackName& callback, const boost::json::object& additionalData) override;
};

}  // namespace pushwren::sim
