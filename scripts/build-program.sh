#!/usr/bin/env bash
# Builds the program alone, as the README's first command ships it, into
# build-run/: its libraries and data, no tests, no benchmarks, optimised, no
# compiler cache and no precompiled headers that would outweigh the program.
# scripts/run.sh installs and starts what this builds; scripts/test.sh builds
# it too, so a file that compiles only with precompiled headers (or fails any
# other way in this build) fails the tests. Extra arguments go to the CMake
# configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
# -O2: GCC 12 reports false overlaps in the standard library at -O3.
MURVEN_BUILD_DIR=build-run bash scripts/build.sh \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DMURVEN_WERROR=OFF \
  -DBUILD_TESTING=OFF -DMURVEN_BENCH=OFF -DMURVEN_USE_CCACHE=OFF -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON "$@"
