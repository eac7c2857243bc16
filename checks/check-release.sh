#!/usr/bin/env bash
# Runs the release command into a scratch folder and checks the archive: exactly
# the listed files, and checksums that verify.
# usage: check-release.sh SOURCE-DIR
set -euo pipefail
src="$1"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
bash "$src/scripts/release.sh" "$out" > "$out/release.log"
archive=$(tail -n 1 "$out/release.log")
version=$(head -n 1 "$src/VERSION")
name="mirravon-native-$version-win32"
[ "$(basename "$archive")" = "$name.zip" ] || { echo "FAIL archive name $(basename "$archive")"; exit 1; }
expected=$(printf '%s\n' README.txt SHA256SUMS stelvo.example.ini stelvo.exe tavrodvxjni.dll tavroos.dll | sed "s|^|$name/|")
actual=$(unzip -Z1 "$archive" | sort)
[ "$actual" = "$expected" ] || { echo "FAIL archive holds:"; echo "$actual"; exit 1; }
mkdir "$out/x" && (cd "$out/x" && unzip -q "$archive")
(cd "$out/x/$name" && sha256sum --quiet -c SHA256SUMS) || { echo "FAIL checksums"; exit 1; }
# The archived binaries are the ones the tests ran (and read the versions of).
cmp "$out/x/$name/stelvo.exe" "$src/build/windows/launcher/stelvo.exe"
cmp "$out/x/$name/tavrodvxjni.dll" "$src/build/windows/pipejni/tavrodvxjni.dll"
cmp "$out/x/$name/tavroos.dll" "$src/build/windows/osjni/tavroos.dll"
echo "ok   $name.zip holds the six files and its checksums verify"
