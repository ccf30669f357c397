#include "pushwren/subscriptions/CVPushwrenSubscriptionsTableViewController.h"

#include "pushwren/contracts/onesignal/onesignal.h"
#include "pushwren/platform/main_queue.h"

namespace pushwren {
namespace {

constexpr const char* kSubscriptionCell = "SubscriptionCell";

template <class List>
typename List::value_type elementAt(const List& list, long index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
  return list[static_cast<std::size_t>(index)];
}

}  // namespace

void CVPushwrenSubscriptionsTableViewController::viewDidLoad() {
  UITableViewController::viewDidLoad();
  view()->setHidden(true);
  setSwitchTagToItem(std::make_shared<CVPushwrenSwitchRegister>());
}

void CVPushwrenSubscriptionsTableViewController::loadModel(std::shared_ptr<CVPushwrenSubscriptionsModel> model) {
  setModel(std::move(model));
  dispatchAsyncMain([self = selfPointer()] {
    if (const auto table = self ? self->tableView() : nullptr) table->reloadData();
  });
}

std::shared_ptr<CVPushwrenSubscriptionsTableViewController> CVPushwrenSubscriptionsTableViewController::selfPointer() {
  return std::static_pointer_cast<CVPushwrenSubscriptionsTableViewController>(weak_from_this().lock());
}

std::shared_ptr<const CVPushwrenSubscriptionItems> CVPushwrenSubscriptionsTableViewController::itemsOfSection(
    long section) const {
  const auto current = model();
  if (!current) return nullptr;
  const auto found = elementAt(*current->sections(), section);
  return found ? found->items() : nullptr;
}

long CVPushwrenSubscriptionsTableViewController::numberOfSectionsInTableView(UITableView&) {
  const auto current = model();
  return current ? static_cast<long>(current->sections()->size()) : 0;
}

long CVPushwrenSubscriptionsTableViewController::numberOfRowsInSection(UITableView&, long section) {
  const auto items = itemsOfSection(section);
  return items ? static_cast<long>(items->size()) : 0;
}

std::optional<std::string> CVPushwrenSubscriptionsTableViewController::titleForHeaderInSection(UITableView&,
                                                                                              long section) {
  const auto current = model();
  const auto found = current ? elementAt(*current->sections(), section) : nullptr;
  return found ? found->name() : std::nullopt;
}

std::shared_ptr<UITableViewCell> CVPushwrenSubscriptionsTableViewController::cellForRowAtIndexPath(
    UITableView& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView.dequeueReusableCellWithIdentifier(kSubscriptionCell, indexPath);
  const auto items = itemsOfSection(indexPath.section);
  const auto item = items ? elementAt(*items, indexPath.row) : nullptr;
  if (!item) return cell;
  if (const auto& label = cell->textLabel()) label->setText(item->name());

  auto tagToItem = switchTagToItem();
  if (!tagToItem) {
    tagToItem = std::make_shared<CVPushwrenSwitchRegister>();
    setSwitchTagToItem(tagToItem);
  }
  // A reused cell's old switch is replaced too: its tag stays in the register for good.
  auto rowSwitch = std::make_shared<UISwitch>();
  rowSwitch->setTag(static_cast<long>(tagToItem->size()));
  tagToItem->push_back(item);
  rowSwitch->setOn(item->isSubscribed());
  rowSwitch->addTarget(targetAction(selfPointer(), &CVPushwrenSubscriptionsTableViewController::switchUpdatedState),
                       UIControlEventValueChanged);
  cell->setAccessoryView(std::move(rowSwitch));
  return cell;
}

void CVPushwrenSubscriptionsTableViewController::switchUpdatedState(UISwitch& sender) {
  const auto tagToItem = switchTagToItem();
  // A switch that is not one of ours has no entry; it changes nothing.
  const auto item = tagToItem ? elementAt(*tagToItem, sender.tag()) : nullptr;
  if (!item) return;
  const bool on = sender.isOn();
  item->setIsSubscribed(on);
  const auto identifier = item->identifier();
  if (!identifier) return;
  const auto sdk = OneSignal::shared();
  auto& user = sdk->User();
  if (on) {
    user.addTagWithKey(*identifier, "1");
  } else {
    user.removeTag(*identifier);
  }
}

}  // namespace pushwren
