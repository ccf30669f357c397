#!/usr/bin/env bash
# The checks that need builds of their own, run by the test command after the main suite (and
# runnable alone):
#   1. the whole suite under AddressSanitizer with UndefinedBehaviorSanitizer (no recovery),
#   2. the threaded parts (downloads, the scenario runner's server, the playground, the screen)
#      under ThreadSanitizer,
#   3. every libFuzzer target for a bounded time from its seed corpus (clang),
#   4. clang-tidy over the project's sources (a source unchanged since it was found clean is not
#      read again: scripts/clang_tidy_cached.py).
# Clean means no report at all: any report fails the run.
# PUSHWREN_FUZZ_SECONDS sets each fuzz target's time (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."

PUSHWREN_SETUP_EXTRAS="${PUSHWREN_SETUP_EXTRAS:-} clang" bash scripts/setup.sh
jobs=$(nproc)
source scripts/build_cache.sh

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPUSHWREN_SANITIZE=address,undefined "${launcher[@]}" >/dev/null
cmake --build build/asan -j"$jobs"
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs"

echo "== ThreadSanitizer"
threaded=(net_tests subscriptions_tests subscriptions_screen_tests sim_tests live_steps_tests playground_tests pushwren-sim)
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPUSHWREN_SANITIZE=thread "${launcher[@]}" >/dev/null
cmake --build build/tsan -j"$jobs" --target "${threaded[@]}"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build/tsan --output-on-failure -j"$jobs" -R '^(net_tests|subscriptions_tests|subscriptions_screen_tests|sim_tests|live_steps_tests|playground_tests|browser\.|example\.|conformance\.)'

echo "== libFuzzer"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPUSHWREN_FUZZ=ON "${launcher[@]}" >/dev/null
fuzz_targets=()
for source in fuzz/*_fuzz.cpp; do fuzz_targets+=("$(basename "$source" .cpp)"); done
cmake --build build/fuzz -j"$jobs" --target "${fuzz_targets[@]}"
seconds="${PUSHWREN_FUZZ_SECONDS:-20}"
mkdir -p build/fuzz/artifacts build/fuzz/report
for target in "${fuzz_targets[@]}"; do
  name=${target%_fuzz}
  target="build/fuzz/bin/$target"
  work="build/fuzz/corpus/$name"
  mkdir -p "$work"
  echo "-- $name (${seconds}s)"
  # The seed corpus stays as committed; new inputs go to the work corpus.
  "$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="build/fuzz/artifacts/$name-" "$work" "fuzz/corpus/$name" \
    >"build/fuzz/report/$name.log" 2>&1 || { tail -n 40 "build/fuzz/report/$name.log"; exit 1; }
  grep -E '^Done [0-9]+ runs' "build/fuzz/report/$name.log"
done

echo "== clang-tidy"
python3 scripts/clang_tidy_cached.py build '/(contracts|platform|plugin|bridge|subscriptions|sim|tests)/.*\.cpp$'
