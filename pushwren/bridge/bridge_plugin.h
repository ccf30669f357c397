#pragma once

#include <memory>
#include <optional>

#include <boost/json/value.hpp>

#include "pushwren/contracts/host/javascript_runner.h"
#include "pushwren/export.h"
#include "pushwren/subscriptions/screen_owner.h"

namespace pushwren {

// What the router and its commands use of the plugin: they remember the page's runner, ask for
// the info report, keep the in-app message callback and open the subscriptions screen.
class PUSHWREN_EXPORT CVPushwrenBridgePlugin : public CVPushwrenScreenOwner {
 public:
  virtual void setRunner(const std::shared_ptr<CVJavascriptRunner>& runner) = 0;
  // Sends the info payload to the plugin's runner under the callback name.
  virtual void runOneSignalInfoWithCallback(const CallbackName& callback) = 0;
  // None clears the callback: in-app message clicks are then no longer reported to the page.
  virtual void setInAppMessageCallback(std::optional<boost::json::value> callback) = 0;
};

}  // namespace pushwren
