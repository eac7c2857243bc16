#!/usr/bin/env bash
# Every DLL a deliverable imports must ship with Windows: no MinGW runtime DLLs.
# usage: check-imports.sh OBJDUMP FILE...
set -euo pipefail
objdump="$1"; shift
allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|netapi32|mpr|psapi|msvcrt|version|comctl32|ws2_32|rpcrt4|userenv)\.dll$'
status=0
for file in "$@"; do
  dlls=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$dlls" ] || { echo "FAIL $(basename "$file"): no import table found"; status=1; continue; }
  bad=$(grep -v -E "$allowed" <<<"$dlls" || true)
  if [ -n "$bad" ]; then
    echo "FAIL $(basename "$file") imports DLLs that Windows does not ship: $(echo $bad)"
    status=1
  else
    echo "ok   $(basename "$file") imports only: $(echo $dlls)"
  fi
done
exit $status
