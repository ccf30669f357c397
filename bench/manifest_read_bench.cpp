// Reading a manifest and marking the user's topics, beside the floor of Boost.JSON parsing the
// same bytes alone.
#include <benchmark/benchmark.h>

#include <boost/json/parse.hpp>

#include "bench/generated_manifest.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsModel.h"

namespace pushwren::bench {
namespace {

constexpr std::size_t kSizes[] = {1000, 100'000, 10'000'000};
const char* const kLabels[] = {"1KB", "100KB", "10MB"};

void BM_ManifestRead(benchmark::State& state) {
  const auto manifest = generatedManifest(kSizes[state.range(0)]);
  const auto tags = generatedTags();
  for (auto _ : state) {
    const auto model = CVPushwrenSubscriptionsModel::modelWithJSONData(manifest);
    model->markSubscribedItems(tags);
    benchmark::DoNotOptimize(model.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * manifest.size()));
  state.SetLabel(kLabels[state.range(0)]);
}

void BM_ManifestReadFloor(benchmark::State& state) {
  const auto manifest = generatedManifest(kSizes[state.range(0)]);
  for (auto _ : state) benchmark::DoNotOptimize(boost::json::parse(manifest));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * manifest.size()));
  state.SetLabel(kLabels[state.range(0)]);
}

BENCHMARK(BM_ManifestRead)->DenseRange(0, 2);
BENCHMARK(BM_ManifestReadFloor)->DenseRange(0, 2);

}  // namespace
}  // namespace pushwren::bench
