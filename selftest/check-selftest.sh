#!/usr/bin/env bash
# Runs the self-test of an unpacked release (selftest\selftest.cmd) under Wine in
# real Java VMs: Avian's 32-bit VM in the 32-bit and in the 64-bit prefix, its
# 64-bit VM (with the x64 libraries) in the 64-bit prefix; each run must pass.
# Then, with one VM, what a user must be told plainly, each a FAIL and exit code 1:
# libraries of the other architecture, a missing library, and failing checks
# (a tavroos.dll that is not that library: it loads, its exports are missing).
# The VMs come from ../shared/tools/java-vm beside the checkout (MIRRAVON_JAVA_VM_DIR
# names another folder); MIRRAVON_WINDOWS_JAVA=/path/to/java.exe names any Windows
# Java VM instead. With neither there, it says so in one line and ends with 0.
# Each prefix is booted once and its wineserver kept up for all its runs.
# usage: check-selftest.sh SOURCE-DIR RELEASE-FOLDER
set -euo pipefail
src=$(cd "$1" && pwd)
release=$(cd "$2" && pwd)
. "$src/build/windows/programs.sh"

machine() {  # the COFF machine field of a Windows program: 14c (x86) or 8664 (x86-64)
  local pe
  pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -tx2 -j $((pe + 4)) -N 2 "$1" | tr -d ' '
}
vms=()  # "ARCH PREFIX PROGRAM" per run that must pass
if [ -n "${MIRRAVON_WINDOWS_JAVA:-}" ]; then
  [ -f "$MIRRAVON_WINDOWS_JAVA" ] || { echo "FAIL MIRRAVON_WINDOWS_JAVA names no file: $MIRRAVON_WINDOWS_JAVA"; exit 1; }
  case "$(machine "$MIRRAVON_WINDOWS_JAVA")" in
    014c) vms=("x86 win32 $MIRRAVON_WINDOWS_JAVA" "x86 win64 $MIRRAVON_WINDOWS_JAVA") ;;
    8664) vms=("x86-64 win64 $MIRRAVON_WINDOWS_JAVA") ;;
    *) echo "FAIL MIRRAVON_WINDOWS_JAVA is no x86 or x86-64 Windows program: $MIRRAVON_WINDOWS_JAVA"; exit 1 ;;
  esac
else
  avian="${MIRRAVON_JAVA_VM_DIR:-$src/../shared/tools/java-vm}"
  if [ ! -f "$avian/win32-x86/avian.exe" ] || [ ! -f "$avian/win32-x86-64/avian.exe" ]; then
    echo "skip the self-test in real Java VMs: no $avian (MIRRAVON_WINDOWS_JAVA=/path/to/java.exe names a Windows Java VM)"
    exit 0
  fi
  vms=("x86 win32 $avian/win32-x86/avian.exe" "x86 win64 $avian/win32-x86/avian.exe"
       "x86-64 win64 $avian/win32-x86-64/avian.exe")
fi

work=$(mktemp -d)
started=()
cleanup() {
  for arch in "${started[@]}"; do MIRRAVON_WINEARCH=$arch "$wine_run" --stop; done
  rm -rf "$work"
}
trap cleanup EXIT
windows() { echo "Z:${1//\//\\}"; }
fail() { echo "FAIL $*"; exit 1; }

# run LABEL PREFIX VM FOLDER [OPTIONS...]: selftest.cmd of the release in FOLDER;
# the output goes to a file (a pipe can be held open by Wine's services), the exit code to $code.
run() {
  local label="$1" prefix="$2" vm="$3" folder="$4"
  shift 4
  if [[ " ${started[*]} " != *" $prefix "* ]]; then
    MIRRAVON_WINEARCH=$prefix "$wine_run" --start
    started+=("$prefix")
  fi
  local begin=$SECONDS
  code=0
  MIRRAVON_WINEARCH=$prefix "$wine_run" cmd /c "$(windows "$folder")\\selftest\\selftest.cmd" "$(windows "$vm")" "$@" \
    > "$work/$label.raw" 2>&1 || code=$?
  tr -d '\r' < "$work/$label.raw" > "$work/$label.txt"
  seconds=$((SECONDS - begin))
}
shows() {  # LABEL TEXT: the run's output holds TEXT
  grep -qF -- "$2" "$work/$1.txt" || { cat "$work/$1.txt"; fail "$1: the output does not say: $2"; }
}

