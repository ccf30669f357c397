#include "pushwren/platform/ui/table_view_controller.h"

namespace pushwren {

std::shared_ptr<UITableView> UITableViewController::tableView() { return std::dynamic_pointer_cast<UITableView>(view()); }

void UITableViewController::loadView() {
  auto table = std::make_shared<UITableView>();
  if (auto self = weak_from_this().lock()) {
    table->setDataSource(std::shared_ptr<UITableViewDataSource>(self, static_cast<UITableViewDataSource*>(this)));
  }
  setView(std::move(table));
}

}  // namespace pushwren
