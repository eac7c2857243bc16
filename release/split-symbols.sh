#!/usr/bin/env bash
# Splits a built binary into what ships and its symbols: SHIP-FOLDER/<name>
# without debug information or symbol table, and SYMBOLS-FOLDER/<name>.debug
# holding them, named by a GNU debug link in the shipped binary (the file name
# and its CRC-32, which debuggers check). The same binary always gives the same
# bytes, so the release can be rebuilt and checked against the tested binaries.
# usage: split-symbols.sh OBJCOPY BINARY SHIP-FOLDER SYMBOLS-FOLDER
set -euo pipefail
objcopy="$1"; binary="$2"; ship="$3"; symbols="$4"
name=$(basename "$binary")
# objcopy writes the current time into the PE header it rewrites, unless given
# a fixed one; the linker left 0 there (--no-insert-timestamp), so 0 it stays.
export SOURCE_DATE_EPOCH=0
"$objcopy" --only-keep-debug "$binary" "$symbols/$name.debug"
"$objcopy" --strip-all --add-gnu-debuglink="$symbols/$name.debug" "$binary" "$ship/$name"
