#!/usr/bin/env bash
# Makes the benchmark's folders from the host side: creating 100,000 files
# through Wine takes hours (each create searches the folder case-insensitively).
# usage: make-bench-dirs.sh BASE_FOLDER [SIZES, e.g. 1000,10000,100000]
set -euo pipefail
base="$1"; sizes="${2:-1000,10000,100000}"
for n in ${sizes//,/ }; do
  dir="$base/n$n"; mkdir -p "$dir"
  have=$(find "$dir" -mindepth 1 -maxdepth 1 | wc -l)
  [ "$have" = "$n" ] && continue
  [ "$have" -lt "$n" ] || { echo "$dir holds more than $n entries" >&2; exit 1; }
  ( cd "$dir" && seq -f 'entry-%07g.dat' 0 $((n - 1)) | xargs touch )
done