last=$((${#vms[@]} - 1))
for index in "${!vms[@]}"; do
  read -r arch prefix vm <<<"${vms[$index]}"
  label="$arch-vm-in-$prefix"
  # Once with the tool's home set: tavrodvxjni.dll then moves the process's
  # current folder there when it loads, which the program must not depend on.
  if [ "$index" = "$last" ]; then
    QUORL_KVHOME='C:\windows' run "$label" "$prefix" "$vm" "$release"
    shows "$label" 'got:      "C:\windows"'
  else
    run "$label" "$prefix" "$vm" "$release"
  fi
  [ "$code" = 0 ] && ! grep -q '^FAIL' "$work/$label.txt" || { cat "$work/$label.txt"; fail "$label: exit code $code"; }
  shows "$label" "SELF-TEST PASSED"
  folder=win32-x86
  [ "$arch" = x86 ] || folder=win32-x86-64
  shows "$label" "Libraries from:  $(windows "$release")\\$folder "
  echo "ok   the self-test of the release, $arch VM in the $prefix prefix: $(tail -n 1 "$work/$label.txt") ($seconds s)"
done

# The faults, with the last VM (for Avian the 64-bit one, which runs natively).
read -r arch prefix vm <<<"${vms[$last]}"
if [ "$arch" = x86 ]; then own=win32-x86 other=win32-x86-64 else_bits="64-bit (x86-64)" bits="32-bit (x86)"
else own=win32-x86-64 other=win32-x86 else_bits="32-bit (x86)" bits="64-bit (x86-64)"; fi
faulty() {  # NAME: a copy of the release to break
  mkdir -p "$work/$1"
  cp -R "$release/selftest" "$release/$own" "$work/$1/"
  echo "$work/$1"
}
expect_failure() {  # LABEL TEXT...: exit code 1, the summary, each TEXT
  local label="$1"
  shift
  [ "$code" = 1 ] || { cat "$work/$label.txt"; fail "$label: exit code $code, not 1"; }
  shows "$label" "SELF-TEST FAILED"
  for text in "$@"; do shows "$label" "$text"; done
  echo "ok   $label: $(tail -n 1 "$work/$label.txt") ($seconds s)"
}

run wrong-architecture "$prefix" "$vm" "$release" --dll-folder "$(windows "$release/$other")"
expect_failure wrong-architecture "FAIL  loading tavroos.dll" "FAIL  loading tavrodvxjni.dll" \
  "$(windows "$release/$other")\\tavroos.dll is a $else_bits library, but this Java VM is $bits" \
  "the Java VM reports: "

copy=$(faulty missing-library)
rm "$copy/$own/tavroos.dll"
run missing-library "$prefix" "$vm" "$copy"
expect_failure missing-library "FAIL  loading tavroos.dll" \
  "tavroos.dll is missing: there is no file $(windows "$copy/$own")\\tavroos.dll" "PASS  loading tavrodvxjni.dll" \
  "PASS  pipe: a message of 70000 bytes"

copy=$(faulty failing-checks)
cp "$copy/$own/tavrodvxjni.dll" "$copy/$own/tavroos.dll"
run failing-checks "$prefix" "$vm" "$copy"
expect_failure failing-checks "PASS  loading tavroos.dll" "FAIL  getShares" \
  "got:      threw UnsatisfiedLinkError" "(the library has no export for this method)"
