#!/usr/bin/env bash
# Replays a fuzz target over its seed corpus (files or folders), each input once.
set -euo pipefail
target="$1"; shift
files=()
for seed in "$@"; do
  if [ -d "$seed" ]; then
    while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$seed" -type f -print0 | sort -z)
  elif [ -f "$seed" ]; then
    files+=("$seed")
  fi
done
if [ ${#files[@]} -eq 0 ]; then echo "fuzz-replay: no seeds for $target" >&2; exit 1; fi
# Batches keep the command line short; -rss_limit_mb bounds a runaway allocation. libFuzzer's
# chatter is shown only when an input fails.
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! printf '%s\0' "${files[@]}" |
    xargs -0 -n 200 "$target" -rss_limit_mb=2048 -timeout=25 >"$log" 2>&1; then
  cat "$log" >&2
  echo "fuzz-replay: $target failed" >&2
  exit 1
fi
echo "fuzz-replay: ${#files[@]} inputs ran clean"
