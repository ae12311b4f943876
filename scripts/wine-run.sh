#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix; ctest uses it as the emulator of the
# win32 build. Exit codes keep only their low 8 bits under Wine.
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
