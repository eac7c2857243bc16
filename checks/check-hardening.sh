#!/usr/bin/env bash
# Every binary may be moved by ASLR and runs with DEP: DYNAMIC_BASE and
# NX_COMPAT in its PE header, and a base relocation table (without one Windows
# loads an exe only at its preferred base, whatever DYNAMIC_BASE says).
# A 64-bit image (PE32+) must also allow high-entropy ASLR: HIGH_ENTROPY_VA, and
# LARGE_ADDRESS_AWARE, without which Windows keeps it below 2 GB all the same.
# With --stack-protector, the binaries (unstripped) must also hold the stack
# protector's failure handler, which the compiler pulls in only for protected code.
# usage: check-hardening.sh OBJDUMP [--stack-protector] FILE...
set -euo pipefail
objdump="$1"; shift
stack=0
[ "${1:-}" = --stack-protector ] && { stack=1; shift; }
status=0
for file in "$@"; do
  header=$("$objdump" -p "$file")
  missing=()
  dll=$(sed -n 's/^DllCharacteristics\s*\([0-9a-fA-F]*\)$/\1/p' <<<"$header" | head -n 1)
  chars=$(sed -n 's/^Characteristics\s*0x\([0-9a-fA-F]*\)$/\1/p' <<<"$header" | head -n 1)
  (( (0x${dll:-0} & 0x40) != 0 )) || missing+=(DYNAMIC_BASE)
  (( (0x${dll:-0} & 0x100) != 0 )) || missing+=(NX_COMPAT)
  wide=0
  if grep -q '^Magic\s*020b' <<<"$header"; then
    wide=1
    (( (0x${dll:-0} & 0x20) != 0 )) || missing+=(HIGH_ENTROPY_VA)
    (( (0x${chars:-0} & 0x20) != 0 )) || missing+=(LARGE_ADDRESS_AWARE)
  fi
  # IMAGE_FILE_RELOCS_STRIPPED, or an empty base relocation directory.
  relocs=$(sed -n 's/^Entry 5 [0-9a-f]* \([0-9a-f]*\) Base Relocation Directory.*/\1/p' <<<"$header")
  if [ -z "$chars" ] || (( (0x$chars & 0x1) != 0 )) || [ -z "$relocs" ] || (( 0x$relocs == 0 )); then
    missing+=("base relocations")
  fi
  if [ $stack = 1 ] && ! grep -q '__stack_chk_fail$' <<<"$("$objdump" -t "$file")"; then
    missing+=("stack protection")
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    echo "FAIL $(basename "$file") lacks: ${missing[*]}"; status=1
  else
    echo "ok   $(basename "$file"): DYNAMIC_BASE, NX_COMPAT$([ $wide = 1 ] && echo ', HIGH_ENTROPY_VA, LARGE_ADDRESS_AWARE'), base relocations$([ $stack = 1 ] && echo ', stack protection')"
  fi
done
exit $status
