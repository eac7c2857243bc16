#!/usr/bin/env bash
# Builds the three deliverables for Windows and writes one archive:
#   dist/mirravon-native-<version>-win32.zip
# holding stelvo.exe, tavrodvxjni.dll, tavroos.dll, stelvo.example.ini,
# README.txt (the user part of README.md) and SHA256SUMS.
# usage: scripts/release.sh [OUTPUT-FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-dist}"
mkdir -p "$out"
out=$(cd "$out" && pwd)
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target stelvo tavrodvxjni tavroos

version=$(head -n 1 VERSION)
name="mirravon-native-$version-win32"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp build/windows/launcher/stelvo.exe build/windows/pipejni/tavrodvxjni.dll build/windows/osjni/tavroos.dll \
   release/stelvo.example.ini "$stage/$name/"
sed -n '/<!-- user-part-start -->/,/<!-- user-part-end -->/p' README.md | sed '1d;$d' > "$stage/$name/README.txt"
[ -s "$stage/$name/README.txt" ] || { echo "release: README.md has no user part" >&2; exit 1; }
(cd "$stage/$name" && sha256sum stelvo.exe tavrodvxjni.dll tavroos.dll stelvo.example.ini README.txt > SHA256SUMS)

# The same inputs give the same archive: fixed times, fixed order, no extra fields.
epoch=$(git log -1 --format=%ct 2>/dev/null || echo 946684800)
find "$stage/$name" -exec touch -h -d "@$epoch" {} +
rm -f "$out/$name.zip"
(cd "$stage" && TZ=UTC zip -q -X -D "$out/$name.zip" \
   "$name/stelvo.exe" "$name/tavrodvxjni.dll" "$name/tavroos.dll" "$name/stelvo.example.ini" \
   "$name/README.txt" "$name/SHA256SUMS")
echo "$out/$name.zip"
