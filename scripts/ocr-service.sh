#!/usr/bin/env bash
# Starts the local recognition service for the program on this machine: installs what it needs
# (through setup.sh), builds it and runs it in the foreground until Ctrl+C. Any options go to
# the service:  [--address A] [--port P] [--keys FILE] [--threads N]   (see --help)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cd "$root"
"$here/setup.sh" >&2
cmake --preset native >/dev/null
cmake --build --preset native --target quorvix-ocr-service >&2
exec "$root/build/native/bin/quorvix-ocr-service" "$@"
