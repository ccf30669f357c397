#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include <boost/json/object.hpp>

#include "pushwren/contracts/host/javascript_runner.h"
#include "pushwren/export.h"
#include "pushwren/platform/application.h"

namespace pushwren {

// The host's web view and navigation, handed to the plugin as they are; the plugin never looks
// inside them.
class WKWebView;
class WKNavigation;

// The host's base class of a plugin module. The host makes one object of each registered module
// and forwards its entry points to it, on the main thread; a module overrides those it handles.
class PUSHWREN_EXPORT CVEventEmitter {
 public:
  virtual ~CVEventEmitter() = default;

  virtual void didFinishLaunchingWithOptions(UIApplication& /*application*/,
                                             const std::optional<boost::json::object>& /*launchOptions*/) {}
  virtual void runnerDidLoad(const std::shared_ptr<CVJavascriptRunner>& /*runner*/) {}
  virtual void runnerWillAppear(const std::shared_ptr<CVJavascriptRunner>& /*runner*/) {}
  // False when the module took the URL and the web view must not load it.
  virtual bool shouldLoadRequestWithURL(const std::shared_ptr<CVJavascriptRunner>& /*runner*/,
                                        std::string_view /*url*/, const boost::json::object& /*data*/) {
    return true;
  }
  virtual void didFinishNavigation(const WKWebView* /*webView*/, const WKNavigation* /*navigation*/,
                                   const std::shared_ptr<CVJavascriptRunner>& /*runner*/) {}
};

}  // namespace pushwren
