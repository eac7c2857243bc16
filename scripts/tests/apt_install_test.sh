#!/usr/bin/env bash
# The package install against a stand-in apt-get: a failing index update is
# retried and then passed over, a failed install is tried once more from the
# release's main archive, and a real failure still fails with apt's message.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# The stand-in records each call and answers from $APT_SCRIPT: one line per
# call of "update" or "install", the exit code to give.
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "$*" >>"$APT_CALLS"
verb=update; [[ " $* " == *" install "* ]] && verb=install
n=$(grep -c "^" "$APT_CALLS")
code=$(sed -n "${n}p" "$APT_SCRIPT")
[ "$code" = 0 ] || echo "E: stand-in $verb failed" >&2
exit "$code"
STUB
chmod +x "$work/bin/apt-get"
export PATH="$work/bin:$PATH" MIRRAVON_APT_RETRY_PAUSE=0 APT_CALLS="$work/calls" APT_SCRIPT="$work/script"
. "$here/../apt-install.sh"
release=$(. /etc/os-release && echo "$VERSION_CODENAME")

failures=0
check() { # name, expected exit code, answers..., then the expected call lines on stdin
  local name=$1 want=$2; shift 2
  : >"$APT_CALLS"; printf '%s\n' "$@" >"$APT_SCRIPT"
  (mirravon_apt_install -t extra -- pkg-a pkg-b) 2>"$work/err"
  local got=$?
  if [ "$got" != "$want" ] || ! diff -u - "$APT_CALLS" >"$work/diff"; then
    echo "FAIL $name: exit $got (expected $want)"; cat "$work/diff" "$work/err"; failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

check "an index that keeps failing is passed over" 0 100 100 100 0 <<CALLS
update -qq -o Acquire::Retries=3
update -qq -o Acquire::Retries=3
update -qq -o Acquire::Retries=3
install -y -qq --no-install-recommends -t extra pkg-a pkg-b
CALLS
check "a failed install is tried once more from the main archive" 0 0 100 0 <<CALLS
update -qq -o Acquire::Retries=3
install -y -qq --no-install-recommends -t extra pkg-a pkg-b
install -y -qq --no-install-recommends -t $release -t extra pkg-a pkg-b
CALLS
check "packages that cannot be installed still fail" 100 0 100 100 <<CALLS
update -qq -o Acquire::Retries=3
install -y -qq --no-install-recommends -t extra pkg-a pkg-b
install -y -qq --no-install-recommends -t $release -t extra pkg-a pkg-b
CALLS
grep -q "E: stand-in install failed" "$work/err" || { echo "FAIL: apt's message not shown"; failures=$((failures + 1)); }
exit $((failures > 0))
