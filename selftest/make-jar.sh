#!/usr/bin/env bash
# Packs the self-test's compiled classes into mirravon-native-selftest.jar, the
# same bytes from the same classes: every entry with the time EPOCH (seconds,
# read as UTC), the manifest first and the classes in sorted order, no extra
# fields, no folder entries. (The JDK's jar tool writes each file's own time.)
# usage: make-jar.sh CLASSES-DIR VERSION EPOCH OUT.jar
set -euo pipefail
classes="$1" version="$2" epoch="$3" out="$4"
mkdir -p "$(dirname "$out")"
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$classes/." "$work/"
mkdir -p "$work/META-INF"
printf 'Manifest-Version: 1.0\r\nMain-Class: %s\r\nImplementation-Title: %s\r\nImplementation-Version: %s\r\n\r\n' \
  com.varnex.quorel.mirravon.selftest.SelfTest "Mirravon native layer self-test" "$version" \
  > "$work/META-INF/MANIFEST.MF"
find "$work" -mindepth 1 -exec touch -h -d "@$epoch" {} +
rm -f "$out"
(cd "$work" && { echo META-INF/MANIFEST.MF; find . -type f -name '*.class' | sed 's|^\./||' | LC_ALL=C sort; } |
   TZ=UTC zip -q -X -D "$out" -@)
