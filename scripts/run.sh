#!/usr/bin/env bash
# The main job: builds the plugin and its reference host, then runs the example scenario through
# the scenario runner and prints its trace.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target pushwren-sim
exec build/bin/pushwren-sim run examples/launch-and-tap.jsonl "$@"
