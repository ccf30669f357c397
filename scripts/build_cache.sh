# Sourced by the scripts that build: every compile goes through ccache, so a run after a change
# recompiles only what changed, also in another clone on the same machine (paths are hashed
# relative to the clone). Sets `launcher` to the CMake option that says so.
# shellcheck shell=bash
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  # Five builds of the project (plain, two sanitizers, fuzzing, static) outgrow ccache's 5 GB.
  export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-20G}"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
