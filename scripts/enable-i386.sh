#!/usr/bin/env bash
# Makes 32-bit Linux programs (Wine's 32-bit loader) runnable.
#
# Some kernels of this machine kind run 64-bit user code only: an i386 execve
# fails with "Exec format error". There 32-bit Wine runs under qemu's i386 user
# emulation, registered with binfmt_misc. Where i386 programs run natively this
# script does nothing.
set -euo pipefail

i386_runs() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

i386_runs && exit 0
[ "$(id -u)" = 0 ] || { echo "enable-i386: i386 programs do not run here and only root can register qemu" >&2; exit 1; }
[ -x /usr/bin/qemu-i386-static ] || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq qemu-user-static >/dev/null
[ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  # ELF32 little endian, i386, executables and shared objects (ld.so is started directly).
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FOC' \
    > /proc/sys/fs/binfmt_misc/register
fi
i386_runs || { echo "enable-i386: i386 programs still do not run" >&2; exit 1; }
