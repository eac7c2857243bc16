#!/usr/bin/env bash
# Builds the deliverables twice from copies of the same source in two different
# folders and compares the binaries byte for byte.
# usage: check-reproducible.sh SOURCE-DIR
set -euo pipefail
src="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for side in first second-build-folder; do
  mkdir -p "$work/$side/src"
  (cd "$src" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$work/$side/src" 2>/dev/null) ||
    (cd "$src" && tar --exclude=./build --exclude=./dist -cf - . | tar -xf - -C "$work/$side/src")
  cmake -S "$work/$side/src" -B "$work/$side/out" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$work/$side/src/cmake/toolchain-i686-mingw.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$work/$side/out" -j "$(nproc)" --target stelvo tavrodvxjni tavroos >/dev/null
done
status=0
for f in launcher/stelvo.exe pipejni/tavrodvxjni.dll osjni/tavroos.dll; do
  if cmp -s "$work/first/out/$f" "$work/second-build-folder/out/$f"; then
    echo "ok   $(basename "$f") is byte-identical"
  else
    echo "FAIL $(basename "$f") differs between the two builds"; status=1
  fi
done
exit $status
