#!/usr/bin/env bash
# Unpacks the release zip in DIST into empty folders outside the build tree (the second under a
# path with Chinese characters and spaces), checks the packaged exe's imports against Windows 7,
# and runs the smoke driver against the first two copies in a fresh Wine prefix with only
# loopback reachable, then against a third copy mounted read-only. Skipped (77) when DIST holds
# no zip. Usage: run_smoke.sh DIST DRIVER.exe
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
dist="$1" driver="$2"

zips=("$dist"/Quorvix-*-win32.zip)
if [ ! -f "${zips[0]}" ]; then
  echo "skipped: no release zip in $dist (scripts/package.sh --output $dist makes one)"
  exit 77
fi
if [ ${#zips[@]} != 1 ]; then
  echo "expected one release zip in $dist, found: ${zips[*]}"
  exit 1
fi
zip="${zips[0]}"
work="$(mktemp -d /tmp/quorvix-package-XXXXXX)"
trap 'WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

plain="$work/plain"
chinese="$work/用户 的 文件/答题 工具"
readonly_copy="$work/read-only"
for target in "$plain" "$chinese" "$readonly_copy"; do
  mkdir -p "$target"
  unzip -q "$zip" -d "$target.unpacked"
  # The zip holds one folder; its content is what the user runs.
  mv "$target.unpacked"/*/* "$target/"
  rm -rf "$target.unpacked"
done
(cd "$plain" && sha256sum --quiet -c SHA256SUMS)
python3 "$root/tests/portability/check_imports.py" "$plain/Quorvix.exe"

# A prefix of its own, made new: nothing the other Windows tests left in theirs.
export WINEPREFIX="$work/prefix"
bash "$root/scripts/wine-prefix.sh" "$WINEPREFIX" >/dev/null
export QUORVIX_PACKAGE_PLAIN="$plain" QUORVIX_PACKAGE_CHINESE="$chinese"
sh "$root/tests/e2e/loopback_only.sh" "$root/scripts/wine-run.sh" "$driver" --gtest_brief=1 \
  --gtest_filter=-Package.SaysAtOnceWhenItsFolderCannotBeWritten

# A third copy, mounted read-only as a folder under Program Files is to a user without
# elevation. The mount is seen only inside a namespace of its own, so the Wine server that opens
# the files must start there too.
if ! unshare -m true 2>/dev/null; then
  echo "skipped: cannot make a mount namespace here for the read-only copy"
  exit 0
fi
wineserver -k 2>/dev/null || true
wineserver -w
export QUORVIX_PACKAGE_READONLY="$readonly_copy"
unshare -m sh -c 'mount --bind "$1" "$1" && mount -o remount,ro,bind "$1" "$1" &&
  "$2" "$3" --gtest_brief=1 --gtest_filter=Package.SaysAtOnceWhenItsFolderCannotBeWritten &&
  wineserver -k' read_only "$readonly_copy" "$root/scripts/wine-run.sh" "$driver"
