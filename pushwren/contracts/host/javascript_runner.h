#pragma once

#include <optional>
#include <string>

#include <boost/json/object.hpp>
#include <boost/json/value.hpp>

#include "pushwren/export.h"
#include "pushwren/platform/ui/view_controller.h"

namespace pushwren {

// A callback for the page: one function name, a list of names, or whatever the page sent,
// passed on untested. Absent when the page sent none.
using CallbackName = std::optional<boost::json::value>;

// The host's runner: the view controller of the web view, which runs JavaScript in the page,
// navigates it, raises host events and presents screens (presentViewController).
class PUSHWREN_EXPORT CVJavascriptRunner : public UIViewController {
 public:
  // Calls each page function named by the callback with the data map as its one argument.
  virtual void runJavascriptWithCallback(const CallbackName& callback, const boost::json::object& data) = 0;
  // Navigates the web view to the URL.
  virtual void handleJsNavigationUrl(const std::string& url) = 0;
  // Raises a host event.
  virtual void triggerEvent(const std::string& name, const boost::json::object& data) = 0;
};

// Optional operation of a runner: the host's own info report, to which the plugin's map is
// handed as additional data. Ask with dynamic_cast before each call.
class PUSHWREN_EXPORT CVCorvaneInfoRunner {
 public:
  virtual ~CVCorvaneInfoRunner() = default;
  virtual void runCorvaneInfoWithCallback(const CallbackName& callback,
                                          const boost::json::object& additionalData) = 0;
};

}  // namespace pushwren
