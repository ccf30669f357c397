// urlWithString throughput, a regression guard beside Boost.URL's own reading of the same URL
// once it is encoded.
#include <benchmark/benchmark.h>

#include <string>

#include <boost/url/parse.hpp>

#include "pushwren/plugin/OneSignalV5Utilities.h"

namespace pushwren {
namespace {

std::string urlOfSize(int which) {
  if (which == 0) return "https://news.example.com/articles/2026/12/10/local-weather?ref=push&id=12345#top";  // 80 bytes
  std::string url = "https://news.example.com/articles/";
  while (url.size() < 2048) url += "caf\xC3\xA9 au lait/\xE2\x82\xAC/";
  url.resize(2048 - 4);
  return url + "#top";
}

void BM_UrlWithString(benchmark::State& state) {
  const auto url = urlOfSize(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(OneSignalV5Utilities::urlWithString(url));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * url.size()));
  state.SetLabel(state.range(0) == 0 ? "ascii_80" : "non_ascii_2k");
}

void BM_UrlWithStringFloor(benchmark::State& state) {
  const auto url = urlOfSize(static_cast<int>(state.range(0)));
  const auto encoded = OneSignalV5Utilities::urlWithString(url)->absoluteString();
  for (auto _ : state) benchmark::DoNotOptimize(boost::urls::parse_uri_reference(encoded));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * url.size()));
  state.SetLabel(state.range(0) == 0 ? "ascii_80" : "non_ascii_2k");
}

BENCHMARK(BM_UrlWithString)->Arg(0)->Arg(1);
BENCHMARK(BM_UrlWithStringFloor)->Arg(0)->Arg(1);

}  // namespace
}  // namespace pushwren
