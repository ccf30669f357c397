#include "sim/sdk/simulated_onesignal.h"

#include <algorithm>

namespace pushwren::sim {
namespace {

class SimNotification final : public OSNotification {
 public:
  SimNotification(Trace& trace, std::optional<boost::json::object> data) : trace_(trace), data_(std::move(data)) {}
  std::optional<boost::json::object> additionalData() const override { return data_; }
  void display() override { trace_.add("notification.display"); }

 private:
  Trace& trace_;
  std::optional<boost::json::object> data_;
};

class SimClickEvent final : public OSNotificationClickEvent {
 public:
  explicit SimClickEvent(std::shared_ptr<OSNotification> notification) : notification_(std::move(notification)) {}
  std::shared_ptr<OSNotification> notification() const override { return notification_; }

 private:
  std::shared_ptr<OSNotification> notification_;
};

class SimWillDisplayEvent final : public OSNotificationWillDisplayEvent {
 public:
  SimWillDisplayEvent(Trace& trace, std::shared_ptr<OSNotification> notification)
      : trace_(trace), notification_(std::move(notification)) {}
  std::shared_ptr<OSNotification> notification() const override { return notification_; }
  void preventDefault() override { trace_.add("event.preventDefault"); }

 private:
  Trace& trace_;
  std::shared_ptr<OSNotification> notification_;
};

class SimInAppClickEvent final : public OSInAppMessageClickEvent {
 public:
  explicit SimInAppClickEvent(OSInAppMessageClickResult result) : result_(std::move(result)) {}
  OSInAppMessageClickResult result() const override { return result_; }

