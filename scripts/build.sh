#!/usr/bin/env bash
# Configures and builds in a build folder: by default everything (program,
# libraries, tests, benchmarks) in build/. MURVEN_BUILD_DIR names another
# folder; extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${MURVEN_BUILD_DIR:-build}"
# The dictionary data is built from fetched packages; without them the rest
# still builds.
if ! fetch_error="$(bash scripts/fetch-dic-sources.sh 2>&1 >/dev/null)"; then
  echo "warning: dictionary data not built: ${fetch_error:-fetching its sources failed}" >&2
fi
# Sources fetched into another folder (MURVEN_DIC_SOURCES) are built from there.
dic_sources=()
[ -n "${MURVEN_DIC_SOURCES:-}" ] && dic_sources=(-DMURVEN_DIC_SOURCES="$MURVEN_DIC_SOURCES")
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURVEN_WERROR=ON "${dic_sources[@]}" "$@" >/dev/null
cmake --build "$BUILD_DIR"
