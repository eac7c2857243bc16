#!/usr/bin/env bash
# Sets up the machine, builds the launcher and its example install image for
# Windows, and runs the launcher end to end under Wine in a fresh prefix:
# `stelvo.exe -log` installs the sample agent through the real msiexec and
# starts it; a second run finds the agent and skips the install. Prints the
# exit codes and the logs; exits 0 when both runs went as expected.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build="${MIRRAVON_BUILD_DIR:-build/windows}"   # another tree only for trying the script beside a running build
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target example_image
run="$PWD/$build/wine-run"

work=$(mktemp -d /tmp/stelvo-main-job.XXXXXX)
export MIRRAVON_WINEPREFIX="$work/wineprefix"
cleanup() {
  "$run" --stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

cp -r "$build/launcher/example/image" "$work/image"
winpath() { echo "Z:$1" | tr / '\\'; }
echo "== Fresh Wine prefix: $MIRRAVON_WINEPREFIX"
"$run" --start

status=0
record="$MIRRAVON_WINEPREFIX/drive_c/Program Files/Quillmont/QuillmontAgent.exe.record"
for n in 1 2; do
  log="$work/run$n.log"
  echo
  echo "== Run $n: stelvo.exe -log $(winpath "$log")"
  set +e
  (cd "$work/image" && timeout 600 "$run" "$work/image/stelvo.exe" -log "$(winpath "$log")")
  rc=$?
  set -e
  # The launcher ends as soon as the agent's process exists; the agent then records its start.
  for _ in $(seq 1 60); do
    [ -f "$record" ] && [ "$(wc -l <"$record")" -ge "$n" ] && break
    sleep 0.5
  done
  echo "-- log of run $n:"
  tr -d '\r' <"$log" 2>/dev/null || echo "(no log)"
  echo "-- stelvo.exe ended with exit code $rc"
  starts=$( [ -f "$record" ] && wc -l <"$record" || echo 0 )
  echo "-- the agent has been started $starts time(s); last command line: $( [ -f "$record" ] && tail -n 1 "$record" | tr -d '\r' )"

  [ "$rc" = 0 ] || { echo "FAIL run $n: exit code $rc, expected 0"; status=1; }
  [ "$starts" = "$n" ] || { echo "FAIL run $n: the agent has been started $starts time(s), expected $n"; status=1; }
  installed=$(grep -c "Command to launch agent install" "$log" 2>/dev/null || true)
  if [ "$n" = 1 ]; then
    grep -q "^rc: (0)" "$log" || { echo "FAIL run 1: msiexec did not install the agent"; status=1; }
    [ "$installed" = 1 ] || { echo "FAIL run 1: no install"; status=1; }
  else
    [ "$installed" = 0 ] || { echo "FAIL run 2: the installer ran again"; status=1; }
  fi
done

echo
if [ "$status" = 0 ]; then
  echo "main job: OK (run 1 installed the agent through msiexec and started it; run 2 found it and started it)"
else
  echo "main job: FAILED"
fi
exit $status
