#pragma once

#include <memory>

#include "pushwren/platform/ui/table_view.h"
#include "pushwren/platform/ui/view_controller.h"

namespace pushwren {

// A screen whose root view is a table, with the controller as the table's data source.
class UITableViewController : public UIViewController, public UITableViewDataSource {
 public:
  // The root view as a table; loads it on first use.
  std::shared_ptr<UITableView> tableView();

 protected:
  void loadView() override;
};

}  // namespace pushwren
