#!/usr/bin/env bash
# Configures and builds everything (program, libraries, tests, benchmarks)
# in build/. Extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURVEN_WERROR=ON "$@" >/dev/null
cmake --build build
