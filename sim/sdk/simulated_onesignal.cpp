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

}  // namespace

template <class Listener>
std::vector<std::shared_ptr<Listener>> SimulatedOneSignal::live(const std::vector<std::weak_ptr<Listener>>& listeners) {
  std::vector<std::shared_ptr<Listener>> alive;
  for (const auto& weak : listeners) {
    if (auto listener = weak.lock()) alive.push_back(std::move(listener));
  }
  return alive;
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
  sortedTags_.reset();
}

// Listeners are called outside the lock: they call back into the SDK.
void SimulatedOneSignal::fireNotificationClick(std::optional<boost::json::object> additionalData) {
  std::vector<std::shared_ptr<OSNotificationClickListener>> listeners;
  {
    std::lock_guard lock(mutex_);
    listeners = live(clickListeners_);
  }
  const SimClickEvent event(std::make_shared<SimNotification>(trace_, std::move(additionalData)));
  for (const auto& listener : listeners) listener->onClickNotification(event);
}

void SimulatedOneSignal::fireNotificationWillDisplay() {
  std::vector<std::shared_ptr<OSNotificationLifecycleListener>> listeners;
  {
    std::lock_guard lock(mutex_);
    listeners = live(lifecycleListeners_);
  }
  SimWillDisplayEvent event(trace_, std::make_shared<SimNotification>(trace_, std::nullopt));
  for (const auto& listener : listeners) listener->onWillDisplayNotification(event);
}

void SimulatedOneSignal::fireInAppMessageClick(OSInAppMessageClickResult result) {
  std::vector<std::shared_ptr<OSInAppMessageClickListener>> listeners;
  {
    std::lock_guard lock(mutex_);
    listeners = live(inAppClickListeners_);
  }
  const SimInAppClickEvent event(std::move(result));
  for (const auto& listener : listeners) listener->onClickInAppMessage(event);
}

void SimulatedOneSignal::fireSubscriptionChanged(OSPushSubscriptionState current) {
  std::vector<std::shared_ptr<OSPushSubscriptionObserver>> observers;
  OSPushSubscriptionChangedState change;
  {
    std::lock_guard lock(mutex_);
    change.previous = std::exchange(state_.subscription, current);
    change.current = std::move(current);
    observers = live(subscriptionObservers_);
  }
  for (const auto& observer : observers) observer->onPushSubscriptionDidChangeWithState(change);
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

// The tags come sorted by key, as the real SDK's answer does; the sorted copy is kept until the
// tags change, since a subscriptions screen asks for all of them each time it opens.
std::optional<boost::json::object> SimulatedOneSignal::getTags() const {
  std::lock_guard lock(mutex_);
  if (sortedTags_) return sortedTags_;
  std::vector<const boost::json::key_value_pair*> sorted;
  sorted.reserve(state_.tags.size());
  for (const auto& entry : state_.tags) sorted.push_back(&entry);
  std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->key() < b->key(); });
  boost::json::object tags;
  tags.reserve(sorted.size());
  for (const auto* entry : sorted) tags.emplace(entry->key(), entry->value());
  sortedTags_ = tags;
  return tags;
}

void SimulatedOneSignal::addTags(const boost::json::object& tags) {
  trace_.add("OneSignal.User.addTags", tags);
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : tags) state_.tags[key] = value;
  sortedTags_.reset();
}

void SimulatedOneSignal::removeTags(const boost::json::array& keys) {
  trace_.add("OneSignal.User.removeTags", keys);
  std::lock_guard lock(mutex_);
  for (const auto& key : keys) {
    if (key.is_string()) state_.tags.erase(key.get_string());
  }
  sortedTags_.reset();
}

void SimulatedOneSignal::addTagWithKey(const std::string& key, const std::string& value) {
  trace_.add("OneSignal.User.addTagWithKey", key, value);
  std::lock_guard lock(mutex_);
  state_.tags[key] = value;
  sortedTags_.reset();
}

void SimulatedOneSignal::removeTag(const std::string& key) {
  trace_.add("OneSignal.User.removeTag", key);
  std::lock_guard lock(mutex_);
  state_.tags.erase(key);
  sortedTags_.reset();
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
  std::lock_guard lock(mutex_);
  state_.subscription.optedIn = true;
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
  std::lock_guard lock(mutex_);
  state_.triggers[key] = value;
}

void SimulatedOneSignal::addTriggers(const boost::json::object& triggers) {
  trace_.add("OneSignal.InAppMessages.addTriggers", triggers);
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : triggers) state_.triggers[key] = value;
}

void SimulatedOneSignal::removeTrigger(const std::string& key) {
  trace_.add("OneSignal.InAppMessages.removeTrigger", key);
  std::lock_guard lock(mutex_);
  state_.triggers.erase(key);
}

void SimulatedOneSignal::paused(bool pause) {
  trace_.add("OneSignal.InAppMessages.paused", pause);
  std::lock_guard lock(mutex_);
  state_.paused = pause;
}

void SimulatedOneSignal::requestPermission() {
  trace_.add("OneSignal.Location.requestPermission");
  std::lock_guard lock(mutex_);
  state_.locationRequested = true;
}

}  // namespace pushwren::sim
