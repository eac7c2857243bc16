#!/usr/bin/env bash
# Builds the benchmark programs, runs every benchmark under Wine and prints one
# table: each figure, the baseline it is measured against, and their ratio as
# time over baseline time (above 1: slower than the baseline). The pipe and
# tavroos benchmarks run twice, 32-bit in the 32-bit prefix and 64-bit (the x64
# libraries) in the 64-bit prefix; their x64 figures stand beside the 32-bit ones.
#   pipe channel       round trip and one-way throughput per message size, against
#                      the same pipe read with one right-sized read per message
#   tavroos listFiles  against one plain FindFirstFileW/FindNextFileW pass
#   tavroos getenv     against GetEnvironmentVariableW alone
#   stelvo -wait       against starting the agent directly
# Each program's own output is kept in build/windows/bench-output/ and
# build/windows64/bench-output/. Not part of
# the test command: the figures belong to the machine they were taken on.
# usage: scripts/bench.sh [--quick]     --quick: fewer rounds and smaller folders
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
case "${1:-}" in
  --quick) quick=1 ;;
  "") ;;
  *) echo "usage: scripts/bench.sh [--quick]" >&2; exit 2 ;;
esac
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" \
      --target pipe_bench tavroos_bench launcher_benchmark quillmont_standin stelvo >/dev/null
cmake --preset windows64 >/dev/null
cmake --build --preset windows64 -j "$(nproc)" --target pipe_bench tavroos_bench >/dev/null
. build/windows64/programs.sh
wine_run64=$wine_run pipe_bench64=$pipe_bench tavroos_bench64=$tavroos_bench tavroos_bench_data64=$tavroos_bench_data
. build/windows/programs.sh
raw=build/windows/bench-output
raw64=build/windows64/bench-output
mkdir -p "$raw" "$raw64"
"$wine_run" --start
"$wine_run64" --start
trap '"$wine_run" --stop; "$wine_run64" --stop' EXIT

if [ $quick = 1 ]; then pipe_args=(--quick); sizes=1000,10000; runs=5
else pipe_args=(); sizes=1000,10000,100000; runs=20; fi
echo "bench: pipe channel ..." >&2
"$wine_run" "$pipe_bench" "${pipe_args[@]}" > "$raw/pipe.txt"
echo "bench: pipe channel, x64 ..." >&2
"$wine_run64" "$pipe_bench64" "${pipe_args[@]}" > "$raw64/pipe.txt"
echo "bench: tavroos listFiles and getenv ..." >&2
bash "$tavroos_bench_dirs" "$tavroos_bench_data" "$sizes"
"$wine_run" "$tavroos_bench" "$tavroos_bench_data" "$sizes" > "$raw/tavroos.txt"
echo "bench: tavroos listFiles and getenv, x64 ..." >&2
bash "$tavroos_bench_dirs" "$tavroos_bench_data64" "$sizes"
"$wine_run64" "$tavroos_bench64" "$tavroos_bench_data64" "$sizes" > "$raw64/tavroos.txt"
echo "bench: stelvo against the agent ..." >&2
"$wine_run" "$launcher_benchmark" "$stelvo" "$agent_standin" "$runs" > "$raw/launcher.txt"

# Each program prints its own report; these read the figures out of them.
# The pipe and tavroos rows of a folder's reports (the same rows for both builds).
library_rows() {  # FOLDER
  awk '$1 ~ /^[0-9]+$/ && $2 == "|" && $6 == "|" { rtt = rtt sprintf("R round trip, %s B|%s us|%s us\n", $1, $3, $4)
                                thr = thr sprintf("R throughput, %s B|%s MiB/s|%s MiB/s|%s\n", $1, $7, $8, $9) }
       END { if (rtt == "") exit 1
             printf "S pipe channel, against one right-sized read per message\n%s%s", rtt, thr }' "$1/pipe.txt" &&
  awk 'NF == 7 && $1 ~ /^[0-9]+$/ { rows = rows sprintf("R %s entries (median of %s)|%s ms|%s ms\n", $1, $2, $6, $3) }
       / us per call / { env = env sprintf("R %s|%s us|%s us\n", $1, $2, $(NF-1)) }
       END { if (rows == "" || env == "") exit 1
             printf "S tavroos listFiles, against one plain FindFirstFileW/FindNextFileW pass\n%s", rows
             printf "S tavroos getenv per call, against GetEnvironmentVariableW alone\n%s", env }' "$1/tavroos.txt"
}
rows32=$(library_rows "$raw") && rows64=$(library_rows "$raw64") &&
  [ "$(grep -c . <<<"$rows32")" = "$(grep -c . <<<"$rows64")" ] || rows32=
table=$(
  [ -n "$rows32" ] &&
  # Each 32-bit row with the same row of the x64 reports after it.
  paste -d '#' <(echo "$rows32") <(echo "$rows64") &&
  awk -v runs="$runs" '/^agent directly:/ { direct = $4 } /^agent through stelvo -wait:/ { launched = $6 }
       END { if (direct == "" || launched == "") exit 1
             printf "S stelvo -wait, against starting the agent directly (median of %s runs)\n", runs
             printf "R one run with an installed agent|%s s|%s s\n", launched, direct }' "$raw/launcher.txt"
) || { echo "bench: a benchmark's report was not as expected; see $raw/" >&2; exit 1; }

# Throughput is a rate: its time ratio is baseline over figure. pipe_bench
# gives that ratio itself, which keeps its precision for tiny rates.
ratio() { echo "${3:-$(awk -v f="${1%% *}" -v b="${2%% *}" 'BEGIN { printf "%.2f", f / b }')}"; }
printf '%-44s %14s %14s %8s   %14s %14s %8s\n' "" figure baseline ratio "x64 figure" "x64 baseline" "x64 ratio"
while IFS= read -r line; do
  row=${line%%#*}
  case "$row" in
    S\ *) echo "${row#S }" ;;
    R\ *)
      IFS='|' read -r what figure baseline given <<<"${row#R }"
      x64=(- - -)  # stelvo.exe is 32-bit only
      if [ "$row" != "$line" ]; then
        IFS='|' read -r _ figure64 baseline64 given64 <<<"${line#*#R }"
        x64=("$figure64" "$baseline64" "$(ratio "$figure64" "$baseline64" "$given64")")
      fi
      printf '  %-42s %14s %14s %8s   %14s %14s %8s\n' "$what" "$figure" "$baseline" \
        "$(ratio "$figure" "$baseline" "$given")" "${x64[@]}" ;;
  esac
done <<<"$table"
