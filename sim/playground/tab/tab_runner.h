#pragma once

#include <memory>
#include <string>

#include "sim/host/runner.h"

namespace pushwren::sim::playground {

// The way to one browser tab: its WebSocket, or a fake in tests.
class PageChannel {
 public:
  virtual ~PageChannel() = default;
  virtual void send(std::string message) = 0;
};

// The runner of one browser tab. Every call is traced as any runner's is, then forwarded to the
// tab: page functions are called by name with the map, the web view navigates, the host event is
// dispatched in the page. Names that are not function names and URLs the web view must not
// follow are refused here, before anything reaches the page, and the tab is told why.
class TabRunner final : public InfoRunner {
 public:
  TabRunner(Trace& trace, std::string id, std::weak_ptr<PageChannel> page);

  void runJavascriptWithCallback(const CallbackName& callback, const boost::json::object& data) override;
  void runCorvaneInfoWithCallback(const CallbackName& callback, const boost::json::object& additionalData) override;
  void handleJsNavigationUrl(const std::string& url) override;
  void triggerEvent(const std::string& name, const boost::json::object& data) override;

 private:
  void callPage(const CallbackName& callback, const boost::json::object& data);
  void send(std::string message);

  std::weak_ptr<PageChannel> page_;
};

}  // namespace pushwren::sim::playground
