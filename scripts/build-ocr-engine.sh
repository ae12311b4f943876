#!/usr/bin/env bash
# Builds the OCR engine for the 32-bit Windows program: Leptonica and Tesseract as static
# MinGW-w64 libraries, from Debian's own source packages of the versions the native build uses.
# The result goes into a per-machine cache keyed by versions and toolchain, so a rebuild of the
# program never redoes it. A finished cache holds a stamp file; with it present this script only
# prints the cache folder. The last line printed is always that folder.
#
# Usage: scripts/build-ocr-engine.sh [--print-prefix]
#   --print-prefix   print the cache folder and exit, building nothing
# Environment: QUORVIX_OCR_ENGINE_CACHE overrides the cache root.
set -euo pipefail

TESSERACT_VERSION=5.3.0
LEPTONICA_VERSION=1.82.0
TRIPLE=i686-w64-mingw32

cache_root="${QUORVIX_OCR_ENGINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvix/ocr-engine}"
prefix="$cache_root/tesseract-${TESSERACT_VERSION}_leptonica-${LEPTONICA_VERSION}_${TRIPLE}"
stamp="$prefix/.complete"

if [ "${1:-}" = "--print-prefix" ]; then
  echo "$prefix"
  exit 0
fi
if [ -f "$stamp" ]; then
  echo "$prefix"
  exit 0
fi

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
APT=($SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300)
log() { echo "build-ocr-engine: $*" >&2; }

# Debian source version whose upstream part is $2, e.g. "5.3.0-2" for tesseract 5.3.0.
source_version() {
  # Without a source index apt-cache fails; that reads as "no version" and the index is enabled.
  { apt-cache showsrc "$1" 2>/dev/null || true; } | awk -v up="$2" \
    '/^Version:/ { v = $2; sub(/^[0-9]+:/, "", v); if (index(v, up "-") == 1) print $2 }' |
    sort -V | tail -n 1
}

