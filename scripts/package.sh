#!/usr/bin/env bash
# Builds the portable Windows release, dist/Quorvix-<version>-win32.zip: Quorvix.exe, the
# recognition models in ocr\, the user guide, the third-party licences and SHA256SUMS, in one
# folder Quorvix-<version>-win32\. The same commit gives the same bytes: file times come from the
# commit (SOURCE_DATE_EPOCH when set), the build strips its paths and the PE time stamp.
#
# Usage: scripts/package.sh [--build-dir DIR] [--reuse] [--output DIR]
#   --build-dir DIR  build folder (default build/package); emptied first for a clean build
#   --reuse          keep what DIR holds and only bring it up to date (the check's own
#                    build/win32, which is built with the same settings)
#   --output DIR     where the zip goes (default dist/)
# Prints the zip's path last.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"

build="$root/build/package"
output="$root/dist"
reuse=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$(realpath -m "$2")"; shift 2 ;;
    --output) output="$(realpath -m "$2")"; shift 2 ;;
    --reuse) reuse=1; shift ;;
    *) echo "package: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) ||
    { echo "package: not a git checkout; set SOURCE_DATE_EPOCH" >&2; exit 2; }
fi
export SOURCE_DATE_EPOCH

if [ "$reuse" = 0 ]; then rm -rf "$build"; fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  (cd "$root" && cmake --preset win32 -B "$build" -DQUORVIX_BENCHMARKS=OFF >&2)
fi
cmake --build "$build" -j "${QUORVIX_JOBS:-$(nproc)}" --target Quorvix ocr_models >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="Quorvix-$version-win32"
stage="$output/.stage-$name"
rm -rf "$stage"
mkdir -p "$stage/ocr" "$stage/LICENSES"

# The program finds its models in ocr\ beside itself, and writes the spreadsheet library it
# carries beside itself at start, so the exe and the models are all it needs.
# strip stamps the PE header with SOURCE_DATE_EPOCH: the commit's time.
i686-w64-mingw32-strip -o "$stage/Quorvix.exe" "$build/bin/Quorvix.exe"
# Build paths would make the bytes depend on where the build ran.
for path in "$root" "$build"; do
  if grep -qaF "$path/" "$stage/Quorvix.exe"; then
    echo "package: Quorvix.exe holds the build path $path" >&2
    exit 1
  fi
done
engine=$(sed -n 's/^QUORVIX_OCR_ENGINE_DIR:PATH=//p' "$build/CMakeCache.txt")
if [ -n "$engine" ] && grep -qaF "$(dirname "$engine")/." "$stage/Quorvix.exe"; then
  echo "package: warning: the OCR engine in $engine was built before its build paths were" \
       "mapped out; delete that folder and run scripts/build-ocr-engine.sh to rebuild it" >&2
fi
cp "$build"/bin/ocr/*.traineddata "$stage/ocr/"
python3 "$root/packaging/text_for_windows.py" "$root/packaging/使用说明.txt" "$stage/使用说明.txt"
python3 "$root/packaging/licenses.py" "$stage/LICENSES"
(cd "$stage" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort |
  xargs -d '\n' sha256sum > SHA256SUMS)

mkdir -p "$output"
zip="$output/$name.zip"
python3 "$root/packaging/release_zip.py" "$stage" "$zip" --epoch "$SOURCE_DATE_EPOCH" \
  --prefix "$name/"
rm -rf "$stage"
echo "$zip"
