#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine: on the user's X display when there is
# one; otherwise under Xvfb, where it saves a screenshot and then closes the program.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cd "$root"
"$here/setup.sh"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Quorvix
source "$here/wine-env.sh"
exe="$root/build/win32/bin/Quorvix.exe"
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe"
fi
shot="$root/build/screenshots/run.png"
mkdir -p "$(dirname "$shot")"
xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash -c '
  wineserver -p; trap "wineserver -k" EXIT
  wine "$1" & pid=$!
  timeout 60 xdotool search --sync --onlyvisible --name "Quorvix" >/dev/null
  sleep 1   # let the first paint finish
  import -window root "$2"
  kill $pid 2>/dev/null; wait $pid 2>/dev/null; exit 0' bash "$exe" "$shot"
echo "Quorvix.exe ran under Xvfb (no display); screenshot saved to $shot"
