#!/usr/bin/env bash
# Creates the 32-bit Wine prefix once (under the Chinese locale, with the crash dialog off so a
# crashing program exits instead of waiting for a click).
set -euo pipefail
export WINEPREFIX="$1"
source "$(dirname "$0")/wine-env.sh"
if [ -f "$WINEPREFIX/.quorvix-ready" ]; then exit 0; fi
mkdir -p "$WINEPREFIX"
env -u DISPLAY wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.quorvix-ready"
echo "wine-prefix: created $WINEPREFIX"
