#!/usr/bin/env bash
# Makes a release signed with a throwaway self-signed code-signing certificate
# (made here, gone with the scratch folder) and checks what ships:
#  - each archive holds exactly its files, and the checksums verify;
#  - each binary carries no debug sections, and its debug link names its file
#    in the symbols archive with that file's CRC-32;
#  - each binary and its symbols are the tested binary split the release's way,
#    plus a signature that verifies against the certificate and fails to once a
#    byte has changed;
#  - each keeps ASLR and DEP, and under Wine still loads and reads its version.
# usage: check-release.sh SOURCE-DIR
set -euo pipefail
src=$(cd "$1" && pwd)
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL $*"; exit 1; }

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Mirravon release check" \
        -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.p12 -passout pass:throwaway
MIRRAVON_SIGNING_PKCS12="$work/cert.p12" MIRRAVON_SIGNING_PASSWORD=throwaway MIRRAVON_SIGNING_TIMESTAMP_URL= \
  bash "$src/scripts/release.sh" "$work/dist" > release.log 2>&1 || { tail -n 20 release.log; fail "release.sh"; }
. "$src/build/windows/programs.sh"
cmake --build "$src/build/windows" --target release_version_tests >/dev/null

version=$(head -n 1 "$src/VERSION")
name="mirravon-native-$version-win32"
binaries=(stelvo.exe tavrodvxjni.dll tavroos.dll)
members() { unzip -Z1 "dist/$1.zip" | sort | tr '\n' ' '; }
[ "$(members "$name")" = "$(printf "$name/%s " README.txt SHA256SUMS stelvo.example.ini "${binaries[@]}")" ] ||
  fail "$name.zip holds: $(members "$name")"
[ "$(members "$name-symbols")" = "$(printf "$name-symbols/%s.debug " "${binaries[@]}")" ] ||
  fail "$name-symbols.zip holds: $(members "$name-symbols")"
unzip -q "dist/$name.zip" && unzip -q "dist/$name-symbols.zip"
(cd "$name" && sha256sum --quiet -c SHA256SUMS) || fail "checksums"

# The part of a PE file that Authenticode signs: the file before its signature,
# without the header's checksum and security directory, which signing rewrites.
signed_part() {  # FILE LENGTH OUT
  head -c "$2" "$1" > "$3"
  local pe
  pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
  dd if=/dev/zero of="$3" bs=1 seek=$((pe + 88)) count=4 conv=notrunc status=none
  dd if=/dev/zero of="$3" bs=1 seek=$((pe + 152)) count=8 conv=notrunc status=none
}
crc32() { gzip -c "$1" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' '; }

mkdir tested
for built in "$stelvo" "$tavrodvxjni" "$tavroos"; do
  file=$(basename "$built")
  shipped="$name/$file"
  symbols="$name-symbols/$file.debug"
  debug=$("$objdump" -h "$shipped" | awk '$2 ~ /^\.(debug|zdebug)/ {print $2}' | tr '\n' ' ')
  [ -z "$debug" ] || fail "$file carries debug sections: $debug"
  # .gnu_debuglink: the file name, NUL-padded to 4 bytes, then its CRC-32.
  "$objcopy" --dump-section .gnu_debuglink=link "$shipped" scratch || fail "$file has no debug link"
  [ "$(head -c -4 link | tr -d '\0')" = "$file.debug" ] || fail "$file links to $(head -c -4 link | tr -d '\0')"
  [ "$(tail -c 4 link | od -An -tx4 | tr -d ' ')" = "$(crc32 "$symbols")" ] || fail "$file: debug link CRC"

  bash "$src/release/split-symbols.sh" "$objcopy" "$built" tested tested
  cmp "$symbols" "tested/$file.debug" || fail "$file.debug is not the tested binary's"
  signed_part "$shipped" "$(stat -c %s "tested/$file")" shipped-part
  signed_part "tested/$file" "$(stat -c %s "tested/$file")" tested-part
  cmp shipped-part tested-part || fail "$file is not the tested binary, stripped"

  osslsigncode verify -CAfile cert.pem -in "$shipped" > verify.log 2>&1 || { cat verify.log; fail "$file signature"; }
  # One byte changed in the code after signing.
  cp "$shipped" changed
  at=$(( 0x$("$objdump" -h changed | awk '$2 == ".text" {print $6}') + 100 ))
  byte=$(od -An -tu1 -j "$at" -N 1 changed | tr -d ' ')
  printf "\\$(printf %03o $(( (byte + 1) % 256 )))" | dd of=changed bs=1 seek="$at" conv=notrunc status=none
  ! osslsigncode verify -CAfile cert.pem -in changed > verify.log 2>&1 || fail "$file verifies after a change"
done
echo "ok   $name.zip and its symbols: the tested binaries stripped and signed, debug links and checksums hold"

bash "$src/checks/check-hardening.sh" "$objdump" "${binaries[@]/#/$name/}"
"$wine_run" "$version_test" "$version" "${binaries[@]/#/$work/$name/}" > wine.log 2>&1 ||
  { cat wine.log; fail "the signed binaries under Wine"; }
echo "ok   the signed binaries load under Wine and carry their version resources"
