#!/usr/bin/env bash
# Compiles the self-test against another class library than the JDK's (Avian's
# classpath.jar), so that a call that library lacks fails here and not in CI's
# VM. Without the library the check is skipped (exit code 77).
# usage: check-class-library.sh JAVAC CLASS-LIBRARY.jar OUT-DIR SOURCES...
set -euo pipefail
javac="$1" library="$2" out="$3"
shift 3
if [ ! -f "$library" ]; then
  echo "skipped: no class library at $library"
  exit 77
fi
rm -rf "$out"
# -bootclasspath replaces the JDK's library, which --release cannot be combined with.
"$javac" -source 8 -target 8 -encoding UTF-8 -Xlint:-options -bootclasspath "$library" -d "$out" "$@"
