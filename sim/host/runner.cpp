#include "sim/host/runner.h"

namespace pushwren::sim {

void Runner::runJavascriptWithCallback(const CallbackName& callback, const boost::json::object& data) {
  trace_.add("runner.runJavascriptWithCallback", id_, orNull(callback), data);
}

void Runner::handleJsNavigationUrl(const std::string& url) { trace_.add("runner.handleJsNavigationUrl", id_, url); }

void Runner::triggerEvent(const std::string& name, const boost::json::object& data) {
  trace_.add("runner.triggerEvent", id_, name, data);
}

void Runner::presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
                                   std::function<void()> completion) {
  trace_.add("runner.presentViewController", id_, controller ? controller->className() : std::string(), animated);
  CVJavascriptRunner::presentViewController(std::move(controller), animated, std::move(completion));
}

void InfoRunner::runCorvaneInfoWithCallback(const CallbackName& callback, const boost::json::object& additionalData) {
  trace_.add("runner.runCorvaneInfoWithCallback", id(), orNull(callback), additionalData);
}

}  // namespace pushwren::sim
