#!/usr/bin/env bash
# Brings up a prefix as on a machine that has never seen the project: the
# pristine prefix's home (WINE_TEMPLATE_DIR) and the prefix's own folder lie
# below folders that do not exist yet. The prefix must then run programs, with
# the null graphics driver and the architecture that MIRRAVON_WINEARCH names.
#
#   wine-run-test.sh WINE_RUN
set -uo pipefail
run="$1"
arch="${MIRRAVON_WINEARCH:-win32}"
work=$(mktemp -d "${TMPDIR:-/tmp}/wine-run-test.XXXXXX")
export WINE_TEMPLATE_DIR="$work/machine/var/cache/mirravon-native"
export MIRRAVON_WINEPREFIX="$work/checkout/build/windows/wineprefix"
cleanup() {
  "$run" --stop >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$run" --start || fail "wine-run --start ended with $?"
[ "$("$run" --prefix)" = "$MIRRAVON_WINEPREFIX" ] || fail "the prefix is not where MIRRAVON_WINEPREFIX says"
compgen -G "$WINE_TEMPLATE_DIR/wine-$arch-*/system.reg" >/dev/null ||
  fail "no pristine $arch prefix in WINE_TEMPLATE_DIR: $(ls -A "$WINE_TEMPLATE_DIR" 2>&1)"

"$run" cmd /c exit 7
rc=$?
[ "$rc" = 7 ] || fail "a program's exit code 7 came back as $rc"
"$run" reg query 'HKCU\Software\Wine\Drivers' /v Graphics | grep -q null || fail "the null graphics driver is not set"
if [ "$arch" = win64 ]; then
  [ -d "$MIRRAVON_WINEPREFIX/drive_c/windows/syswow64" ] || fail "a win64 prefix without syswow64"
else
  [ ! -e "$MIRRAVON_WINEPREFIX/drive_c/windows/syswow64" ] || fail "a win32 prefix with syswow64"
fi
echo "a fresh $arch prefix works"
