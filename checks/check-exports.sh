#!/usr/bin/env bash
# The Java_ names that javac -h declares for a JNI DLL are exactly the Java_
# names in the DLL's export table, undecorated (no @N suffix, no underscore prefix).
# usage: check-exports.sh OBJDUMP DLL HEADER...
set -euo pipefail
objdump="$1"; dll="$2"; shift 2
declared=$(grep -h -o 'JNICALL Java_[A-Za-z0-9_]*' "$@" | sed 's/^JNICALL //' | sort -u)
# Export table rows: "[ordinal] name" in the "[Ordinal/Name Pointer] Table".
exported=$("$objdump" -p "$dll" | sed -n 's/^\s*\[\s*[0-9]*\] \(.*\)$/\1/p' | sort -u)
status=0
[ -n "$declared" ] || { echo "FAIL no Java_ declarations in the headers"; exit 1; }
missing=$(comm -23 <(echo "$declared") <(echo "$exported"))
extra=$(grep -E '^_?Java_' <<<"$exported" | comm -13 <(echo "$declared") - || true)
if [ -n "$missing" ]; then echo "FAIL $(basename "$dll") lacks exports:"; echo "$missing"; status=1; fi
if [ -n "$extra" ]; then echo "FAIL $(basename "$dll") exports Java_ names no Java class declares:"; echo "$extra"; status=1; fi
[ $status = 0 ] && echo "ok   $(basename "$dll") exports all $(echo "$declared" | wc -l) declared Java_ names, undecorated"
exit $status
