#!/usr/bin/env bash
# What a host developer does with Pushwren, checked from the main build directory (already built):
#   1. `cmake --install` into a temporary prefix: only the library, bundle, headers and package
#      files are there; the library exports its documented interface and nothing else (no Boost,
#      no name that no installed header declares); the package forces no definition on a host;
#      the installed library finds its bundle, and says where it looked when the bundle is gone;
#      every installed header compiles as C++17 with pkg-config's flags alone.
#   2. examples/embedding builds from a clean build directory with find_package against that
#      prefix and prints what its runner received; so does a host with platform/ and contracts/
#      headers of its own that uses Boost.Asio's io_service; a version the package does not
#      satisfy fails at configure time.
#   3. With PUSHWREN_INSTALL_SIM the reference host installs and runs a scenario from the prefix.
#   4. A static build (BUILD_SHARED_LIBS=OFF, in $build/install-check-static) installs
#      libpushwren.a with the same package files; the example and the own-headers host build and
#      run against it.
#   5. `cpack -G DEB` makes libpushwren0.1 (stripped), its -dbgsym package and libpushwren-dev
#      with their dependencies declared, which apt can resolve; both extracted with dpkg-deb -x
#      into another prefix, the example builds and runs there too.
# Under pipefail a `grep -q` that stops reading early fails its pipeline with SIGPIPE, so output
# is matched from a variable instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${PUSHWREN_BUILD_DIR:-build}
source scripts/build_cache.sh

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
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

# The dynamic symbols the library $1 defines must be the interface the headers under $2 declare:
# no Boost (a host's own Boost must never bind to ours), and no name of ours, or of anyone else
# but the C++ library's templates, that no installed header declares.
check_exports() {
  local library=$1 include=$2 symbols
  symbols=$(nm -D --defined-only -C "$library" | cut -d' ' -f3-)
  local boost
  # A symbol of Boost's own: boost:: before any parameter list or template argument.
  boost=$(grep -E '^[^(<]*boost::' <<<"$symbols" || true)
  [[ -z $boost ]] || { echo "$boost" | head -n 20 >&2; fail "the library exports $(wc -l <<<"$boost") Boost symbols"; }
  local undeclared
  undeclared=$(python3 "$root/tests/install/undeclared_exports.py" "$include" <<<"$symbols") ||
    { echo "$undeclared" >&2; fail "the library exports names that no installed header declares"; }
}

# Neither the CMake package nor pushwren.pc under the prefix $1 sets a definition for a host.
check_nothing_forced() {
  local prefix=$1
  if grep -R 'INTERFACE_COMPILE_DEFINITIONS\|INTERFACE_COMPILE_OPTIONS' "$prefix/lib/cmake/Pushwren" >/dev/null; then
    fail "the CMake package sets compile definitions or options for a host"
  fi
  grep -q 'INTERFACE_COMPILE_FEATURES "cxx_std_17"' "$prefix/lib/cmake/Pushwren/PushwrenTargets.cmake" ||
    fail "the CMake package does not ask for cxx_std_17"
  [[ $(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags pushwren) != *-D* ]] ||
    fail "pushwren.pc sets a definition for a host"
}

cmake -S . -B "$build" -DPUSHWREN_INSTALL_SIM=OFF >/dev/null
cmake --build "$build" --target pushwren pushwren-sim >/dev/null

# Builds the host in $1 (a CMake project making the executable $2, with its expected-output.txt)
# against the install prefix $3 in the fresh directory $4, runs it and compares its output with
# the one it is known to print. $5 says how the plugin is linked: "shared" (from the prefix's
# lib/) or "static".
check_host() {
  local source=$1 name=$2 prefix=$3 dir=$4 linked=$5
  cmake -S "$source" -B "$dir" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >"$work/host-configure.log" ||
    { cat "$work/host-configure.log" >&2; fail "$name does not configure against $prefix"; }
  cmake --build "$dir" >"$work/host-build.log" ||
    { cat "$work/host-build.log" >&2; fail "$name does not build against $prefix"; }
  local executable=$dir/$name loaded
  loaded=$(ldd "$executable")
  if [[ $linked == static ]]; then
    [[ $loaded != *libpushwren* ]] || fail "$name loads a shared libpushwren though it was linked statically"
  else
    [[ $loaded == *"libpushwren.so.$soversion => $prefix/lib/"* ]] || fail "$name does not load libpushwren.so.$soversion from $prefix/lib"
  fi
  "$executable" >"$dir/output.txt" || fail "$name exited with $?"
  diff -u "$source/expected-output.txt" "$dir/output.txt" || fail "$name printed something else"
}
check_example() { check_host examples/embedding embedding_host "$@"; }
check_own_headers_host() { check_host tests/install/own_headers_host own_headers_host "$@"; }