# The source index is what `apt-get source` reads. It is enabled beside the binary index with
# the same archive addresses, read from this machine's own apt configuration.
enable_source_index() {
  local list=/etc/apt/sources.list.d/quorvix-deb-src.sources
  local generated
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    # deb822: copy every stanza of the Debian archive entry with Types set to deb-src.
    generated=$(awk '
      BEGIN { RS = ""; ORS = "\n\n" }
      {
        out = ""; n = split($0, lines, "\n")
        for (i = 1; i <= n; i++) {
          if (lines[i] ~ /^[ \t]*#/) continue
          if (lines[i] ~ /^Types:/) lines[i] = "Types: deb-src"
          out = out lines[i] "\n"
        }
        if (out ~ /Types: deb-src/) printf "%s\n", out
      }' /etc/apt/sources.list.d/debian.sources)
  elif [ -f /etc/apt/sources.list ]; then
    list=/etc/apt/sources.list.d/quorvix-deb-src.list
    generated=$(sed -n 's/^[ \t]*deb[ \t]/deb-src /p' /etc/apt/sources.list)
  fi
  if [ -z "${generated:-}" ]; then
    log "no Debian archive entry found in the apt sources; cannot enable its source index"
    exit 1
  fi
  if [ ! -f "$list" ] || [ "$(cat "$list")" != "$generated" ]; then
    log "enabling the source index in $list"
    printf '%s\n' "$generated" | $SUDO tee "$list" >/dev/null
  fi
  "${APT[@]}" update -q >&2
}

mkdir -p "$cache_root"
exec 9>"$cache_root/.lock"
flock 9
if [ -f "$stamp" ]; then # another run finished it while we waited
  echo "$prefix"
  exit 0
fi
# Leftovers of a killed run are never mistaken for a result: only a renamed, stamped folder is.
rm -rf "$cache_root"/.build-* "$prefix"

lept_src_version=$(source_version leptonlib "$LEPTONICA_VERSION")
tess_src_version=$(source_version tesseract "$TESSERACT_VERSION")
if [ -z "$lept_src_version" ] || [ -z "$tess_src_version" ]; then
  enable_source_index
  lept_src_version=$(source_version leptonlib "$LEPTONICA_VERSION")
  tess_src_version=$(source_version tesseract "$TESSERACT_VERSION")
fi
if [ -z "$lept_src_version" ] || [ -z "$tess_src_version" ]; then
  log "the archive has no source of leptonlib $LEPTONICA_VERSION or tesseract $TESSERACT_VERSION"
  exit 1
fi

work=$(mktemp -d "$cache_root/.build-XXXXXX")
trap 'rm -rf "$work"' EXIT
stage="$work/prefix"
started=$(date +%s)

log "fetching leptonlib $lept_src_version and tesseract $tess_src_version"
mkdir -p "$work/src"
# dpkg-source unpacks each package and applies Debian's patches.
(cd "$work/src" && apt-get source -q "leptonlib=$lept_src_version" \
  "tesseract=$tess_src_version" >&2)

# The program's own compilers and target: static runtime, Windows 7 API level. UNICODE is not
# defined: both libraries call the narrow Windows API explicitly where they call it at all.
cat >"$work/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER ${TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TRIPLE} "$stage")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)
# The temporary build folder is named at random: its path must not reach the program.
add_compile_options(-ffile-prefix-map=$work/=)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -L$work/link-names")
EOF
# Tesseract links "Ws2_32", as a Windows host's case-blind linker finds it; MinGW names it in
# lower case.
mkdir -p "$work/link-names"
ln -s "/usr/$TRIPLE/lib/libws2_32.a" "$work/link-names/libWs2_32.a"

common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$stage" -DBUILD_SHARED_LIBS=OFF -DSW_BUILD=OFF
  # pkg-config would report the host's libraries, never the Windows ones.
  -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON)
jobs=$(nproc)

log "building Leptonica"
# The program hands pixels in, so no image file format is compiled in.
cmake -S "$work/src/leptonlib-$LEPTONICA_VERSION" -B "$work/build-leptonica" "${common[@]}" \
  -DBUILD_PROG=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GIF=ON -DCMAKE_DISABLE_FIND_PACKAGE_JPEG=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_PNG=ON -DCMAKE_DISABLE_FIND_PACKAGE_TIFF=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_ZLIB=ON >&2
cmake --build "$work/build-leptonica" -j "$jobs" >&2
cmake --install "$work/build-leptonica" >&2

log "building Tesseract"
# -march=native is kept off: the build machine's CPU says nothing about the user's. The AVX2,
# AVX, FMA and SSE4.1 kernels are still built, each in its own file, and chosen at run time.
# The AVX-512 kernel is left out: the engine picks it when the CPU has it without asking
# whether the system saves the AVX-512 registers, which Windows 7 does not, so it would crash
# there. The carried models are LSTM-only, so the legacy engine would be dead weight.
cmake -S "$work/src/tesseract-$TESSERACT_VERSION" -B "$work/build-tesseract" "${common[@]}" \
  -DCOMPILER_SUPPORTS_MARCH_NATIVE=OFF -DHAVE_AVX512F=OFF -DDISABLED_LEGACY_ENGINE=ON \
  -DOPENMP_BUILD=OFF -DBUILD_TRAINING_TOOLS=OFF -DBUILD_TESTS=OFF \
  -DDISABLE_ARCHIVE=ON -DDISABLE_CURL=ON -DGRAPHICS_DISABLED=ON -DENABLE_LTO=OFF \
  -DINSTALL_CONFIGS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_TIFF=ON \
  -DLeptonica_DIR="$stage/lib/cmake/leptonica" >&2
cmake --build "$work/build-tesseract" -j "$jobs" >&2
cmake --install "$work/build-tesseract" >&2

printf 'tesseract %s (Debian source %s)\nleptonica %s (Debian source %s)\ntoolchain %s\nbuilt in %ss\n' \
  "$TESSERACT_VERSION" "$tess_src_version" "$LEPTONICA_VERSION" "$lept_src_version" \
  "$("${TRIPLE}-g++-posix" --version | head -n 1)" "$(($(date +%s) - started))" >"$stage/.complete"
mv "$stage" "$prefix"
log "done in $(($(date +%s) - started))s"
echo "$prefix"
