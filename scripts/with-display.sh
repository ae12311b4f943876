#!/usr/bin/env bash
# Runs a command with an X display (a fresh Xvfb unless one is asked for with QUORVIX_DISPLAY)
# and one persistent wineserver for the project's prefix, ended afterwards.
source "$(dirname "$0")/wine-env.sh"
# Wine's background processes (services, winedevice, explorer) are started here with their
# output detached; started later by a test they would inherit ctest's pipes and keep them open.
inner='wineserver -p
trap "wineserver -k" EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"'
if [ -n "${QUORVIX_DISPLAY:-}" ]; then
  DISPLAY="$QUORVIX_DISPLAY" bash -c "$inner" bash "$@"
else
  xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash -c "$inner" bash "$@"
fi
