#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pushwren/platform/ui/table_view_cell.h"
#include "pushwren/platform/ui/view.h"

namespace pushwren {

class UITableView;

struct NSIndexPath {
  long section = 0;
  long row = 0;
};

// What a table shows, asked of its data source on the main thread.
class UITableViewDataSource {
 public:
  virtual ~UITableViewDataSource() = default;
  virtual long numberOfSectionsInTableView(UITableView& tableView) = 0;
  virtual long numberOfRowsInSection(UITableView& tableView, long section) = 0;
  // None: the section has no heading.
  virtual std::optional<std::string> titleForHeaderInSection(UITableView& tableView, long section) = 0;
  virtual std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& tableView,
                                                                 const NSIndexPath& indexPath) = 0;
};

// A headless table, as tall as all its rows: each time it draws it asks its data source for
// everything (the number of sections, each section's heading and row count, the cell of every row
// in order) and keeps what it got. Cells it drew before go back to its reuse queue first. Main
// thread only.
class UITableView : public UIView {
 public:
  struct DisplayedSection {
    std::optional<std::string> title;
    std::vector<std::shared_ptr<UITableViewCell>> cells;
  };

  // Not owned: the table draws nothing once its data source has gone.
  void setDataSource(std::weak_ptr<UITableViewDataSource> dataSource) { dataSource_ = std::move(dataSource); }

  // Cells with this reuse identifier are made in this style (a storyboard's cell prototype).
  void registerCellPrototype(const std::string& reuseIdentifier, UITableViewCellStyle style);

  // A cell for the given position: one from the reuse queue, else a new one made from the
  // prototype. An identifier that has no prototype gets a new cell of the default style.
  std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& reuseIdentifier,
                                                                     const NSIndexPath& indexPath);

  // Asks the data source again for everything and draws it.
  void reloadData();
  // Draws every row again without a reload, as after scrolling away and back.
  void redrawRows();

  const std::vector<DisplayedSection>& displayedSections() const { return displayed_; }
  // The cell now drawn at that position, or none.
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const NSIndexPath& indexPath) const;

 private:
  void drawAllRows();

  std::weak_ptr<UITableViewDataSource> dataSource_;
  std::map<std::string, UITableViewCellStyle, std::less<>> prototypes_;
  std::map<std::string, std::deque<std::shared_ptr<UITableViewCell>>, std::less<>> reuseQueue_;
  std::vector<DisplayedSection> displayed_;
};

}  // namespace pushwren
