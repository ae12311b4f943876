#!/usr/bin/env bash
# Unpacks the release zip in DIST twice, into empty folders outside the build tree (the second
# under a path with Chinese characters and spaces), checks the packaged exe's imports against
# Windows 7, and runs the smoke driver against both copies in a fresh Wine prefix with only
# loopback reachable. Skipped (77) when DIST holds no zip. Usage: run_smoke.sh DIST DRIVER.exe
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
for target in "$plain" "$chinese"; do
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
sh "$root/tests/e2e/loopback_only.sh" "$root/scripts/wine-run.sh" "$driver" --gtest_brief=1
