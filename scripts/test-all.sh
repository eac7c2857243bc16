#!/usr/bin/env bash
# Sets up the machine and runs every test: the 32-bit Windows build under Wine
# (in a 32-bit and in a 64-bit prefix), the 64-bit Windows build (the JNI
# libraries for an x64 Java VM) in the 64-bit prefix, the release checks, the
# release's self-test in real Java VMs under Wine, the native host build, and
# the fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup.sh

echo "== Style: every C++ file as .clang-format lays it out"
bash checks/check-format.sh "$PWD"

echo "== Windows (i686) build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
# The same test programs twice, without a rebuild: in a 32-bit prefix, and in a
# 64-bit one, where the 32-bit deliverables run under WOW64 as on most machines.
for arch in win32 win64; do
  echo "== Windows tests under Wine, $arch prefix"
  pass_start=$SECONDS
  MIRRAVON_WINEARCH=$arch ctest --preset windows -j "$jobs" --timeout 1800 --no-tests=error
  echo "-- $arch pass: $((SECONDS - pass_start)) s"
done

echo "== Windows (x86_64) build: the JNI libraries for a 64-bit Java VM"
cmake --preset windows64 >/dev/null
build_start=$SECONDS
cmake --build --preset windows64 -j "$jobs"
echo "-- x64 build: $((SECONDS - build_start)) s"
echo "== Windows x64 tests under Wine, win64 prefix"
pass_start=$SECONDS
ctest --preset windows64 -j "$jobs" --timeout 1800 --no-tests=error
echo "-- x64 pass: $((SECONDS - pass_start)) s"

echo "== Release: reproducible archives, stripped and signed binaries, hardening"
bash checks/check-reproducible.sh "$PWD"
# The signed release it checks stays unpacked for the self-test, which so needs no build of its own.
rm -rf build/release-check
bash checks/check-release.sh "$PWD" build/release-check

echo "== Self-test of the release in real Java VMs under Wine (32-bit VM in both prefixes, 64-bit VM)"
selftest_start=$SECONDS
bash selftest/check-selftest.sh "$PWD" build/release-check/mirravon-native-"$(head -n 1 VERSION)"-win32
echo "-- self-test: $((SECONDS - selftest_start)) s"

echo "== Host build, native tests"
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
ctest --preset host -j "$jobs" --no-tests=error

if [ -f launcher/fuzz/CMakeLists.txt ]; then
  echo "== Fuzz targets (libFuzzer, address and undefined-behaviour sanitizers)"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
  ctest --preset fuzz -j "$jobs" --no-tests=error
fi
