#!/usr/bin/env bash
# Creates the 32-bit Wine prefix once (under the Chinese locale, with the crash dialog off so a
# crashing program exits instead of waiting for a click).
set -euo pipefail
export WINEPREFIX="$1"
source "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/.quorvix-ready" ]; then
  mkdir -p "$WINEPREFIX"
  env -u DISPLAY wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.quorvix-ready"
  echo "wine-prefix: created $WINEPREFIX"
fi
# Without a window manager (Xvfb) Wine waits up to 2 s for one each time a window that it leaves
# to the manager is hidden or destroyed. Windows that Wine manages itself close at once and
# draw their own title bars, so screenshots show the captions.
if [ ! -f "$WINEPREFIX/.quorvix-unmanaged" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.quorvix-unmanaged"
fi
# Wine draws the title bars' buttons with the Marlett font, which Debian ships in fonts-wine but
# does not register in a new prefix; without it the buttons show as the letters "0 1 r".
if [ ! -f "$WINEPREFIX/.quorvix-marlett" ]; then
  marlett=/usr/share/wine/fonts/marlett.ttf
  if [ -f "$marlett" ]; then
    cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
      /v 'Marlett (TrueType)' /t REG_SZ /d marlett.ttf /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quorvix-marlett"
  else
    echo "wine-prefix: $marlett not found; title bar buttons will show as letters" >&2
  fi
fi
