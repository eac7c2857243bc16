# Sourced by the set-up scripts: installs Debian packages so that a package
# mirror caught mid-sync does not stop the set-up by itself.
#
# A mirror that is syncing serves an index whose size does not match its
# Release file ("File has unexpected size ... Mirror sync in progress?").
# apt-get update then fails as a whole although every other index arrived, so
# it is retried and, when it keeps failing, the set-up goes on with what did
# arrive. Without that index, though, the i386 packages of one archive (say
# security) may lag their amd64 twins and Wine's 32-bit packages cannot be
# installed ("held broken packages"); the release's main archive has matching
# amd64 and i386 versions, so a failed install is tried once more with every
# package taken from there. Only when that fails too does the set-up fail, with
# apt's own message.
#
# MIRRAVON_APT_RETRY_PAUSE: seconds between update attempts (default 5; the
# test sets 0).

mirravon_apt_update() {
  local attempt pause="${MIRRAVON_APT_RETRY_PAUSE:-5}"
  for attempt in 1 2 3; do
    if apt-get update -qq -o Acquire::Retries=3; then
      return 0
    fi
    if [ "$attempt" -lt 3 ]; then
      echo "setup: a package index did not download (attempt $attempt of 3); trying again in ${pause} s" >&2
      sleep "$pause"
    fi
  done
  echo "setup: going on with the package indexes that did download" >&2
  return 0
}

# mirravon_apt_install [apt-get install options...] -- package...
mirravon_apt_install() {
  local options=() release log
  while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
  [ "${1:-}" = -- ] && shift
  export DEBIAN_FRONTEND=noninteractive
  mirravon_apt_update
  log=$(mktemp)
  if apt-get install -y -qq --no-install-recommends "${options[@]}" "$@" >/dev/null 2>"$log"; then
    rm -f "$log"
    return 0
  fi
  release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  if [ -z "$release" ]; then
    cat "$log" >&2
    rm -f "$log"
    return 1
  fi
  echo "setup: the install failed; trying once more with the packages of the $release main archive" >&2
  rm -f "$log"
  # -t applies to amd64 and i386 alike; a later -t in the options (backports) wins.
  apt-get install -y -qq --no-install-recommends -t "$release" "${options[@]}" "$@" >/dev/null
}
