#!/usr/bin/env bash
# Builds the release zip a second time, from a clean build of a copy of the sources in another
# folder, and compares it byte for byte with the zip already made: the same commit must give the
# same zip wherever it is built. Usage: scripts/package-reproducible.sh ZIP WORKDIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
first="$(realpath "$1")"
work="$(realpath -m "$2")"

SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"
export SOURCE_DATE_EPOCH
rm -rf "$work"
mkdir -p "$work/sources"
# The tracked files as they are in the working tree, and new ones not ignored.
(cd "$root" && git ls-files -z -c -o --exclude-standard | xargs -0 cp --parents -t "$work/sources")
bash "$work/sources/scripts/package.sh" --output "$work/dist" >/dev/null
second="$work/dist/$(basename "$first")"
if ! cmp "$first" "$second"; then
  # Which entries differ, for the log.
  python3 - "$first" "$second" <<'PY'
import sys, zipfile
a, b = (zipfile.ZipFile(p) for p in sys.argv[1:3])
for info in a.infolist():
    other = b.getinfo(info.filename) if info.filename in b.namelist() else None
    if other is None or other.CRC != info.CRC:
        print("differs:", info.filename)
PY
  exit 1
fi
echo "reproducible: $(basename "$first") $(sha256sum "$first" | cut -c1-64)"
rm -rf "$work"
