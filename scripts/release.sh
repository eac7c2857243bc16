#!/usr/bin/env bash
# Builds the three deliverables for Windows and writes two archives:
#   dist/mirravon-native-<version>-win32.zip: stelvo.exe, tavrodvxjni.dll and
#     tavroos.dll (stripped; signed when a certificate is given),
#     stelvo.example.ini, README.txt (the user part of README.md), SHA256SUMS;
#   dist/mirravon-native-<version>-win32-symbols.zip: <binary>.debug for each
#     binary, the file its debug link names.
# Authenticode signing (SHA-256, with osslsigncode) when these are set:
#   MIRRAVON_SIGNING_PKCS12          the PKCS#12 file: code-signing certificate, its chain and key
#   MIRRAVON_SIGNING_PASSWORD        its password
#   MIRRAVON_SIGNING_TIMESTAMP_URL   optional: an RFC 3161 time-stamp server
# An unsigned release is reproducible (same source, same archives; times from
# SOURCE_DATE_EPOCH or the last commit); a signed one is not, as the signature
# holds the signing time.
# usage: scripts/release.sh [OUTPUT-FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-dist}"
mkdir -p "$out"
out=$(cd "$out" && pwd)
certificate="${MIRRAVON_SIGNING_PKCS12:-}"
if [ -n "$certificate" ]; then
  [ -r "$certificate" ] || { echo "release: cannot read MIRRAVON_SIGNING_PKCS12 ($certificate)" >&2; exit 1; }
fi
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target stelvo tavrodvxjni tavroos
. build/windows/programs.sh

version=$(head -n 1 VERSION)
name="mirravon-native-$version-win32"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name" "$stage/$name-symbols"
binaries=(stelvo.exe tavrodvxjni.dll tavroos.dll)
for binary in "$stelvo" "$tavrodvxjni" "$tavroos"; do
  bash release/split-symbols.sh "$objcopy" "$binary" "$stage/$name" "$stage/$name-symbols"
done

if [ -n "$certificate" ]; then
  timestamp=()
  [ -z "${MIRRAVON_SIGNING_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$MIRRAVON_SIGNING_TIMESTAMP_URL")
  for binary in "${binaries[@]}"; do
    # The password reaches osslsigncode through a pipe, never its command line.
    osslsigncode sign -pkcs12 "$certificate" -readpass <(printf '%s' "${MIRRAVON_SIGNING_PASSWORD:-}") \
      -h sha256 -n "$product" "${timestamp[@]}" \
      -in "$stage/$name/$binary" -out "$stage/$name/$binary.signed" >/dev/null
    mv "$stage/$name/$binary.signed" "$stage/$name/$binary"
  done
else
  echo "release: no code-signing certificate given (MIRRAVON_SIGNING_PKCS12), the binaries are unsigned" >&2
fi

cp release/stelvo.example.ini "$stage/$name/"
sed -n '/<!-- user-part-start -->/,/<!-- user-part-end -->/p' README.md | sed '1d;$d' > "$stage/$name/README.txt"
[ -s "$stage/$name/README.txt" ] || { echo "release: README.md has no user part" >&2; exit 1; }
(cd "$stage/$name" && sha256sum "${binaries[@]}" stelvo.example.ini README.txt > SHA256SUMS)

# The same inputs give the same archives: fixed times, fixed order, no extra fields.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 946684800)}
find "$stage" -mindepth 1 -exec touch -h -d "@$epoch" {} +
rm -f "$out/$name.zip" "$out/$name-symbols.zip"
(cd "$stage" && TZ=UTC zip -q -X -D "$out/$name.zip" "${binaries[@]/#/$name/}" \
   "$name/stelvo.example.ini" "$name/README.txt" "$name/SHA256SUMS")
symbols=("${binaries[@]/%/.debug}")
(cd "$stage" && TZ=UTC zip -q -X -D "$out/$name-symbols.zip" "${symbols[@]/#/$name-symbols/}")
echo "$out/$name.zip"
echo "$out/$name-symbols.zip"
