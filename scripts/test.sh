#!/usr/bin/env bash
# Every test: installs what is missing, builds once, runs the whole suite (the browser tests
# included, in the same ctest pass), then the install check (install, the embedding example, the
# Debian packages), then the hardening runs (sanitizers, fuzzing, clang-tidy).
set -euo pipefail
cd "$(dirname "$0")/.."

PUSHWREN_SETUP_EXTRAS="${PUSHWREN_SETUP_EXTRAS:-} browser" bash scripts/setup.sh
# The browser tests' npm packages, from the lock file, when missing or older than the lock file.
if [[ ! -f node_modules/.package-lock.json || package-lock.json -nt node_modules/.package-lock.json ]]; then
  npm ci --no-audit --no-fund
fi
source scripts/build_cache.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
bash scripts/install_check.sh
bash scripts/hardening.sh
