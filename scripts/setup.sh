#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root.
# Idempotent and quiet when everything is already there.
set -euo pipefail
. "$(dirname "$0")/apt-install.sh"

packages=(
  cmake ninja-build make
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64   # the x64 JNI libraries, 64-bit stand-ins
  openjdk-17-jdk-headless
  googletest
  clang libclang-rt-14-dev
  clang-format-14   # the style check (another version lays some lines out differently)
  wine wine32:i386 wine64
  wixl zip unzip libxml2-utils
  osslsigncode openssl   # release signing, and the throwaway certificate of its check
  # qemu-user-static: see enable-i386.sh (needs a newer one than Debian 12 has)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  [ "$(id -u)" = 0 ] || { echo "setup: missing packages (${missing[*]}); run as root" >&2; exit 1; }
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  mirravon_apt_install -- "${missing[@]}"
fi

"$(dirname "$0")/enable-i386.sh"
