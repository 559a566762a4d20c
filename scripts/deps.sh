#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the program
# need. Only missing packages are fetched, so a second run costs nothing.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config ccache curl ca-certificates
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev libfontconfig-dev
  libicu-dev libharfbuzz-dev libsqlcipher-dev libphonenumber-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipaexfont fonts-noto-cjk
  mecab-ipadic
  libzint-dev libqrencode-dev zbar-tools libzip-dev p7zip-full poppler-utils
  # Where windows open again is tested on an X server of the tests' own with
  # a window manager that frames the windows.
  xvfb openbox
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
