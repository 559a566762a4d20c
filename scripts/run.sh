#!/usr/bin/env bash
# Installs what is missing, builds the program alone (scripts/build-program.sh),
# installs it into .local/ in this folder and starts it. Arguments are passed
# on to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build-program.sh
cmake --install build-run --prefix "$PWD/.local" >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found (DISPLAY is not set): the program needs a graphical session." >&2
  echo "Installed as $PWD/.local/bin/murven19; start it from a desktop session." >&2
  exit 1
fi
exec "$PWD/.local/bin/murven19" "$@"
