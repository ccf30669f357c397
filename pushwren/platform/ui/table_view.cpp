#include "pushwren/platform/ui/table_view.h"

#include "pushwren/platform/ui/ui_observer.h"

namespace pushwren {

void UITableView::registerCellPrototype(const std::string& reuseIdentifier, UITableViewCellStyle style) {
  prototypes_[reuseIdentifier] = style;
}

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(const std::string& reuseIdentifier,
                                                                                const NSIndexPath&) {
  if (auto queued = reuseQueue_.find(reuseIdentifier); queued != reuseQueue_.end() && !queued->second.empty()) {
    auto cell = std::move(queued->second.front());
    queued->second.pop_front();
    return cell;
  }
  const auto prototype = prototypes_.find(reuseIdentifier);
  const auto style = prototype != prototypes_.end() ? prototype->second : UITableViewCellStyle::Default;
  return std::make_shared<UITableViewCell>(style, reuseIdentifier);
}

void UITableView::reloadData() { drawAllRows(); }

void UITableView::redrawRows() { drawAllRows(); }

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(const NSIndexPath& indexPath) const {
  if (indexPath.section < 0 || indexPath.row < 0) return nullptr;
  const auto section = static_cast<std::size_t>(indexPath.section);
  const auto row = static_cast<std::size_t>(indexPath.row);
  if (section >= displayed_.size() || row >= displayed_[section].cells.size()) return nullptr;
  return displayed_[section].cells[row];
}

void UITableView::drawAllRows() {
  for (auto& section : displayed_) {
    for (auto& cell : section.cells) {
      if (cell) reuseQueue_[cell->reuseIdentifier()].push_back(std::move(cell));
    }
  }
  displayed_.clear();

  // Keeps the data source alive while it answers, even if an answer ends its screen.
  const auto dataSource = dataSource_.lock();
  if (dataSource) {
    const long sections = dataSource->numberOfSectionsInTableView(*this);
    for (long s = 0; s < sections; ++s) {
      DisplayedSection shown;
      shown.title = dataSource->titleForHeaderInSection(*this, s);
      const long rows = dataSource->numberOfRowsInSection(*this, s);
      for (long r = 0; r < rows; ++r) shown.cells.push_back(dataSource->cellForRowAtIndexPath(*this, {s, r}));
      displayed_.push_back(std::move(shown));
    }
  }
  if (auto* observer = uiObserver()) observer->tableViewDisplayedRows(*this);
}

}  // namespace pushwren
