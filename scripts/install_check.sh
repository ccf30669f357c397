#!/usr/bin/env bash
# What a host developer does with Pushwren, checked from the main build directory (already built):
#   1. `cmake --install` into a temporary prefix: only the library, bundle, headers and package
#      files are there; the installed library finds its bundle, and says where it looked when the
#      bundle is gone; every installed header compiles with pkg-config's flags alone.
#   2. examples/embedding builds from a clean build directory with find_package against that
#      prefix and prints what its runner received; a version the package does not satisfy fails
#      at configure time.
#   3. With PUSHWREN_INSTALL_SIM the reference host installs and runs a scenario from the prefix.
#   4. `cpack -G DEB` makes libpushwren0 and libpushwren-dev with their dependencies declared,
#      which apt can resolve; both extracted with dpkg-deb -x into another prefix, the example builds and runs there too.
# Under pipefail a `grep -q` that stops reading early fails its pipeline with SIGPIPE, so output
# is matched from a variable instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${PUSHWREN_BUILD_DIR:-build}

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# The build directory's own choice, given back at the end.
sim_option=$(sed -n 's/^PUSHWREN_INSTALL_SIM:BOOL=//p' "$build/CMakeCache.txt")
work=$(mktemp -d "${TMPDIR:-/tmp}/pushwren-install-check.XXXXXX")
cleanup() {
  cmake -S . -B "$build" -DPUSHWREN_INSTALL_SIM="${sim_option:-OFF}" >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "install check: $*" >&2; exit 1; }
step() { echo "install check: $*"; }
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S . -B "$build" -DPUSHWREN_INSTALL_SIM=OFF >/dev/null
cmake --build "$build" --target pushwren pushwren-sim >/dev/null

# Builds examples/embedding against the install prefix $1 in a fresh directory, runs it and
# compares its output with the one it is known to print.
check_example() {
  local prefix=$1 dir=$2
  cmake -S examples/embedding -B "$dir" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >"$work/example-configure.log" ||
    { cat "$work/example-configure.log" >&2; fail "the example does not configure against $prefix"; }
  cmake --build "$dir" >"$work/example-build.log" ||
    { cat "$work/example-build.log" >&2; fail "the example does not build against $prefix"; }
  [[ $(ldd "$dir/embedding_host") == *"libpushwren.so.0 => $prefix/lib/"* ]] ||
    fail "the example does not load the library from $prefix/lib"
  "$dir/embedding_host" >"$dir/output.txt" || fail "the example exited with $?"
  diff -u examples/embedding/expected-output.txt "$dir/output.txt" || fail "the example printed something else"
}

# 1. Install.
prefix=$work/prefix
step "installing into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for expected in lib/libpushwren.so.0 lib/libpushwren.so share/pushwren/OneSignalV5Resources.bundle \
  include/pushwren/plugin/CVPushwren.h include/pushwren/contracts/host/javascript_runner.h \
  lib/cmake/Pushwren/PushwrenConfig.cmake lib/cmake/Pushwren/PushwrenConfigVersion.cmake lib/pkgconfig/pushwren.pc; do
  [[ -e $prefix/$expected ]] || fail "$expected is not installed"
done
[[ ! -e $prefix/bin && ! -e $prefix/share/pushwren/playground ]] || fail "the reference host was installed unasked"
if find "$prefix" \( -name '*test*' -o -name '*bench*' -o -path '*/sim/*' \) | grep . >/dev/null; then
  fail "tests, benchmarks or the reference host's files were installed"
fi

