#!/usr/bin/env bash
# The main job: builds the plugin and its reference host, then starts the playground on its
# built-in defaults: open the address it prints in a browser; Ctrl-C stops it. Arguments go to
# `pushwren-sim serve` (--port N, --config FILE, --manifest FILE, --site URL|FOLDER):
#   bash scripts/run.sh --site http://localhost:5173     your dev server, through the playground
#   bash scripts/run.sh --site ./dist                    a built site, from its folder
set -euo pipefail

# Paths given as arguments are the caller's, so they are made absolute before the cd below.
args=()
previous=""
for arg in "$@"; do
  case "$previous" in
    --site | --config | --manifest)
      if [[ "$arg" != *"://"* && "$arg" != /* ]]; then arg="$PWD/$arg"; fi
      ;;
  esac
  args+=("$arg")
  previous="$arg"
done

cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/build_cache.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)" --target pushwren-sim
exec build/bin/pushwren-sim serve ${args[@]+"${args[@]}"}
