// Bridge URLs through the router, beside the floor of parsing the same URL with Boost.URL alone.
// No runner and the stand-in SDK, so the figures are the router's and the commands' own work.
#include <benchmark/benchmark.h>

#include <boost/json/object.hpp>
#include <boost/url/parse.hpp>

#include "pushwren/contracts/host/app_config.h"
#include "pushwren/plugin/CVPushwren.h"

namespace pushwren {
namespace {

struct RouterCase {
  const char* url;
  boost::json::object data;
};

RouterCase routerCase(int which) {
  switch (which) {
    case 0: return {"corvane://onesignal/info", {{"callback", "cb"}}};
    case 1: return {"corvane://onesignal/tags/set", {{"tags", boost::json::object{{"a", "1"}, {"b", "2"}}}, {"callback", "cb"}}};
    case 2: return {"corvane://onesignal/tags/set", {{"tags", "%7B%22a%22%3A%221%22%2C%22b%22%3A%222%22%7D"}, {"callback", "cb"}}};
    default: return {"corvane://onesignal/no/such/command", {{"callback", "cb"}}};
  }
}

const char* const kCaseNames[] = {"info", "tags_set_map", "tags_set_encoded", "unknown"};

void BM_Router(benchmark::State& state) {
  const auto c = routerCase(static_cast<int>(state.range(0)));
  auto config = std::make_shared<CorvaneAppConfig>();
  config->setOneSignalV5Enabled(true);
  CorvaneAppConfig::setSharedAppConfig(config);
  const auto plugin = CVPushwren::make();
  const std::shared_ptr<CVJavascriptRunner> noRunner;
  for (auto _ : state) benchmark::DoNotOptimize(plugin->shouldLoadRequestWithURL(noRunner, c.url, c.data));
  state.SetLabel(kCaseNames[state.range(0)]);
}

void BM_RouterFloor(benchmark::State& state) {
  const auto c = routerCase(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(boost::urls::parse_uri_reference(c.url));
  state.SetLabel(kCaseNames[state.range(0)]);
}

BENCHMARK(BM_Router)->DenseRange(0, 3);
BENCHMARK(BM_RouterFloor)->DenseRange(0, 3);

}  // namespace
}  // namespace pushwren