 private:
  OSInAppMessageClickResult result_;
};

// The id and token a device is given when the user first allows notifications.
constexpr const char* kGrantedSubscriptionId = "sub-1";
constexpr const char* kGrantedToken = "token-1";

}  // namespace

std::string_view permissionName(PushPermission permission) {
  switch (permission) {
    case PushPermission::Granted: return "granted";
    case PushPermission::Prompt: return "prompt";
    case PushPermission::Denied: return "denied";
  }
  return "granted";
}

std::optional<PushPermission> permissionNamed(std::string_view name) {
  for (const auto permission : {PushPermission::Granted, PushPermission::Prompt, PushPermission::Denied}) {
    if (permissionName(permission) == name) return permission;
  }
  return std::nullopt;
}

template <class Listener, class Call>
void SimulatedOneSignal::notify(const std::vector<std::weak_ptr<Listener>>& listeners, Call call) {
  std::vector<std::shared_ptr<Listener>> alive;
  {
    std::lock_guard lock(mutex_);
    for (const auto& weak : listeners) {
      if (auto listener = weak.lock()) alive.push_back(std::move(listener));
    }
  }
  for (const auto& listener : alive) call(*listener);
}

std::shared_ptr<SimulatedOneSignal> SimulatedOneSignal::relaunched() const {
  auto next = std::make_shared<SimulatedOneSignal>(trace_);
  std::lock_guard lock(mutex_);
  auto& kept = next->state_;
  kept.onesignalId = state_.onesignalId;
  kept.externalId = state_.externalId;
  kept.subscription = state_.subscription;
  kept.tags = state_.tags;
  kept.permission = state_.permission;
  kept.inAppMessages = state_.inAppMessages;
  kept.shownMessageIds = state_.shownMessageIds;
  return next;
}

SimulatedOneSignal::State SimulatedOneSignal::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void SimulatedOneSignal::setOnesignalId(std::optional<std::string> id) {
  std::lock_guard lock(mutex_);
  state_.onesignalId = std::move(id);
}

void SimulatedOneSignal::setExternalId(std::optional<std::string> id) {
  std::lock_guard lock(mutex_);
  state_.externalId = std::move(id);
}

void SimulatedOneSignal::setSubscription(OSPushSubscriptionState subscription) {
  std::lock_guard lock(mutex_);
  state_.subscription = std::move(subscription);
}

void SimulatedOneSignal::setTags(boost::json::object tags) {
  std::lock_guard lock(mutex_);
  state_.tags = std::move(tags);
}

void SimulatedOneSignal::setPermission(PushPermission permission) {
  std::lock_guard lock(mutex_);
  state_.permission = permission;
  if (permission != PushPermission::Prompt) state_.permissionPromptOpen = false;
}

void SimulatedOneSignal::setInAppMessages(std::vector<InAppMessage> messages) {
  {
    std::lock_guard lock(mutex_);
    state_.inAppMessages = std::move(messages);
  }
  showTriggeredMessages();
}

void SimulatedOneSignal::fireNotificationClick(const NotificationContent& notification) {
  const SimClickEvent event(std::make_shared<SimNotification>(trace_, notification.additionalData));
  notify(clickListeners_, [&](OSNotificationClickListener& listener) { listener.onClickNotification(event); });
}

void SimulatedOneSignal::fireNotificationWillDisplay(const NotificationContent& notification) {
  SimWillDisplayEvent event(trace_, std::make_shared<SimNotification>(trace_, notification.additionalData));
  notify(lifecycleListeners_,
         [&](OSNotificationLifecycleListener& listener) { listener.onWillDisplayNotification(event); });
}

void SimulatedOneSignal::fireInAppMessageClick(OSInAppMessageClickResult result) {
  const SimInAppClickEvent event(std::move(result));
  notify(inAppClickListeners_, [&](OSInAppMessageClickListener& listener) { listener.onClickInAppMessage(event); });
}

void SimulatedOneSignal::fireSubscriptionChanged(OSPushSubscriptionState current) {
  OSPushSubscriptionChangedState change;
  {
    std::lock_guard lock(mutex_);
    change.previous = std::exchange(state_.subscription, current);
    change.current = std::move(current);
  }
  notify(subscriptionObservers_,
         [&](OSPushSubscriptionObserver& observer) { observer.onPushSubscriptionDidChangeWithState(change); });
}

bool SimulatedOneSignal::answerPermissionPrompt(bool allow) {
  OSPushSubscriptionState granted;
  {
    std::lock_guard lock(mutex_);
    if (!state_.permissionPromptOpen) return false;
    state_.permissionPromptOpen = false;
    state_.permission = allow ? PushPermission::Granted : PushPermission::Denied;
    if (!allow) return true;
    granted = state_.subscription;
  }
  if (!granted.id) granted.id = kGrantedSubscriptionId;
  if (!granted.token) granted.token = kGrantedToken;
  granted.optedIn = true;
  fireSubscriptionChanged(std::move(granted));
  return true;
}

bool SimulatedOneSignal::pressInAppMessageButton(const std::string& messageId, std::size_t button) {
  InAppMessageButton pressed;
  {
    std::lock_guard lock(mutex_);
    const auto& shown = state_.displayedMessages;
    const auto message = std::find_if(shown.begin(), shown.end(), [&](const auto& m) { return m.id == messageId; });
    if (message == shown.end() || button >= message->buttons.size()) return false;
    pressed = message->buttons[button];
  }
  fireInAppMessageClick({pressed.url, pressed.actionId, pressed.closes});
  if (pressed.closes) {
    {
      std::lock_guard lock(mutex_);
      std::erase_if(state_.displayedMessages, [&](const auto& m) { return m.id == messageId; });
    }
    trace_.add("sdk.inAppMessage.dismiss", messageId);
  }
  if (pressed.promptsForPush) askForPush();
  return true;
}

void SimulatedOneSignal::askForPush() {
  bool prompt = false;
  {
    std::lock_guard lock(mutex_);
    switch (state_.permission) {
      case PushPermission::Granted:
        state_.subscription.optedIn = true;
        break;
      case PushPermission::Prompt:
        // While the prompt is open, asking again opens nothing.
        prompt = !std::exchange(state_.permissionPromptOpen, true);
        break;
      case PushPermission::Denied:
        break;
    }
  }
  if (prompt) trace_.add("sdk.permissionPrompt");
}

void SimulatedOneSignal::showTriggeredMessages() {
  std::vector<std::string> shown;
  {
    std::lock_guard lock(mutex_);
    if (state_.paused) return;
    for (const auto& message : state_.inAppMessages) {
      if (state_.shownMessageIds.contains(message.id)) continue;
      const auto* value = state_.triggers.if_contains(message.triggerKey);
      if (value == nullptr || !sameJsonValue(*value, message.triggerValue)) continue;
      state_.shownMessageIds.insert(message.id);
      state_.displayedMessages.push_back(message);
      shown.push_back(message.id);
    }
  }
  for (const auto& id : shown) trace_.add("sdk.inAppMessage.show", id);
}

void SimulatedOneSignal::setConsentRequired(bool required) {
  trace_.add("OneSignal.setConsentRequired", required);
  std::lock_guard lock(mutex_);
  state_.consentRequired = required;
}

void SimulatedOneSignal::initialize(const std::optional<std::string>& appId,
                                    const std::optional<boost::json::object>& launchOptions) {
  trace_.add("OneSignal.initialize", orNull(appId), orNull(launchOptions));
  std::lock_guard lock(mutex_);
  state_.initialized = true;
}

void SimulatedOneSignal::setConsentGiven(bool given) {
  trace_.add("OneSignal.setConsentGiven", given);
  std::lock_guard lock(mutex_);
  state_.consentGiven = given;
}

void SimulatedOneSignal::login(const std::string& externalId) {
  trace_.add("OneSignal.login", externalId);
  std::lock_guard lock(mutex_);
  state_.externalId = externalId;
}

void SimulatedOneSignal::logout() {
  trace_.add("OneSignal.logout");
  std::lock_guard lock(mutex_);
  state_.externalId.reset();
}

std::optional<std::string> SimulatedOneSignal::onesignalId() const {
  std::lock_guard lock(mutex_);
  return state_.onesignalId;
}

std::optional<std::string> SimulatedOneSignal::externalId() const {
  std::lock_guard lock(mutex_);
  return state_.externalId;
}

// The tags come sorted by key, as the real SDK's answer does.
std::optional<boost::json::object> SimulatedOneSignal::getTags() const {
  std::lock_guard lock(mutex_);
  std::vector<const boost::json::key_value_pair*> sorted;
  sorted.reserve(state_.tags.size());
  for (const auto& entry : state_.tags) sorted.push_back(&entry);
  std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->key() < b->key(); });
  boost::json::object tags;
  tags.reserve(sorted.size());
  for (const auto* entry : sorted) tags.emplace(entry->key(), entry->value());
  return tags;
}