step "the installed library and its resource bundle"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
pkg-config --validate pushwren || fail "pushwren.pc does not validate"
[[ $(pkg-config --modversion pushwren) == "$(sed -n 's/^project(pushwren VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ]] ||
  fail "pushwren.pc carries another version than the project"
# Every installed header, in one translation unit beside the probe: a header that includes one
# not installed fails here.
probe=$work/probe
mkdir -p "$probe"
(cd "$prefix/include" && find pushwren -name '*.h' | sed 's|^|#include <|; s|$|>|') >"$probe/all_headers.cpp"
# shellcheck disable=SC2046
g++ -std=c++20 -Wall -Wextra -Werror $(pkg-config --cflags pushwren) tests/install/bundle_probe.cpp \
  "$probe/all_headers.cpp" -o "$probe/bundle_probe" $(pkg-config --libs pushwren) -Wl,-rpath,"$prefix/lib"
[[ $("$probe/bundle_probe" find) == "$prefix/share/pushwren/OneSignalV5Resources.bundle" ]] ||
  fail "the installed library does not find its installed resource bundle"
mv "$prefix/share/pushwren/OneSignalV5Resources.bundle" "$work/hidden.bundle"
[[ $("$probe/bundle_probe" find) == none ]] || fail "a resource bundle was found where none is"
"$probe/bundle_probe" show >"$probe/show.out" 2>"$probe/show.err"
[[ $(cat "$probe/show.out") == "presented: nothing" ]] || fail "a screen was presented without its resource bundle"
[[ $(wc -l <"$probe/show.err") == 1 ]] || { cat "$probe/show.err" >&2; fail "not one line logged for the missing bundle"; }
for looked in "$prefix/lib" "$prefix/share/pushwren" "$probe"; do
  grep -qF "$looked" "$probe/show.err" || { cat "$probe/show.err" >&2; fail "the log line does not name $looked"; }
done
mv "$work/hidden.bundle" "$prefix/share/pushwren/OneSignalV5Resources.bundle"

# 2. The example, and versions the package does not satisfy.
step "building examples/embedding against $prefix"
check_example "$prefix" "$work/example"
mkdir -p "$work/version"
for wanted in 0.2 1.0; do
  printf 'cmake_minimum_required(VERSION 3.25)\nproject(v LANGUAGES NONE)\nfind_package(Pushwren %s CONFIG REQUIRED)\n' \
    "$wanted" >"$work/version/CMakeLists.txt"
  if cmake -S "$work/version" -B "$work/version/build-$wanted" -DCMAKE_PREFIX_PATH="$prefix" >"$work/version.log" 2>&1; then
    fail "find_package(Pushwren $wanted) was satisfied by $(pkg-config --modversion pushwren)"
  fi
  grep -q 'compatible with requested version' "$work/version.log" ||
    { cat "$work/version.log" >&2; fail "find_package(Pushwren $wanted) failed for another reason"; }
done

# 3. The reference host from the install tree.
step "installing the reference host"
cmake -S . -B "$build" -DPUSHWREN_INSTALL_SIM=ON >/dev/null
cmake --install "$build" --prefix "$prefix" >/dev/null
[[ -f $prefix/share/pushwren/playground/index.html ]] || fail "the playground pages are not installed"
(cd "$work" && "$prefix/bin/pushwren-sim" run "$root/examples/launch-and-tap.jsonl" \
  --expect "$root/examples/launch-and-tap.trace" >/dev/null) || fail "the installed pushwren-sim does not run a scenario"
cmake -S . -B "$build" -DPUSHWREN_INSTALL_SIM=OFF >/dev/null

# 4. The Debian packages.
step "building the Debian packages"
debs=$work/debs
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$debs" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
runtime=$(echo "$debs"/libpushwren0_*.deb)
dev=$(echo "$debs"/libpushwren-dev_*.deb)
[[ -f $runtime && -f $dev ]] || fail "cpack did not make libpushwren0 and libpushwren-dev"
depends() { dpkg-deb -f "$1" Depends; }
for needed in libboost-json1.81.0 libboost-url1.81.0 libcurl4 libstdc++6; do
  [[ $(depends "$runtime") == *"$needed"* ]] || fail "libpushwren0 does not depend on $needed"
done
for needed in "libpushwren0 (= $(dpkg-deb -f "$runtime" Version))" libboost1.81-dev libboost-json1.81-dev libboost-url1.81-dev; do
  [[ $(depends "$dev") == *"$needed"* ]] || fail "libpushwren-dev does not depend on $needed"
done
if [[ $(dpkg-deb -c "$runtime") == */include/* ]]; then fail "libpushwren0 carries headers"; fi
# apt resolves every declared dependency (a simulation: nothing is installed).
if command -v apt-get >/dev/null; then
  apt-get install -s "$runtime" "$dev" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt cannot install the packages"; }
fi
unpacked=$work/unpacked
dpkg-deb -x "$runtime" "$unpacked"
dpkg-deb -x "$dev" "$unpacked"
step "building examples/embedding against the unpacked packages"
check_example "$unpacked/usr" "$work/example-deb"
[[ $(LD_LIBRARY_PATH=$unpacked/usr/lib "$probe/bundle_probe" find) == "$unpacked/usr/share/pushwren/OneSignalV5Resources.bundle" ]] ||
  fail "the packaged library does not find its packaged resource bundle"
step "passed"
