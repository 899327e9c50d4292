#!/usr/bin/env bash
# Shared by ./run.sh and ./test.sh: installs the packages, configures the
# build folder with CMake and Ninja, and builds everything.
#
# Environment: BUILD (build folder, default "build"), JOBS (parallel jobs,
# default the number of cores), CMAKE_FLAGS (extra configure arguments).
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD="${BUILD:-build}"
JOBS="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

bash scripts/install-deps.sh </dev/null

# Use ccache when it is there and the caller has not chosen a launcher.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
fi

# shellcheck disable=SC2086  # CMAKE_FLAGS is a list of words on purpose
cmake -S . -B "$BUILD" -G Ninja ${CMAKE_FLAGS:-} </dev/null
cmake --build "$BUILD" -j "$JOBS" </dev/null
