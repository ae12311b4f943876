#!/usr/bin/env bash
# Makes a copy of the project's Wine prefix whose screen is scaled: LogPixels (the DPI Wine
# reports to a DPI-aware program) set to the given value. Usage: wine-dpi-prefix.sh DPI TARGET
set -euo pipefail
dpi="$1"
target="$2"
source "$(dirname "$0")/wine-env.sh"
base="$WINEPREFIX"
if [ ! -f "$target/.quorvix-dpi-$dpi" ]; then
  rm -rf "$target"
  cp -a "$base" "$target"
  export WINEPREFIX="$target"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w
  touch "$target/.quorvix-dpi-$dpi"
fi
