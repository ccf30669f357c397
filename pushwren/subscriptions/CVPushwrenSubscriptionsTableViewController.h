#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "pushwren/platform/atomic_property.h"
#include "pushwren/platform/ui/switch.h"
#include "pushwren/platform/ui/table_view_controller.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsModel.h"

namespace pushwren {

// The table of the subscriptions screen: one section per manifest section, one row per item
// with a switch that adds or removes the item's data tag at once. Hidden until the screen has
// handed it a model and shows it.
//
// Every row switch is found again only through its tag, an index into `switchTagToItem`: each
// cell the table asks for gets a new switch and a new register entry, so tags count the cells
// asked for since the view loaded. Entries are never removed or reused, so a switch's tag always
// leads to its own row's item. The register is a deque: it grows for as long as the screen shows,
// and a deque takes memory in small blocks as it goes, where a vector would hold up to twice its
// entries and copy them all at each growth.
using CVPushwrenSwitchRegister = std::deque<std::shared_ptr<CVPushwrenSubscriptionItem>>;

class CVPushwrenSubscriptionsTableViewController : public UITableViewController {
 public:
  static constexpr const char* kClassName = "CVPushwrenSubscriptionsTableViewController";
  std::string className() const override { return kClassName; }

  // Takes the model on the caller's thread (the download's) and reloads the table on the main
  // queue.
  void loadModel(std::shared_ptr<CVPushwrenSubscriptionsModel> model);

  long numberOfSectionsInTableView(UITableView& tableView) override;
  long numberOfRowsInSection(UITableView& tableView, long section) override;
  std::optional<std::string> titleForHeaderInSection(UITableView& tableView, long section) override;
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& tableView, const NSIndexPath& indexPath) override;

  // The action of every row switch.
  void switchUpdatedState(UISwitch& sender);

  std::shared_ptr<CVPushwrenSubscriptionsModel> model() const { return model_.get(); }
  void setModel(std::shared_ptr<CVPushwrenSubscriptionsModel> model) { model_.set(std::move(model)); }
  std::shared_ptr<CVPushwrenSwitchRegister> switchTagToItem() const { return switchTagToItem_.get(); }
  void setSwitchTagToItem(std::shared_ptr<CVPushwrenSwitchRegister> items) { switchTagToItem_.set(std::move(items)); }

 protected:
  void viewDidLoad() override;

 private:
  std::shared_ptr<CVPushwrenSubscriptionsTableViewController> selfPointer();
  std::shared_ptr<const CVPushwrenSubscriptionItems> itemsOfSection(long section) const;

  AtomicProperty<std::shared_ptr<CVPushwrenSubscriptionsModel>> model_;
  AtomicProperty<std::shared_ptr<CVPushwrenSwitchRegister>> switchTagToItem_;
};

}  // namespace pushwren
