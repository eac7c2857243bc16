#!/usr/bin/env bash
# Builds the benchmark programs, runs every benchmark under Wine and prints one
# table: each figure, the baseline it is measured against, and their ratio as
# time over baseline time (above 1: slower than the baseline).
#   pipe channel       round trip and one-way throughput per message size, against
#                      the same pipe read with one right-sized read per message
#   tavroos listFiles  against one plain FindFirstFileW/FindNextFileW pass
#   tavroos getenv     against GetEnvironmentVariableW alone
#   stelvo -wait       against starting the agent directly
# Each program's own output is kept in build/windows/bench-output/. Not part of
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
. build/windows/programs.sh
raw=build/windows/bench-output
mkdir -p "$raw"
"$wine_run" --start
trap '"$wine_run" --stop' EXIT

if [ $quick = 1 ]; then pipe_args=(--quick); sizes=1000,10000; runs=5
else pipe_args=(); sizes=1000,10000,100000; runs=20; fi
echo "bench: pipe channel ..." >&2
"$wine_run" "$pipe_bench" "${pipe_args[@]}" > "$raw/pipe.txt"
echo "bench: tavroos listFiles and getenv ..." >&2
bash "$tavroos_bench_dirs" "$tavroos_bench_data" "$sizes"
"$wine_run" "$tavroos_bench" "$tavroos_bench_data" "$sizes" > "$raw/tavroos.txt"
echo "bench: stelvo against the agent ..." >&2
"$wine_run" "$launcher_benchmark" "$stelvo" "$agent_standin" "$runs" > "$raw/launcher.txt"

# Each program prints its own report; these read the figures out of them.
table=$(
  awk '$1 ~ /^[0-9]+$/ && $2 == "|" && $6 == "|" { rtt = rtt sprintf("R round trip, %s B|%s us|%s us\n", $1, $3, $4)
                                thr = thr sprintf("R throughput, %s B|%s MiB/s|%s MiB/s|%s\n", $1, $7, $8, $9) }
       END { if (rtt == "") exit 1
             printf "S pipe channel, against one right-sized read per message\n%s%s", rtt, thr }' "$raw/pipe.txt" &&
  awk 'NF == 7 && $1 ~ /^[0-9]+$/ { rows = rows sprintf("R %s entries (median of %s)|%s ms|%s ms\n", $1, $2, $6, $3) }
       / us per call / { env = env sprintf("R %s|%s us|%s us\n", $1, $2, $(NF-1)) }
       END { if (rows == "" || env == "") exit 1
             printf "S tavroos listFiles, against one plain FindFirstFileW/FindNextFileW pass\n%s", rows
             printf "S tavroos getenv per call, against GetEnvironmentVariableW alone\n%s", env }' "$raw/tavroos.txt" &&
  awk -v runs="$runs" '/^agent directly:/ { direct = $4 } /^agent through stelvo -wait:/ { launched = $6 }
       END { if (direct == "" || launched == "") exit 1
             printf "S stelvo -wait, against starting the agent directly (median of %s runs)\n", runs
             printf "R one run with an installed agent|%s s|%s s\n", launched, direct }' "$raw/launcher.txt"
) || { echo "bench: a benchmark's report was not as expected; see $raw/" >&2; exit 1; }

printf '%-44s %14s %14s %8s\n' "" figure baseline ratio
while IFS= read -r line; do
  case "$line" in
    S\ *) echo "${line#S }" ;;
    R\ *)
      IFS='|' read -r what figure baseline given <<<"${line#R }"
      # Throughput is a rate: its time ratio is baseline over figure. pipe_bench
      # gives that ratio itself, which keeps its precision for tiny rates.
      ratio=${given:-$(awk -v f="${figure%% *}" -v b="${baseline%% *}" 'BEGIN { printf "%.2f", f / b }')}
      printf '  %-42s %14s %14s %8s\n' "$what" "$figure" "$baseline" "$ratio" ;;
  esac
done <<<"$table"
