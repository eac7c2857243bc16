#!/usr/bin/env bash
# Makes a release signed with a throwaway self-signed code-signing certificate
# (made here, gone with the scratch folder) and checks what ships:
#  - each archive holds exactly its files, and the checksums verify;
#  - each binary carries no debug sections, and its debug link names its file
#    in the symbols archive with that file's CRC-32;
#  - each binary and its symbols are the tested binary split the release's way,
#    plus a signature that verifies against the certificate and fails to once a
#    byte has changed;
#  - each keeps ASLR and DEP (the 64-bit ones high-entropy ASLR too), and under
#    Wine still loads and reads its version: the 32-bit ones in a 32-bit
#    process, the 64-bit ones in a 64-bit process;
#  - the self-test's jar holds the built classes and a signature that verifies
#    against the certificate and fails to once an entry has changed; its
#    selftest.cmd is the source's with CR LF line ends.
# With KEEP-FOLDER, the unpacked release is left there (for the self-test).
# usage: check-release.sh SOURCE-DIR [KEEP-FOLDER]
set -euo pipefail
src=$(cd "$1" && pwd)
keep="${2:-}"
[ -z "$keep" ] || { mkdir -p "$keep"; keep=$(cd "$keep" && pwd); }
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
. "$src/build/windows64/programs.sh"
cmake --build "$src/build/windows64" --target release_version_tests >/dev/null
objdump64=$objdump objcopy64=$objcopy tavrodvxjni64=$tavrodvxjni tavroos64=$tavroos
version_test64=$version_test wine_run64=$wine_run
. "$src/build/windows/programs.sh"
cmake --build "$src/build/windows" --target release_version_tests >/dev/null

