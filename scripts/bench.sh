#!/usr/bin/env bash
# Every benchmark, in one command: builds the benchmarks and the reference host in Release, runs
# the Google Benchmark suite, the replay of a recorded session, the browser's bridge round trip,
# the relaunch, the push API's notification to the banner and the site loaded through the
# playground, and writes
# build/bench/results.json with each measurement beside its floor; prints the table.
# Not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."

PUSHWREN_SETUP_EXTRAS="${PUSHWREN_SETUP_EXTRAS:-} browser" bash scripts/setup.sh
if [[ ! -f node_modules/.package-lock.json || package-lock.json -nt node_modules/.package-lock.json ]]; then
  npm ci --no-audit --no-fund
fi
source scripts/build_cache.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPUSHWREN_BENCH=ON -DBUILD_TESTING=OFF "${launcher[@]}" >/dev/null
cmake --build build/release -j"$(nproc)" --target pushwren_bench pushwren-sim
mkdir -p build/bench
echo "== Google Benchmark suite" >&2
build/release/bin/pushwren_bench --benchmark_out=build/bench/benchmarks.json --benchmark_out_format=json \
  --benchmark_min_time=0.5 --benchmark_repetitions="${PUSHWREN_BENCH_REPETITIONS:-3}" \
  --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true "$@" >&2
echo "== a recorded 1,000-step session replayed with pushwren-sim run" >&2
python3 bench/replay/replay.py build/release/bin/pushwren-sim build/bench/replay.json >&2
echo "== bridge round trip in the browser" >&2
PUSHWREN_SIM="$PWD/build/release/bin/pushwren-sim" node bench/browser/round_trip.mjs >&2
echo "== relaunch in the browser, to the new page's first info" >&2
PUSHWREN_SIM="$PWD/build/release/bin/pushwren-sim" node bench/browser/relaunch.mjs >&2
echo "== a push API notification to the banner, to one device and to 16" >&2
PUSHWREN_SIM="$PWD/build/release/bin/pushwren-sim" node bench/browser/push_api.mjs >&2
echo "== a site through the playground: load time and the proxy's memory" >&2
PUSHWREN_SIM="$PWD/build/release/bin/pushwren-sim" node bench/browser/site.mjs >&2
python3 bench/report.py build/bench/benchmarks.json build/bench/round_trip.json build/bench/site.json \
  build/bench/replay.json build/bench/relaunch.json build/bench/push_api.json build/bench/results.json
