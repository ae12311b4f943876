#!/usr/bin/env bash
# How soon Quorvix.exe is gone after 拒绝 on the disclaimer, seen from Linux: from the click
# (a real X click) to the end of the wine process, against a plain Win32 window ended by its
# one button the same way. Prints each time, the medians and their ratio.
#   bench/app/exit_bench.sh [RUNS]   (under scripts/with-display.sh, after the win32 build)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
runs="${1:-5}"
bin="$root/build/win32/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One run: starts EXE in a fresh folder, waits for a window titled TITLE, clicks at X,Y of its
# client area and prints the seconds until the process has ended.
one() {
  local exe="$1" title="$2" x="$3" y="$4" dir
  dir="$(mktemp -d -p "$work")"
  cp "$exe" "$dir/"
  (cd "$dir" && exec wine "./$(basename "$exe")" >/dev/null 2>&1) &
  local pid=$!
  local window
  window="$(xdotool search --sync --onlyvisible --name "$title" | head -1)"
  sleep 0.5  # let it settle: the measure is the exit, not the start
  xdotool mousemove --window "$window" "$x" "$y"
  local start end
  start="$(date +%s.%N)"
  xdotool click 1
  wait "$pid" || true
  end="$(date +%s.%N)"
  echo "$end - $start" | bc
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# Wine draws the frame itself when no window manager runs: the client area starts below it.
frame_x=3
frame_y=26
program=()
plain=()
for ((i = 0; i < runs; i++)); do
  program+=("$(one "$bin/Quorvix.exe" "Quorvix" $((380 + frame_x)) $((147 + frame_y)))")
  plain+=("$(one "$bin/exit_reference.exe" "Exit reference" $((60 + frame_x)) $((25 + frame_y)))")
done
p="$(printf '%s\n' "${program[@]}" | median)"
r="$(printf '%s\n' "${plain[@]}" | median)"
echo "Quorvix.exe after 拒绝:  ${program[*]}  median $p s"
echo "plain Win32 window:     ${plain[*]}  median $r s"
echo "ratio: $(echo "scale=2; $p / $r" | bc)"
