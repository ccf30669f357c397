#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <boost/json/object.hpp>

#include "pushwren/platform/atomic_property.h"

namespace pushwren {

// One topic, shown as one row with a switch. The topic is on when the user carries the data tag
// whose key is `identifier`. Items are shared: the model's lists and the table's switch register
// hold the same objects.
class CVPushwrenSubscriptionItem {
 public:
  CVPushwrenSubscriptionItem() = default;
  CVPushwrenSubscriptionItem(std::optional<std::string> identifier, std::optional<std::string> name)
      : identifier_(std::move(identifier)), name_(std::move(name)) {}

  std::optional<std::string> identifier() const { return identifier_.get(); }
  void setIdentifier(std::optional<std::string> identifier) { identifier_.set(std::move(identifier)); }
  std::optional<std::string> name() const { return name_.get(); }
  void setName(std::optional<std::string> name) { name_.set(std::move(name)); }
  bool isSubscribed() const { return isSubscribed_.load(); }
  void setIsSubscribed(bool subscribed) { isSubscribed_.store(subscribed); }

 private:
  AtomicProperty<std::optional<std::string>> identifier_;
  AtomicProperty<std::optional<std::string>> name_;
  std::atomic<bool> isSubscribed_{false};
};

using CVPushwrenSubscriptionItems = std::vector<std::shared_ptr<CVPushwrenSubscriptionItem>>;

// One group of items under a heading (none: no heading).
class CVPushwrenSubscriptionsSection {
 public:
  std::optional<std::string> name() const { return name_.get(); }
  void setName(std::optional<std::string> name) { name_.set(std::move(name)); }
  // Never none: an empty list until items are set.
  std::shared_ptr<const CVPushwrenSubscriptionItems> items() const { return items_.get(); }
  void setItems(CVPushwrenSubscriptionItems items) {
    items_.set(std::make_shared<const CVPushwrenSubscriptionItems>(std::move(items)));
  }

 private:
  AtomicProperty<std::optional<std::string>> name_;
  AtomicProperty<std::shared_ptr<const CVPushwrenSubscriptionItems>> items_{
      std::make_shared<const CVPushwrenSubscriptionItems>()};
};

using CVPushwrenSubscriptionsSections = std::vector<std::shared_ptr<CVPushwrenSubscriptionsSection>>;

// One read subscriptions manifest.
class CVPushwrenSubscriptionsModel {
 public:
  // The model of a manifest document, or none when the bytes are not a JSON document whose top
  // level is an object or an array. Everything of the wrong shape inside is skipped or counts as
  // absent; a top-level array gives a model with no sections.
  static std::shared_ptr<CVPushwrenSubscriptionsModel> modelWithJSONData(std::string_view data);

  // Never none: an empty list until sections are set.
  std::shared_ptr<const CVPushwrenSubscriptionsSections> sections() const { return sections_.get(); }
  void setSections(CVPushwrenSubscriptionsSections sections) {
    sections_.set(std::make_shared<const CVPushwrenSubscriptionsSections>(std::move(sections)));
  }

  // Marks subscribed every item whose identifier is a key of `tags` (exact match; the value does
  // not count). Never unmarks.
  void markSubscribedItems(const boost::json::object& tags) const;

 private:
  AtomicProperty<std::shared_ptr<const CVPushwrenSubscriptionsSections>> sections_{
      std::make_shared<const CVPushwrenSubscriptionsSections>()};
};

}  // namespace pushwren
