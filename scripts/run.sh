#!/usr/bin/env bash
# Installs what is missing, builds the program alone (no tests, no
# benchmarks, optimised, no compiler cache and no precompiled headers that
# would outweigh the program), installs it into .local/ in this
# folder and starts it. Arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# -O2: GCC 12 reports false overlaps in the standard library at -O3.
MURVEN_BUILD_DIR=build-run bash scripts/build.sh \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DMURVEN_WERROR=OFF \
  -DBUILD_TESTING=OFF -DMURVEN_BENCH=OFF -DMURVEN_USE_CCACHE=OFF -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON
cmake --install build-run --prefix "$PWD/.local" >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found (DISPLAY is not set): the program needs a graphical session." >&2
  echo "Installed as $PWD/.local/bin/murven19; start it from a desktop session." >&2
  exit 1
fi
exec "$PWD/.local/bin/murven19" "$@"