void SimulatedOneSignal::addTags(const boost::json::object& tags) {
  trace_.add("OneSignal.User.addTags", tags);
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : tags) state_.tags[key] = value;
}

void SimulatedOneSignal::removeTags(const boost::json::array& keys) {
  trace_.add("OneSignal.User.removeTags", keys);
  std::lock_guard lock(mutex_);
  for (const auto& key : keys) {
    if (key.is_string()) state_.tags.erase(key.get_string());
  }
}

void SimulatedOneSignal::addTagWithKey(const std::string& key, const std::string& value) {
  trace_.add("OneSignal.User.addTagWithKey", key, value);
  std::lock_guard lock(mutex_);
  state_.tags[key] = value;
}

void SimulatedOneSignal::removeTag(const std::string& key) {
  trace_.add("OneSignal.User.removeTag", key);
  std::lock_guard lock(mutex_);
  state_.tags.erase(key);
}

std::optional<std::string> SimulatedOneSignal::id() const {
  std::lock_guard lock(mutex_);
  return state_.subscription.id;
}

std::optional<std::string> SimulatedOneSignal::token() const {
  std::lock_guard lock(mutex_);
  return state_.subscription.token;
}

bool SimulatedOneSignal::optedIn() const {
  std::lock_guard lock(mutex_);
  return state_.subscription.optedIn;
}

void SimulatedOneSignal::optIn() {
  trace_.add("OneSignal.User.pushSubscription.optIn");
  askForPush();
}

void SimulatedOneSignal::addObserver(std::weak_ptr<OSPushSubscriptionObserver> observer) {
  trace_.add("OneSignal.User.pushSubscription.addObserver");
  std::lock_guard lock(mutex_);
  subscriptionObservers_.push_back(std::move(observer));
}

void SimulatedOneSignal::addClickListener(std::weak_ptr<OSNotificationClickListener> listener) {
  trace_.add("OneSignal.Notifications.addClickListener");
  std::lock_guard lock(mutex_);
  clickListeners_.push_back(std::move(listener));
}

void SimulatedOneSignal::addForegroundLifecycleListener(std::weak_ptr<OSNotificationLifecycleListener> listener) {
  trace_.add("OneSignal.Notifications.addForegroundLifecycleListener");
  std::lock_guard lock(mutex_);
  lifecycleListeners_.push_back(std::move(listener));
}

void SimulatedOneSignal::addClickListener(std::weak_ptr<OSInAppMessageClickListener> listener) {
  trace_.add("OneSignal.InAppMessages.addClickListener");
  std::lock_guard lock(mutex_);
  inAppClickListeners_.push_back(std::move(listener));
}

void SimulatedOneSignal::addTrigger(const std::string& key, const boost::json::value& value) {
  trace_.add("OneSignal.InAppMessages.addTrigger", key, value);
  {
    std::lock_guard lock(mutex_);
    state_.triggers[key] = value;
  }
  showTriggeredMessages();
}

void SimulatedOneSignal::addTriggers(const boost::json::object& triggers) {
  trace_.add("OneSignal.InAppMessages.addTriggers", triggers);
  {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : triggers) state_.triggers[key] = value;
  }
  showTriggeredMessages();
}

void SimulatedOneSignal::removeTrigger(const std::string& key) {
  trace_.add("OneSignal.InAppMessages.removeTrigger", key);
  std::lock_guard lock(mutex_);
  state_.triggers.erase(key);
}

void SimulatedOneSignal::paused(bool pause) {
  trace_.add("OneSignal.InAppMessages.paused", pause);
  {
    std::lock_guard lock(mutex_);
    state_.paused = pause;
  }
  if (!pause) showTriggeredMessages();
}

void SimulatedOneSignal::requestPermission() {
  trace_.add("OneSignal.Location.requestPermission");
  std::lock_guard lock(mutex_);
  state_.locationRequested = true;
}

}  // namespace pushwren::sim