version=$(sed -n 's/^project(pushwren VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
major=${version%%.*}
minor=${version#*.}
minor=${minor%%.*}
# Before 1.0 the soname carries the minor version.
if [[ $major == 0 ]]; then soversion=$major.$minor; else soversion=$major; fi

# 1. Install.
prefix=$work/prefix
step "installing into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for expected in "lib/libpushwren.so.$soversion" lib/libpushwren.so share/pushwren/OneSignalV5Resources.bundle \
  include/pushwren/plugin/CVPushwren.h include/pushwren/contracts/host/javascript_runner.h \
  include/pushwren/version.h include/pushwren/export.h \
  lib/cmake/Pushwren/PushwrenConfig.cmake lib/cmake/Pushwren/PushwrenConfigVersion.cmake lib/pkgconfig/pushwren.pc; do
  [[ -e $prefix/$expected ]] || fail "$expected is not installed"
done
[[ ! -e $prefix/bin && ! -e $prefix/share/pushwren/playground ]] || fail "the reference host was installed unasked"
if find "$prefix" \( -name '*test*' -o -name '*bench*' -o -path '*/sim/*' \) | grep . >/dev/null; then
  fail "tests, benchmarks or the reference host's files were installed"
fi

[[ $(readelf -d "$prefix/lib/libpushwren.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p') == "libpushwren.so.$soversion" ]] ||
  fail "the library's soname is not libpushwren.so.$soversion"

step "what the installed library exports"
check_exports "$prefix/lib/libpushwren.so" "$prefix/include"

step "what the package asks of a host"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
pkg-config --validate pushwren || fail "pushwren.pc does not validate"
[[ $(pkg-config --modversion pushwren) == "$version" ]] || fail "pushwren.pc carries another version than the project"
check_nothing_forced "$prefix"
# The headers say where they install: only the prefix's include/ is on the path, never
# include/pushwren itself, so a host's own platform/ or contracts/ headers cannot clash.
include_flags=$(pkg-config --cflags-only-I pushwren)
include_flags=${include_flags%% }
[[ $include_flags == -I* && $include_flags != *" "* && $(realpath -m "${include_flags#-I}") == "$(realpath "$prefix/include")" ]] ||
  fail "pkg-config puts $include_flags on the include path, not $prefix/include"
if grep -R 'include/pushwren' "$prefix/lib/cmake/Pushwren" >/dev/null; then
  fail "the CMake package puts include/pushwren on the include path"
fi

step "the installed library and its resource bundle"
# Every installed header, in one translation unit beside the probe: a header that includes one
# not installed fails here.
probe=$work/probe
mkdir -p "$probe"
(cd "$prefix/include" && find pushwren -name '*.h' | sed 's|^|#include <|; s|$|>|') >"$probe/all_headers.cpp"
# shellcheck disable=SC2046
# As C++17: the package's target asks a host for cxx_std_17 and no more.
g++ -std=c++17 -Wall -Wextra -Werror -pedantic $(pkg-config --cflags pushwren) tests/install/bundle_probe.cpp \
  "$probe/all_headers.cpp" -o "$probe/bundle_probe" $(pkg-config --libs pushwren) -Wl,-rpath,"$prefix/lib"
[[ $("$probe/bundle_probe" version) == "$version $version" ]] ||
  fail "version.h and pushwren::version() do not both say $version: $("$probe/bundle_probe" version)"
[[ $("$probe/bundle_probe" modules) == CVPushwren ]] ||
  fail "the shared library did not register the plugin when it was loaded"
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

# 2. The example, a host with headers of its own, and versions the package does not satisfy.
step "building examples/embedding against $prefix"
check_example "$prefix" "$work/example" shared
step "building a host with its own platform/ and contracts/ headers and io_service against $prefix"
check_own_headers_host "$prefix" "$work/own-headers" shared
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

# 4. The static library, built apart from the main build directory (kept between runs).
step "building and installing the static library"
static_build=$build/install-check-static
cmake -S . -B "$static_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF \
  -DPUSHWREN_INSTALL_SIM=OFF "${launcher[@]}" >"$work/static-configure.log" ||
  { cat "$work/static-configure.log" >&2; fail "the static build does not configure"; }
cmake --build "$static_build" --target pushwren >"$work/static-build.log" ||
  { cat "$work/static-build.log" >&2; fail "the static library does not build"; }
static_prefix=$work/static-prefix
cmake --install "$static_build" --prefix "$static_prefix" >/dev/null
for expected in lib/libpushwren.a include/pushwren/version.h lib/cmake/Pushwren/PushwrenConfig.cmake lib/pkgconfig/pushwren.pc; do
  [[ -e $static_prefix/$expected ]] || fail "$expected is not installed by the static build"
done
if compgen -G "$static_prefix/lib/libpushwren.so*" >/dev/null; then fail "the static build installed a shared library"; fi
check_nothing_forced "$static_prefix"
step "building examples/embedding and the own-headers host against the static library"
check_example "$static_prefix" "$work/example-static" static
check_own_headers_host "$static_prefix" "$work/own-headers-static" static
# pkg-config alone links a static host too.
# shellcheck disable=SC2046
g++ -std=c++17 $(PKG_CONFIG_PATH=$static_prefix/lib/pkgconfig pkg-config --cflags pushwren) examples/embedding/main.cpp \
  -Iexamples/embedding -o "$work/example-static-pc" $(PKG_CONFIG_PATH=$static_prefix/lib/pkgconfig pkg-config --libs pushwren) ||
  fail "the example does not link against the static library with pkg-config's flags"
"$work/example-static-pc" | diff -u examples/embedding/expected-output.txt - ||
  fail "the example linked with pkg-config's static flags printed something else"

# 5. The Debian packages.
step "building the Debian packages"
debs=$work/debs
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$debs" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
runtime_package=libpushwren$soversion
runtime=$(echo "$debs/${runtime_package}_"*.deb)
dev=$(echo "$debs"/libpushwren-dev_*.deb)
debug=$(echo "$debs/${runtime_package}-dbgsym_"*.ddeb)
[[ -f $runtime && -f $dev ]] || fail "cpack did not make $runtime_package and libpushwren-dev"
[[ -f $debug ]] || fail "cpack did not make $runtime_package-dbgsym"
depends() { dpkg-deb -f "$1" Depends; }
for needed in libboost-json1.81.0 libboost-url1.81.0 libcurl4 libstdc++6; do
  [[ $(depends "$runtime") == *"$needed"* ]] || fail "$runtime_package does not depend on $needed"
done
for needed in "$runtime_package (= $(dpkg-deb -f "$runtime" Version))" libboost1.81-dev libboost-json1.81-dev libboost-url1.81-dev; do
  [[ $(depends "$dev") == *"$needed"* ]] || fail "libpushwren-dev does not depend on $needed"
done
if [[ $(dpkg-deb -c "$runtime") == */include/* ]]; then fail "$runtime_package carries headers"; fi
# apt resolves every declared dependency (a simulation: nothing is installed).
if command -v apt-get >/dev/null; then
  apt-get install -s "$runtime" "$dev" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt cannot install the packages"; }
fi
unpacked=$work/unpacked
dpkg-deb -x "$runtime" "$unpacked"
dpkg-deb -x "$dev" "$unpacked"
step "the packaged library is stripped and its debug information is in $runtime_package-dbgsym"
packaged_library=$unpacked/usr/lib/libpushwren.so.$version
[[ -f $packaged_library ]] || fail "$runtime_package has no usr/lib/libpushwren.so.$version"
if [[ $(readelf -S "$packaged_library") == *.debug_info* || $(readelf -S "$packaged_library") == *.symtab* ]]; then
  fail "the packaged library is not stripped"
fi
build_id=$(readelf -n "$packaged_library" | sed -n 's/.*Build ID: *\([0-9a-f]*\).*/\1/p')
[[ -n $build_id ]] || fail "the packaged library has no build id to find its debug information by"
debug_unpacked=$work/debug-unpacked
dpkg-deb -x "$debug" "$debug_unpacked"
debug_file=$debug_unpacked/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug
[[ -f $debug_file ]] || fail "$runtime_package-dbgsym has no debug file for build id $build_id"
[[ $(readelf -S "$debug_file") == *.debug_info* ]] || fail "the debug file carries no debug information"
step "building examples/embedding against the unpacked packages"
check_example "$unpacked/usr" "$work/example-deb" shared
[[ $(LD_LIBRARY_PATH=$unpacked/usr/lib "$probe/bundle_probe" find) == "$unpacked/usr/share/pushwren/OneSignalV5Resources.bundle" ]] ||
  fail "the packaged library does not find its packaged resource bundle"
step "passed"
