#include "pushwren/bridge/commands.h"
#include "pushwren/bridge/readings.h"
#include "pushwren/contracts/onesignal/onesignal.h"
#include "pushwren/platform/bool_value.h"

namespace pushwren::bridge {

// The SDK names a trigger by a string key. A "key" that is missing or not a string, or a
// missing "value", leaves nothing the SDK could set or remove, so such a request is dropped
// here, silently like every other malformed trigger request. A present value of any kind, null
// included, is passed on as the page sent it.
void addTrigger(const BridgeRequest& request) {
  const auto* key = request.entry("key");
  const auto* value = request.entry("value");
  if (key == nullptr || !key->is_string() || value == nullptr) return;
  OneSignal::shared()->InAppMessages().addTrigger(std::string(key->get_string()), *value);
}

void addTriggers(const BridgeRequest& request) {
  if (const auto triggers = mapReading(request.entry("map"))) OneSignal::shared()->InAppMessages().addTriggers(*triggers);
}

void removeTriggerForKey(const BridgeRequest& request) {
  const auto* key = request.entry("key");
  if (key == nullptr || !key->is_string()) return;
  OneSignal::shared()->InAppMessages().removeTrigger(std::string(key->get_string()));
}

void pauseInAppMessages(const BridgeRequest& request) {
  OneSignal::shared()->InAppMessages().paused(boolValue(request.entry("pause")));
}

void setInAppMessageClickHandler(const BridgeRequest& request) {
  // A missing handler clears the stored one: in-app message clicks are then no longer reported to
  // the page.
  const auto* handler = request.entry("handler");
  request.plugin.setInAppMessageCallback(handler ? std::optional<boost::json::value>(*handler) : std::nullopt);
}

}  // namespace pushwren::bridge
