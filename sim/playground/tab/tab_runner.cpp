#include "sim/playground/tab/tab_runner.h"

#include <iostream>

#include "sim/playground/tab/callback_names.h"
#include "sim/playground/tab/navigation_policy.h"
#include "sim/playground/tab/page_messages.h"

namespace pushwren::sim::playground {

TabRunner::TabRunner(Trace& trace, std::string id, std::weak_ptr<PageChannel> page)
    : InfoRunner(trace, std::move(id)), page_(std::move(page)) {}

void TabRunner::runJavascriptWithCallback(const CallbackName& callback, const boost::json::object& data) {
  Runner::runJavascriptWithCallback(callback, data);
  callPage(callback, data);
}

void TabRunner::runCorvaneInfoWithCallback(const CallbackName& callback, const boost::json::object& additionalData) {
  InfoRunner::runCorvaneInfoWithCallback(callback, additionalData);
  callPage(callback, additionalData);
}

void TabRunner::handleJsNavigationUrl(const std::string& url) {
  Runner::handleJsNavigationUrl(url);
  if (isFollowableNavigation(url)) {
    send(navigateMessage(url));
    return;
  }
  std::cerr << "playground: " << id() << ": refused to navigate to " << url
            << ": only http(s) URLs and relative references are followed\n";
  send(noticeMessage("Refused to navigate to " + url + ": only http(s) URLs and relative references are followed"));
}

void TabRunner::triggerEvent(const std::string& name, const boost::json::object& data) {
  Runner::triggerEvent(name, data);
  send(eventMessage(name, data));
}

void TabRunner::callPage(const CallbackName& callback, const boost::json::object& data) {
  const auto functions = pageFunctions(callback);
  for (const auto& refused : functions.refused) {
    send(noticeMessage("Refused to call " + refused + ": not a function name"));
  }
  if (!functions.names.empty()) send(callMessage(functions.names, data));
}

void TabRunner::send(std::string message) {
  if (const auto page = page_.lock()) page->send(std::move(message));
}

}  // namespace pushwren::sim::playground
