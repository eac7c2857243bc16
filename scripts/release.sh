#!/usr/bin/env bash
# Builds the deliverables for Windows, the two JNI libraries for a 32-bit and for
# a 64-bit Java VM, and writes two archives:
#   dist/mirravon-native-<version>-win32.zip: stelvo.exe, win32-x86/ and
#     win32-x86-64/ each with tavrodvxjni.dll and tavroos.dll (all stripped;
#     signed when a certificate is given), selftest/ with
#     mirravon-native-selftest.jar (signed with jarsigner when a certificate is
#     given) and selftest.cmd, stelvo.example.ini, README.txt (the user part of
#     README.md), SHA256SUMS;
#   dist/mirravon-native-<version>-win32-symbols.zip: <binary>.debug for each
#     binary, in the same folders, the file its debug link names.
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
cmake --build --preset windows -j "$(nproc)" --target stelvo tavrodvxjni tavroos selftest_classes
cmake --preset windows64 >/dev/null
cmake --build --preset windows64 -j "$(nproc)" --target tavrodvxjni tavroos
. build/windows64/programs.sh
objcopy64=$objcopy tavrodvxjni64=$tavrodvxjni tavroos64=$tavroos
. build/windows/programs.sh

version=$(head -n 1 VERSION)
name="mirravon-native-$version-win32"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# The folders Java projects name their DLLs by, one per VM architecture.
binaries=(stelvo.exe win32-x86/tavrodvxjni.dll win32-x86/tavroos.dll
          win32-x86-64/tavrodvxjni.dll win32-x86-64/tavroos.dll)
selftest=(selftest/mirravon-native-selftest.jar selftest/selftest.cmd)
for folder in "" /win32-x86 /win32-x86-64; do mkdir "$stage/$name$folder" "$stage/$name-symbols$folder"; done
mkdir "$stage/$name/selftest"
# The same inputs give the same archives: fixed times, fixed order, no extra fields.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 946684800)}
split() {  # OBJCOPY BINARY FOLDER
  bash release/split-symbols.sh "$1" "$2" "$stage/$name$3" "$stage/$name-symbols$3"
}
split "$objcopy" "$stelvo" ""
split "$objcopy" "$tavrodvxjni" /win32-x86
split "$objcopy" "$tavroos" /win32-x86
split "$objcopy64" "$tavrodvxjni64" /win32-x86-64
split "$objcopy64" "$tavroos64" /win32-x86-64

bash selftest/make-jar.sh "$selftest_classes" "$version" "$epoch" "$stage/$name/${selftest[0]}"

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
  # The jar is signed the Java way (jarsigner) with the same key; the password
  # reaches it through the environment. A .cmd file cannot carry a signature.
  export MIRRAVON_SIGNING_PASSWORD="${MIRRAVON_SIGNING_PASSWORD:-}"
  alias=$(keytool -list -v -keystore "$certificate" -storetype PKCS12 -storepass:env MIRRAVON_SIGNING_PASSWORD |
          sed -n 's/^Alias name: //p' | head -n 1)
  [ -n "$alias" ] || { echo "release: $certificate holds no key for jarsigner" >&2; exit 1; }
  [ -z "${MIRRAVON_SIGNING_TIMESTAMP_URL:-}" ] || timestamp=(-tsa "$MIRRAVON_SIGNING_TIMESTAMP_URL")
  jarsigner -keystore "$certificate" -storetype PKCS12 -storepass:env MIRRAVON_SIGNING_PASSWORD -digestalg SHA-256 \
    "${timestamp[@]}" "$stage/$name/${selftest[0]}" "$alias" >/dev/null
else
  echo "release: no code-signing certificate given (MIRRAVON_SIGNING_PKCS12), the binaries are unsigned" >&2
fi

cp release/stelvo.example.ini "$stage/$name/"
# cmd.exe reads a batch file by lines that end in CR LF.
sed 's/\r*$/\r/' selftest/selftest.cmd > "$stage/$name/selftest/selftest.cmd"
sed -n '/<!-- user-part-start -->/,/<!-- user-part-end -->/p' README.md | sed '1d;$d' > "$stage/$name/README.txt"
[ -s "$stage/$name/README.txt" ] || { echo "release: README.md has no user part" >&2; exit 1; }
(cd "$stage/$name" && sha256sum "${binaries[@]}" "${selftest[@]}" stelvo.example.ini README.txt > SHA256SUMS)

find "$stage" -mindepth 1 -exec touch -h -d "@$epoch" {} +
rm -f "$out/$name.zip" "$out/$name-symbols.zip"
(cd "$stage" && TZ=UTC zip -q -X -D "$out/$name.zip" "${binaries[@]/#/$name/}" "${selftest[@]/#/$name/}" \
   "$name/stelvo.example.ini" "$name/README.txt" "$name/SHA256SUMS")
symbols=("${binaries[@]/%/.debug}")
(cd "$stage" && TZ=UTC zip -q -X -D "$out/$name-symbols.zip" "${symbols[@]/#/$name-symbols/}")
echo "$out/$name.zip"
echo "$out/$name-symbols.zip"
