#!/usr/bin/env bash
# Sets up the machine, builds the deliverables for Windows and runs the
# launcher under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target stelvo
run=build/windows/wine-run
"$run" --start
set +e
"$run" build/windows/launcher/stelvo.exe
rc=$?
set -e
"$run" --stop
echo "stelvo.exe ended with exit code $rc"
exit $rc
