#!/usr/bin/env bash
# Installs what is missing, builds everything, builds the program exactly as
# scripts/run.sh does (scripts/build-program.sh: no precompiled headers,
# Release, into build-run/, neither installed nor started), and runs every
# test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
bash scripts/build-program.sh
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
