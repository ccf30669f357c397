#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need. Does nothing when all of them
# are present; fails with a message naming what could not be installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  libboost1.81-dev libboost-json1.81-dev libboost-url1.81-dev
  libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # the install check: pkg-config reads pushwren.pc; cpack's Debian packages need dpkg-shlibdeps
  # (dpkg-dev) and file
  pkg-config dpkg-dev file
  # every build compiles through it (scripts/build_cache.sh)
  ccache
)
# The browser tests and the sanitizer/fuzz builds add their own packages here when asked for.
if [[ "${PUSHWREN_SETUP_EXTRAS:-}" == *browser* ]]; then
  packages+=(chromium)
  # A node from elsewhere may already bring its own npm; Debian's npm would conflict with it.
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi
if [[ "${PUSHWREN_SETUP_EXTRAS:-}" == *clang* ]]; then packages+=(clang libclang-rt-14-dev clang-tidy); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}" >&2
if [[ $(id -u) -ne 0 ]]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! apt-get update -q >/tmp/pushwren-apt.log 2>&1 ||
   ! apt-get install -y -q --no-install-recommends "${missing[@]}" >>/tmp/pushwren-apt.log 2>&1; then
  echo "setup: apt-get could not install: ${missing[*]} (log: /tmp/pushwren-apt.log)" >&2
  tail -n 20 /tmp/pushwren-apt.log >&2
  exit 1
fi
