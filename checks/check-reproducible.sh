#!/usr/bin/env bash
# Makes the unsigned release twice, from copies of the same source in two
# different folders, and compares both archives (binaries and symbols) byte for
# byte; the archive holds the self-test's jar, so the times and order of its
# entries are compared too. A signed release cannot be compared so: its
# signature holds the time.
# usage: check-reproducible.sh SOURCE-DIR
set -euo pipefail
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(head -n 1 "$src/VERSION")
name="mirravon-native-$version-win32"
# The copies have no history: both take the source's last commit time.
epoch=$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo 946684800)
for side in first second-build-folder; do
  mkdir -p "$work/$side/src"
  (cd "$src" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$work/$side/src" 2>/dev/null) ||
    (cd "$src" && tar --exclude=./build --exclude=./dist -cf - . | tar -xf - -C "$work/$side/src")
  log="$work/$side/release.log"
  # Each copy compiles for real: no compiler cache hands the second the first's objects.
  env -u MIRRAVON_SIGNING_PKCS12 -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER \
      SOURCE_DATE_EPOCH="$epoch" bash "$work/$side/src/scripts/release.sh" "$work/$side/dist" > "$log" 2>&1 ||
    { tail -n 20 "$log"; exit 1; }
  [ "$(grep -c 'the binaries are unsigned' "$log")" = 1 ] ||
    { echo "FAIL the unsigned release does not say so in one line"; exit 1; }
done
status=0
for archive in "$name.zip" "$name-symbols.zip"; do
  if cmp -s "$work/first/dist/$archive" "$work/second-build-folder/dist/$archive"; then
    echo "ok   $archive is byte-identical"
  else
    echo "FAIL $archive differs between the two builds:"
    for side in first second-build-folder; do unzip -q "$work/$side/dist/$archive" -d "$work/$side/x-$archive"; done
    diff -rq "$work/first/x-$archive" "$work/second-build-folder/x-$archive" || true
    status=1
  fi
done
exit $status
