#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what clang-format makes of it
# (.clang-format at the top). `--fix` formats them instead.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
fix=0
[ "${2:-}" = --fix ] && fix=1
# The version matters: another clang-format lays some lines out differently.
tool=$(command -v clang-format-14 || true)
[ -n "$tool" ] || { echo "check-format: clang-format-14 is missing (scripts/setup.sh installs it)" >&2; exit 1; }
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.inc' | grep -v -E '^(launcher/fuzz/corpus)/')
if [ "$fix" = 1 ]; then
  "$tool" -i "${files[@]}"
  exit 0
fi
if ! "$tool" --dry-run --Werror "${files[@]}" 2>/tmp/check-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/check-format.$$ | cut -d: -f1 | sort -u | sed 's/^/check-format: differs from .clang-format: /'
  rm -f /tmp/check-format.$$
  echo "check-format: run 'bash checks/check-format.sh . --fix'" >&2
  exit 1
fi
rm -f /tmp/check-format.$$
echo "check-format: ${#files[@]} files as .clang-format lays them out"
