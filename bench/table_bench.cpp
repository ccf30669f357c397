// The subscriptions table: cells drawn per second for a 100,000-item model, beside the floor of
// a table whose rows only carry their label; and the memory the switch register takes over ten
// redraws, beside the floor of its entries alone.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "bench/generated_manifest.h"
#include "pushwren/platform/main_queue.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsTableViewController.h"

namespace pushwren::bench {
namespace {

constexpr std::size_t kItems = 100'000;

std::shared_ptr<CVPushwrenSubscriptionsModel> modelOfItems(std::size_t items) {
  auto model = CVPushwrenSubscriptionsModel::modelWithJSONData(manifestOfItems(items));
  model->markSubscribedItems(generatedTags());
  return model;
}

// A subscriptions table with its view loaded and the model drawn once.
std::shared_ptr<CVPushwrenSubscriptionsTableViewController> drawnTable(std::shared_ptr<CVPushwrenSubscriptionsModel> model) {
  auto controller = std::make_shared<CVPushwrenSubscriptionsTableViewController>();
  controller->view();
  controller->loadModel(std::move(model));
  MainQueue::shared().runUntilIdle();
  return controller;
}

// The least a table row costs: a reused cell with its label set.
class LabelOnlyRows : public UITableViewDataSource {
 public:
  explicit LabelOnlyRows(std::shared_ptr<CVPushwrenSubscriptionsModel> model) : model_(std::move(model)) {}
  long numberOfSectionsInTableView(UITableView&) override { return static_cast<long>(model_->sections()->size()); }
  long numberOfRowsInSection(UITableView&, long section) override {
    return static_cast<long>((*model_->sections())[static_cast<std::size_t>(section)]->items()->size());
  }
  std::optional<std::string> titleForHeaderInSection(UITableView&, long section) override {
    return (*model_->sections())[static_cast<std::size_t>(section)]->name();
  }
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& at) override {
    auto cell = table.dequeueReusableCellWithIdentifier("SubscriptionCell", at);
    const auto items = (*model_->sections())[static_cast<std::size_t>(at.section)]->items();
    cell->textLabel()->setText((*items)[static_cast<std::size_t>(at.row)]->name());
    return cell;
  }

 private:
  std::shared_ptr<CVPushwrenSubscriptionsModel> model_;
};

void BM_TableCells(benchmark::State& state) {
  const auto controller = drawnTable(modelOfItems(kItems));
  for (auto _ : state) {
    controller->tableView()->redrawRows();
    // The register grows by a row per cell by design; a fresh one keeps the run's memory flat.
    state.PauseTiming();
    controller->setSwitchTagToItem(std::make_shared<CVPushwrenSwitchRegister>());
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kItems));
  state.SetLabel("100k_items");
}

void BM_TableCellsFloor(benchmark::State& state) {
  const auto rows = std::make_shared<LabelOnlyRows>(modelOfItems(kItems));
  UITableView table;
  table.setDataSource(rows);
  table.reloadData();
  for (auto _ : state) table.redrawRows();
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kItems));
  state.SetLabel("100k_items");
}

std::size_t heapInUse() { return mallinfo2().uordblks; }

void BM_TableRegisterMemory(benchmark::State& state) {
  constexpr int kRedraws = 10;
  for (auto _ : state) {
    const auto controller = drawnTable(modelOfItems(kItems));
    const auto before = heapInUse();
    for (int i = 0; i < kRedraws; ++i) controller->tableView()->redrawRows();
    const auto grown = heapInUse() - before;
    state.counters["value"] = static_cast<double>(grown);
    state.counters["floor"] = static_cast<double>(kRedraws * kItems * sizeof(CVPushwrenSwitchRegister::value_type));
  }
  state.SetLabel("10_redraws_100k_items");
}

BENCHMARK(BM_TableCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableCellsFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableRegisterMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pushwren::bench
