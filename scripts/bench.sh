#!/usr/bin/env bash
# Builds the benchmarks in Release, runs them, and writes build/bench/results.json with each
# measurement beside its floor; prints the table. Not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPUSHWREN_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target pushwren_bench
mkdir -p build/bench
build/release/bin/pushwren_bench --benchmark_format=json --benchmark_out=build/bench/benchmarks.json \
  --benchmark_out_format=json --benchmark_min_time=0.2 >/dev/null
python3 bench/report.py build/bench/benchmarks.json build/bench/round_trip.json build/bench/results.json
