#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "pushwren/export.h"
#include "pushwren/platform/atomic_property.h"

namespace pushwren {

// The host's configuration, read afresh at each use. Every flag starts false and every string
// absent. Each property is read and written indivisibly.
class PUSHWREN_EXPORT CorvaneAppConfig {
 public:
  // The one shared configuration. The host may replace it (tests install a fresh one).
  static std::shared_ptr<CorvaneAppConfig> sharedAppConfig();
  static void setSharedAppConfig(std::shared_ptr<CorvaneAppConfig> config);

#define PUSHWREN_FLAG(name, setter)                      \
  bool name() const { return name##_.load(); }          \
  void setter(bool value) { name##_.store(value); }
  PUSHWREN_FLAG(oneSignalV5Enabled, setOneSignalV5Enabled)
  PUSHWREN_FLAG(oneSignalV5RequiresUserPrivacyConsent, setOneSignalV5RequiresUserPrivacyConsent)
  PUSHWREN_FLAG(oneSignalV5AutoRegister, setOneSignalV5AutoRegister)
  PUSHWREN_FLAG(oneSignalAutoRegister, setOneSignalAutoRegister)
  PUSHWREN_FLAG(oneSignalV5IosSoftPrompt, setOneSignalV5IosSoftPrompt)
  PUSHWREN_FLAG(oneSignalV5ClearNotificationsOnLaunch, setOneSignalV5ClearNotificationsOnLaunch)
  PUSHWREN_FLAG(oneSignalV5ForegroundNotificationsEnabled, setOneSignalV5ForegroundNotificationsEnabled)
#undef PUSHWREN_FLAG

  std::optional<std::string> oneSignalV5AppId() const { return appId_.get(); }
  void setOneSignalV5AppId(std::optional<std::string> value) { appId_.set(std::move(value)); }

  // A URL, held as its text; absent when the host has none.
  std::optional<std::string> oneSignalV5TagsJsonUrl() const { return tagsJsonUrl_.get(); }
  void setOneSignalV5TagsJsonUrl(std::optional<std::string> value) { tagsJsonUrl_.set(std::move(value)); }

 private:
  std::atomic<bool> oneSignalV5Enabled_{false};
  std::atomic<bool> oneSignalV5RequiresUserPrivacyConsent_{false};
  std::atomic<bool> oneSignalV5AutoRegister_{false};
  std::atomic<bool> oneSignalAutoRegister_{false};
  std::atomic<bool> oneSignalV5IosSoftPrompt_{false};
  std::atomic<bool> oneSignalV5ClearNotificationsOnLaunch_{false};
  std::atomic<bool> oneSignalV5ForegroundNotificationsEnabled_{false};
  AtomicProperty<std::optional<std::string>> appId_;
  AtomicProperty<std::optional<std::string>> tagsJsonUrl_;
};

}  // namespace pushwren
