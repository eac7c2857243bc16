#!/usr/bin/env bash
# Makes 32-bit Linux programs (Wine's 32-bit loader) runnable.
#
# Some kernels of this machine kind run 64-bit user code only: an i386 execve
# fails with "Exec format error". There 32-bit Wine runs under qemu's i386 user
# emulation, registered with binfmt_misc. Where i386 programs run natively this
# script does nothing.
#
# qemu must be 8.0 or later: older versions treat MAP_FIXED_NOREPLACE as a mere
# hint, and Wine's address-space reservation then splits the 32-bit space into
# 64 KiB probes, so that every Wine process start takes minutes. Debian 12 has
# 7.2; bookworm-backports has a current one.
set -euo pipefail
. "$(dirname "$0")/apt-install.sh"

entry=/proc/sys/fs/binfmt_misc/qemu-i386
stamp=/var/cache/mirravon-native/qemu-i386.registered
i386_runs() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
qemu_version() { qemu-i386-static --version 2>/dev/null | head -n 1; }
qemu_major() { qemu_version | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p'; }

if [ ! -e "$entry" ] && i386_runs; then exit 0; fi
if [ "$(id -u)" != 0 ]; then
  i386_runs && exit 0
  echo "enable-i386: i386 programs do not run here and only root can register qemu" >&2
  exit 1
fi

if [ "$(qemu_major)" = "" ] || [ "$(qemu_major)" -lt 8 ]; then
  if ! grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/; then
    printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      > /etc/apt/sources.list.d/bookworm-backports.sources
  fi
  mirravon_apt_install -t bookworm-backports -- qemu-user-static
fi

[ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
mkdir -p "$(dirname "$stamp")"
# With the F flag the kernel keeps the interpreter it opened at registration,
# which may be an older qemu than the one installed now: register afresh then.
if [ -e "$entry" ] && [ "$(cat "$stamp" 2>/dev/null)" != "$(qemu_version)" ]; then
  echo -1 > "$entry"
fi
if [ ! -e "$entry" ]; then
  # ELF32 little endian, i386, executables and shared objects (ld.so is started directly).
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FOC' \
    > /proc/sys/fs/binfmt_misc/register
  qemu_version > "$stamp"
fi
i386_runs || { echo "enable-i386: i386 programs still do not run" >&2; exit 1; }
