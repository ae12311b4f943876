#!/usr/bin/env bash
# Builds every preset and runs every test: native suites, the Windows suites and end-to-end
# tests under Wine inside Xvfb, the release zip (built twice to the same bytes, then run as a
# user runs it), a replay of each fuzz target's seeds, then the native suites
# again under AddressSanitizer with UndefinedBehaviorSanitizer and under ThreadSanitizer. Ends
# with a line "N passed, M failed".
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cd "$root"

"$here/setup.sh" || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
logs="$root/build/logs"
mkdir -p "$logs"

# Adds the counts of one ctest log to the totals; a build or ctest failure with no count is one
# failed step.
tally() {
  local log="$1" status="$2" line total nfail
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    nfail=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - nfail))
    failed=$((failed + nfail))
  elif [ "$status" != 0 ]; then
    failed=$((failed + 1))
  fi
}

step() {  # step NAME COMMAND... : runs a build step, counting a failure
  local name="$1"; shift
  echo "== $name"
  if ! "$@" >"$logs/$name.log" 2>&1; then
    tail -n 60 "$logs/$name.log"
    echo "== $name FAILED (log: build/logs/$name.log)"
    failed=$((failed + 1))
    return 1
  fi
}

run_tests() {  # run_tests NAME COMMAND... : runs a ctest invocation and adds its counts
  local name="$1"; shift
  echo "== $name"
  "$@" 2>&1 | tee "$logs/$name.log" | grep -E '(Failed|\*\*\*|tests passed)' || true
  tally "$logs/$name.log" "${PIPESTATUS[0]}"
  # What a failing test said, so that a run kept only as this summary still tells why.
  grep -E -A6 '(: Failure$|^\[  FAILED  \]|Assertion|ERROR: |runtime error)' "$logs/$name.log" |
    head -80 || true
}

export CTEST_OUTPUT_ON_FAILURE=1

jobs=$(nproc)

if step configure-native cmake --preset native && step build-native cmake --build --preset native -j "$jobs"; then
  run_tests test-native ctest --preset native --no-tests=error -j "$jobs"
fi

if step configure-win32 cmake --preset win32 && step build-win32 cmake --build --preset win32 -j "$jobs"; then
  # One persistent wineserver and one X display serve every Windows test.
  run_tests test-win32 "$here/with-display.sh" ctest --preset win32 --no-tests=error -LE package
  # The release zip from this build, the same bytes again from a clean build of a copy of the
  # sources elsewhere, then unpacked and used as a user would.
  rm -rf build/win32/dist
  if step package "$here/package.sh" --build-dir build/win32 --reuse --output build/win32/dist &&
     step package-reproducible "$here/package-reproducible.sh" \
       build/win32/dist/Quorvix-*-win32.zip build/package-again; then
    run_tests test-package "$here/with-display.sh" ctest --preset win32 -L package --no-tests=error
  fi
fi

if step configure-fuzz cmake --preset fuzz && step build-fuzz cmake --build --preset fuzz -j "$jobs"; then
  run_tests test-fuzz ctest --preset fuzz --no-tests=error -j "$jobs"
fi

# A report that a test's own checks let through (a script that ignored a child's exit code) still
# reached ctest's output: each run with one counts as a failure.
sanitizer_reports() {  # sanitizer_reports PRESET
  local log="build/$1/Testing/Temporary/LastTest.log"
  [ -f "$log" ] || return 0
  if grep -qE '^(==[0-9]+==ERROR: (Address|Leak)Sanitizer|WARNING: ThreadSanitizer|.*: runtime error: )' "$log"; then
    echo "== sanitizer-reports-$1 FAILED: reports in $log:"
    grep -nE '^(==[0-9]+==ERROR: (Address|Leak)Sanitizer|WARNING: ThreadSanitizer|.*: runtime error: )' "$log" | head -n 20
    failed=$((failed + 1))
  fi
}

# The sanitizer builds: native tests only, no benchmarks. ThreadSanitizer leaves out
# import_corpus_check: it reads each of some 450 workbooks in a fresh single-threaded quorvix-cli,
# so it has no threads to watch, and there it takes minutes (the largest workbook alone 25 s of
# CPU, against 8 s under AddressSanitizer, which runs it: its real-world files are what it is for).
declare -A sanitizer_skips=([asan]='^$' [tsan]='^(import_corpus_check)$')
for preset in asan tsan; do
  if step "configure-$preset" cmake --preset "$preset" &&
     step "build-$preset" cmake --build --preset "$preset" -j "$jobs"; then
    run_tests "test-$preset" ctest --preset "$preset" --no-tests=error -j "$jobs" \
      -E "${sanitizer_skips[$preset]}"
    sanitizer_reports "$preset"
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
