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
# Batches keep the command line short; -rss_limit_mb bounds a runaway allocation.
printf '%s\0' "${files[@]}" | xargs -0 -n 200 "$target" -rss_limit_mb=2048 -timeout=25 >/dev/null
echo "fuzz-replay: ${#files[@]} inputs ran clean"
