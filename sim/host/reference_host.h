#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/object.hpp>

#include "pushwren/contracts/host/app_config.h"
#include "pushwren/contracts/host/register_module.h"
#include "pushwren/platform/notification_center.h"
#include "sim/host/app_delegate.h"
#include "sim/host/runner.h"
#include "sim/sdk/simulated_onesignal.h"
#include "sim/trace.h"

namespace pushwren::sim {

// The host framework of this machine. It installs its configuration, application, notification
// centre and push SDK as the process's shared ones, makes one object of every module that
// registered itself when its code was loaded, and forwards its entry points to them. It owns the
// runners: letting go of one makes the plugin's weak reference to it read absent.
//
// The app's process can end and start again on the same device (restartProcess): what the
// device keeps stays (the host configuration, the app delegate's shape, what the SDK stores, the
// icon's badge); everything the process made is made anew.
class ReferenceHost {
 public:
  explicit ReferenceHost(Trace& trace);
  ~ReferenceHost();
  ReferenceHost(const ReferenceHost&) = delete;
  ReferenceHost& operator=(const ReferenceHost&) = delete;

  Trace& trace() { return trace_; }
  CorvaneAppConfig& config() { return *config_; }
  SimulatedOneSignal& sdk() { return *sdk_; }
  UIApplication& application() { return *application_; }

  void shapeAppDelegate(const AppDelegateShape& shape);

  // Ends the app's process and starts a new one: the runners, the module objects, the SDK's
  // listeners and the notification centre's observers go; the modules' code loads again (traced
  // as at the start) and the new objects are made. The app has not launched in the new process.
  void restartProcess();

  // The runner of that id, made (with every operation) on first mention.
  std::shared_ptr<Runner> runner(const std::string& id);
  // Makes the runner of that id anew, with or without the info operation, in place of any other.
  std::shared_ptr<Runner> makeRunner(const std::string& id, bool withInfo);
  // Places a runner made elsewhere (the playground's tabs) under its id.
  void adoptRunner(std::shared_ptr<Runner> runner);
  void releaseRunner(const std::string& id);

  // Entry points, forwarded to every module. The app launches once per process.
  bool hasLaunched() const { return launched_; }
  void launch(const std::optional<boost::json::object>& options);
  void runnerDidLoad(const std::string& runnerId);
  void runnerWillAppear(const std::string& runnerId);
  bool shouldLoadRequest(const std::string& runnerId, std::string_view url, const boost::json::object& data);
  void navigationFinished(const std::string& runnerId);
  void postTrackingStatus(std::optional<boost::json::value> object);

 private:
  void installProcessObjects(long badge);
  void loadModules();

  Trace& trace_;
  AppDelegateShape delegateShape_;
  std::shared_ptr<CorvaneAppConfig> config_;
  std::shared_ptr<UIApplication> application_;
  std::shared_ptr<NSNotificationCenter> notificationCenter_;
  std::shared_ptr<SimulatedOneSignal> sdk_;
  std::vector<std::shared_ptr<CVEventEmitter>> modules_;
  std::map<std::string, std::shared_ptr<Runner>> runners_;
  bool launched_ = false;
};

}  // namespace pushwren::sim
