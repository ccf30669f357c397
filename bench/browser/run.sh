#!/usr/bin/env bash
# The bridge round-trip benchmark in a real browser: builds pushwren-sim in Release, installs the
# browser and the npm packages when missing, and writes build/bench/round_trip.json. Not part of
# the test command.
set -euo pipefail
cd "$(dirname "$0")/../.."

PUSHWREN_SETUP_EXTRAS="${PUSHWREN_SETUP_EXTRAS:-} browser" bash scripts/setup.sh
if [[ ! -f node_modules/.package-lock.json || package-lock.json -nt node_modules/.package-lock.json ]]; then
  npm ci --no-audit --no-fund
fi
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target pushwren-sim
PUSHWREN_SIM="$PWD/build/release/bin/pushwren-sim" node bench/browser/round_trip.mjs