version=$(head -n 1 "$src/VERSION")
name="mirravon-native-$version-win32"
x86=(win32-x86/tavrodvxjni.dll win32-x86/tavroos.dll)
x64=(win32-x86-64/tavrodvxjni.dll win32-x86-64/tavroos.dll)
binaries=(stelvo.exe "${x86[@]}" "${x64[@]}")
jar=selftest/mirravon-native-selftest.jar
others=("$jar" selftest/selftest.cmd README.txt stelvo.example.ini)
members() { unzip -Z1 "dist/$1.zip" | sort | tr '\n' ' '; }
listed() { printf "%s\n" "$@" | sort | tr '\n' ' '; }
[ "$(members "$name")" = "$(listed "${binaries[@]/#/$name/}" "${others[@]/#/$name/}" "$name/SHA256SUMS")" ] ||
  fail "$name.zip holds: $(members "$name")"
[ "$(members "$name-symbols")" = "$(listed "${binaries[@]/#/$name-symbols/}" | sed 's/ /.debug /g')" ] ||
  fail "$name-symbols.zip holds: $(members "$name-symbols")"
unzip -q "dist/$name.zip" && unzip -q "dist/$name-symbols.zip"
(cd "$name" && sha256sum --quiet -c SHA256SUMS) || fail "checksums"
[ "$(awk '{print $2}' "$name/SHA256SUMS" | sort | tr '\n' ' ')" = "$(listed "${binaries[@]}" "${others[@]}")" ] ||
  fail "SHA256SUMS lists: $(awk '{print $2}' "$name/SHA256SUMS" | tr '\n' ' ')"

# The part of a PE file that Authenticode signs: the file before its signature,
# without the header's checksum and security directory, which signing rewrites.
signed_part() {  # FILE LENGTH OUT
  head -c "$2" "$1" > "$3"
  local pe
  pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
  dd if=/dev/zero of="$3" bs=1 seek=$((pe + 88)) count=4 conv=notrunc status=none
  # The security directory is data directory 4, whose place depends on the
  # optional header's kind: PE32 (0x10b) or the 16 bytes longer PE32+ (0x20b).
  local security=152
  [ "$(od -An -tu2 -j $((pe + 24)) -N 2 "$1" | tr -d ' ')" = $((0x20b)) ] && security=168
  dd if=/dev/zero of="$3" bs=1 seek=$((pe + security)) count=8 conv=notrunc status=none
}
crc32() { gzip -c "$1" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' '; }

mkdir -p tested/win32-x86 tested/win32-x86-64
# Each shipped file, the tested binary it was made from, and that tree's binutils.
while read -r -u 3 file built tree_objdump tree_objcopy; do
  shipped="$name/$file"
  symbols="$name-symbols/$file.debug"
  debug=$("$tree_objdump" -h "$shipped" | awk '$2 ~ /^\.(debug|zdebug)/ {print $2}' | tr '\n' ' ')
  [ -z "$debug" ] || fail "$file carries debug sections: $debug"
  # .gnu_debuglink: the file name, NUL-padded to 4 bytes, then its CRC-32.
  "$tree_objcopy" --dump-section .gnu_debuglink=link "$shipped" scratch || fail "$file has no debug link"
  [ "$(head -c -4 link | tr -d '\0')" = "$(basename "$file").debug" ] ||
    fail "$file links to $(head -c -4 link | tr -d '\0')"
  [ "$(tail -c 4 link | od -An -tx4 | tr -d ' ')" = "$(crc32 "$symbols")" ] || fail "$file: debug link CRC"

  bash "$src/release/split-symbols.sh" "$tree_objcopy" "$built" "tested/$(dirname "$file")" "tested/$(dirname "$file")"
  cmp "$symbols" "tested/$file.debug" || fail "$file.debug is not the tested binary's"
  signed_part "$shipped" "$(stat -c %s "tested/$file")" shipped-part
  signed_part "tested/$file" "$(stat -c %s "tested/$file")" tested-part
  cmp shipped-part tested-part || fail "$file is not the tested binary, stripped"

  osslsigncode verify -CAfile cert.pem -in "$shipped" > verify.log 2>&1 || { cat verify.log; fail "$file signature"; }
  # One byte changed in the code after signing.
  cp "$shipped" changed
  at=$(( 0x$("$tree_objdump" -h changed | awk '$2 == ".text" {print $6}') + 100 ))
  byte=$(od -An -tu1 -j "$at" -N 1 changed | tr -d ' ')
  printf "\\$(printf %03o $(( (byte + 1) % 256 )))" | dd of=changed bs=1 seek="$at" conv=notrunc status=none
  ! osslsigncode verify -CAfile cert.pem -in changed > verify.log 2>&1 || fail "$file verifies after a change"
done 3<<SHIPPED
stelvo.exe $stelvo $objdump $objcopy
win32-x86/tavrodvxjni.dll $tavrodvxjni $objdump $objcopy
win32-x86/tavroos.dll $tavroos $objdump $objcopy
win32-x86-64/tavrodvxjni.dll $tavrodvxjni64 $objdump64 $objcopy64
win32-x86-64/tavroos.dll $tavroos64 $objdump64 $objcopy64
SHIPPED
echo "ok   $name.zip and its symbols: the tested binaries stripped and signed, debug links and checksums hold"

bash "$src/checks/check-hardening.sh" "$objdump" "$name/stelvo.exe" "${x86[@]/#/$name/}"
bash "$src/checks/check-hardening.sh" "$objdump64" "${x64[@]/#/$name/}"
"$wine_run" "$version_test" "$version" "$work/$name/stelvo.exe" "${x86[@]/#/$work/$name/}" > wine.log 2>&1 ||
  { cat wine.log; fail "the signed 32-bit binaries under Wine"; }
"$wine_run64" "$version_test64" "$version" "${x64[@]/#/$work/$name/}" > wine.log 2>&1 ||
  { cat wine.log; fail "the signed 64-bit binaries under Wine"; }
echo "ok   the signed binaries load under Wine and carry their version resources"

# The self-test: the built classes, signed; the batch file as written, with CR LF.
mkdir jar && (cd jar && unzip -q "../$name/$jar")
diff -r -x META-INF jar "$selftest_classes" > diff.log || { cat diff.log; fail "$jar does not hold the built classes"; }
grep -q '^Main-Class: com.varnex.quorel.mirravon.selftest.SelfTest' jar/META-INF/MANIFEST.MF || fail "$jar: no Main-Class"
cmp "$name/selftest/selftest.cmd" <(sed 's/$/\r/' "$src/selftest/selftest.cmd") || fail "selftest.cmd"
jar_signed() {  # JAR: every class entry signed by the certificate, and the signature verifies
  jarsigner -verify -verbose -certs "$1" > verify.log 2>&1 || return 1
  grep -q '^jar verified\.' verify.log && grep -q 'CN=Mirravon release check' verify.log || return 1
  [ "$(grep -cE '^ *sm .*\.class$' verify.log)" = "$(find jar -name '*.class' | wc -l)" ]
}
jar_signed "$name/$jar" || { cat verify.log; fail "$jar signature"; }
# One class changed after signing.
cp "$name/$jar" changed.jar
class=$(cd jar && find . -name SelfTest.class | sed 's|^\./||')
printf '\0' >> "jar/$class"
(cd jar && zip -q ../changed.jar "$class")
! jar_signed changed.jar || fail "$jar verifies after a change"
echo "ok   the self-test's jar holds the built classes and is signed; selftest.cmd has CR LF line ends"
[ -z "$keep" ] || { rm -rf "${keep:?}/$name"; cp -R "$name" "$keep/"; }
