#include "sim/host/reference_host.h"

#include "pushwren/contracts/host/tracking_status.h"
#include "pushwren/platform/notification_center.h"
#include "pushwren/plugin/CVPushwren.h"

namespace pushwren::sim {
namespace {

class TracedApplication final : public UIApplication {
 public:
  explicit TracedApplication(Trace& trace) : trace_(trace) {}
  void setApplicationIconBadgeNumber(long number) override {
    trace_.add("application.setApplicationIconBadgeNumber", number);
    UIApplication::setApplicationIconBadgeNumber(number);
  }

 private:
  Trace& trace_;
};

class TracedNotificationCenter final : public NSNotificationCenter {
 public:
  explicit TracedNotificationCenter(Trace& trace) : trace_(trace) {}
  void addObserver(std::string name, Handler handler) override {
    if (name == kCVAppTrackingStatusChangedNotification) trace_.add("NotificationCenter.addObserver");
    NSNotificationCenter::addObserver(std::move(name), std::move(handler));
  }

 private:
  Trace& trace_;
};

}  // namespace

ReferenceHost::ReferenceHost(Trace& trace)
    : trace_(trace), config_(std::make_shared<CorvaneAppConfig>()), sdk_(std::make_shared<SimulatedOneSignal>(trace)) {
  CorvaneAppConfig::setSharedAppConfig(config_);
  installProcessObjects(0);
  loadModules();
}

void ReferenceHost::restartProcess() {
  modules_.clear();
  runners_.clear();
  launched_ = false;
  sdk_ = sdk_->relaunched();
  installProcessObjects(application_->applicationIconBadgeNumber());
  loadModules();
}

// The objects a process has of its own, installed as the process's shared ones. The badge is
// the home screen's: it outlives the process.
void ReferenceHost::installProcessObjects(long badge) {
  application_ = std::make_shared<TracedApplication>(trace_);
  application_->UIApplication::setApplicationIconBadgeNumber(badge);
  notificationCenter_ = std::make_shared<TracedNotificationCenter>(trace_);
  UIApplication::setSharedApplication(application_);
  NSNotificationCenter::setDefaultCenter(notificationCenter_);
  OneSignal::install(sdk_);
  shapeAppDelegate(delegateShape_);
}

// The modules register themselves when their code is loaded; a new process loads the same code,
// so the registrations read now are the ones it would make. The plugin is linked in statically
// here, so its class is loaded as a static host loads it.
void ReferenceHost::loadModules() {
  CVPushwren::load();
  for (const auto& module : CVRegisteredModules()) {
    trace_.add("CVRegisterModule", module.className);
    modules_.push_back(module.make());
  }
}

ReferenceHost::~ReferenceHost() {
  OneSignal::install(nullptr);
  NSNotificationCenter::setDefaultCenter(std::make_shared<NSNotificationCenter>());
  UIApplication::setSharedApplication(std::make_shared<UIApplication>());
  CorvaneAppConfig::setSharedAppConfig(std::make_shared<CorvaneAppConfig>());
}

void ReferenceHost::shapeAppDelegate(const AppDelegateShape& shape) {
  delegateShape_ = shape;
  application_->setDelegate(makeAppDelegate(shape, trace_));
}

std::shared_ptr<Runner> ReferenceHost::runner(const std::string& id) {
  const auto found = runners_.find(id);
  return found != runners_.end() ? found->second : makeRunner(id, true);
}

std::shared_ptr<Runner> ReferenceHost::makeRunner(const std::string& id, bool withInfo) {
  auto made = withInfo ? std::make_shared<InfoRunner>(trace_, id) : std::make_shared<Runner>(trace_, id);
  runners_[id] = made;
  return made;
}

void ReferenceHost::adoptRunner(std::shared_ptr<Runner> runner) { runners_[runner->id()] = std::move(runner); }

void ReferenceHost::releaseRunner(const std::string& id) { runners_.erase(id); }

void ReferenceHost::launch(const std::optional<boost::json::object>& options) {
  launched_ = true;
  for (const auto& module : modules_) module->didFinishLaunchingWithOptions(*application_, options);
}

void ReferenceHost::runnerDidLoad(const std::string& runnerId) {
  const auto made = runner(runnerId);
  for (const auto& module : modules_) module->runnerDidLoad(made);
}

void ReferenceHost::runnerWillAppear(const std::string& runnerId) {
  const auto made = runner(runnerId);
  for (const auto& module : modules_) module->runnerWillAppear(made);
}

bool ReferenceHost::shouldLoadRequest(const std::string& runnerId, std::string_view url,
                                      const boost::json::object& data) {
  const auto made = runner(runnerId);
  bool load = true;
  for (const auto& module : modules_) load = module->shouldLoadRequestWithURL(made, url, data) && load;
  return load;
}

void ReferenceHost::navigationFinished(const std::string& runnerId) {
  const auto made = runner(runnerId);
  for (const auto& module : modules_) module->didFinishNavigation(nullptr, nullptr, made);
}

void ReferenceHost::postTrackingStatus(std::optional<boost::json::value> object) {
  notificationCenter_->postNotification({std::string(kCVAppTrackingStatusChangedNotification), std::move(object)});
}

}  // namespace pushwren::sim
