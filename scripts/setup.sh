#!/usr/bin/env bash
# Installs, idempotently, everything the build and tests need on Debian 12 (run as root or with
# sudo available), then prepares the Wine prefix. Reruns take seconds.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
APT=($SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

wanted=$(grep -v '^\s*#' "$here/packages.txt" | sed 's/\s*#.*//' | grep -v '^\s*$')
missing=()
for pkg in $wanted; do installed "$pkg" || missing+=("$pkg"); done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  "${APT[@]}" update -q
  "${APT[@]}" install -y -q "${missing[@]}"
fi

# A Chinese UTF-8 locale gives Wine code page 936 and a CJK interface font.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 || true
fi

# The cloud OCR provider's own Node client library, pinned, for the test that runs it against
# the local recognition service; kept outside the checkout and the build tree.
node_client="baidu-aip-sdk"
node_client_version="4.16.16"
npm_prefix="${QUORVIX_NPM_PREFIX:-$HOME/.cache/quorvix/npm}"
if ! grep -qs "\"version\": \"$node_client_version\"" "$npm_prefix/node_modules/$node_client/package.json"; then
  if command -v npm >/dev/null; then
    mkdir -p "$npm_prefix"
    (cd "$npm_prefix" && npm install --no-save --no-package-lock --no-audit --no-fund \
      --prefix "$npm_prefix" "$node_client@$node_client_version") ||
      echo "setup: could not install $node_client; its test will be skipped"
  else
    echo "setup: npm is missing; the test of the provider's Node client will be skipped"
  fi
fi

# The Windows program's OCR engine, built once per machine into a cache outside the checkout.
# Without it the Windows build still configures, and its recognition tests fail.
"$here/build-ocr-engine.sh" >/dev/null ||
  echo "setup: building the OCR engine failed; the Windows build has no OCR engine" >&2

"$here/wine-prefix.sh" "$root/build/wineprefix"
echo "setup: done"
