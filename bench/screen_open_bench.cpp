// Opening the subscriptions screen: from "/showTagsUI" to the table shown, for a manifest of 50
// topics (what a user meets) and one of 10,000 served on loopback, each beside the floor of
// libcurl fetching the same bytes alone from the same server.
#include <benchmark/benchmark.h>

#include <curl/curl.h>

#include <chrono>
#include <optional>
#include <stdexcept>

#include "bench/generated_manifest.h"
#include "pushwren/platform/main_queue.h"
#include "sim/host/reference_host.h"
#include "sim/server/scenario_server.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsController.h"

namespace pushwren::bench {
namespace {

constexpr std::size_t kItemCounts[] = {50, 10'000};
const char* const kLabels[] = {"50 topics", "10k_items"};

// The loopback server with the manifests on it, shared by the measurements and their floors.
sim::ScenarioServer& manifestServer() {
  static sim::ScenarioServer server;
  static const bool served = [] {
    if (!server.failure().empty()) throw std::runtime_error(server.failure());
    for (const auto items : kItemCounts) {
      sim::ServedResponse response;
      response.body = manifestOfItems(items);
      response.headers = {{"Content-Type", "application/json"}};
      server.serve("/manifest-" + std::to_string(items) + ".json", std::move(response));
    }
    return true;
  }();
  (void)served;
  return server;
}

std::string manifestUrl(std::size_t items) {
  return "http://" + manifestServer().address() + "/manifest-" + std::to_string(items) + ".json";
}

// The screen the runner shows now, once its table is revealed; none before.
std::shared_ptr<CVPushwrenSubscriptionsController> shownScreen(sim::Runner& runner) {
  const auto screen = std::dynamic_pointer_cast<CVPushwrenSubscriptionsController>(runner.presentedViewController());
  const auto table = screen ? screen->tableVC() : nullptr;
  return table && !table->view()->isHidden() ? screen : nullptr;
}

void BM_ScreenOpen(benchmark::State& state) {
  const auto url = manifestUrl(kItemCounts[state.range(0)]);
  sim::Trace trace;
  sim::ReferenceHost host(trace);
  host.config().setOneSignalV5Enabled(true);
  host.config().setOneSignalV5AppId("bench-app");
  host.config().setOneSignalV5TagsJsonUrl(url);
  host.sdk().setTags(generatedTags());
  host.launch(std::nullopt);
  const auto runner = host.runner("r1");
  auto& queue = MainQueue::shared();
  queue.runUntilIdle();

  // Where the time goes: until the table holds the model (download, reading, marking), and
  // from there to the table shown (drawing every row).
  using Clock = std::chrono::steady_clock;
  Clock::duration toModel{}, toShown{};
  const auto modelHandedOver = [&] {
    const auto screen = std::dynamic_pointer_cast<CVPushwrenSubscriptionsController>(runner->presentedViewController());
    return screen && screen->tableVC() && screen->tableVC()->model();
  };
  for (auto _ : state) {
    const auto start = Clock::now();
    std::optional<Clock::time_point> modelAt;
    host.shouldLoadRequest("r1", "corvane://onesignal/showTagsUI", {});
    const auto deadline = start + std::chrono::seconds(30);
    for (;;) {
      const auto seen = queue.generation();
      if (!modelAt && modelHandedOver()) modelAt = Clock::now();
      queue.runUntilIdle();
      if (shownScreen(*runner)) break;
      if (!queue.waitForActivity(seen, deadline)) {
        state.SkipWithError("the screen did not show within 30 s");
        return;
      }
    }
    const auto shownAt = Clock::now();
    toModel += modelAt.value_or(shownAt) - start;
    toShown += shownAt - modelAt.value_or(shownAt);
    state.PauseTiming();
    runner->dismissViewControllerAnimated(false, nullptr);
    queue.runUntilIdle();
    state.ResumeTiming();
  }
  const auto perIteration = [&](Clock::duration total) {
    return std::chrono::duration<double, std::milli>(total).count() / static_cast<double>(state.iterations());
  };
  state.counters["to_model_ms"] = perIteration(toModel);
  state.counters["model_to_shown_ms"] = perIteration(toShown);
  state.SetLabel(kLabels[state.range(0)]);
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

void BM_ScreenOpenFloor(benchmark::State& state) {
  const auto url = manifestUrl(kItemCounts[state.range(0)]);
  for (auto _ : state) {
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const auto code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (code != CURLE_OK) {
      state.SkipWithError(curl_easy_strerror(code));
      return;
    }
    benchmark::DoNotOptimize(body.data());
  }
  state.SetLabel(kLabels[state.range(0)]);
}

BENCHMARK(BM_ScreenOpen)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScreenOpenFloor)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace pushwren::bench
