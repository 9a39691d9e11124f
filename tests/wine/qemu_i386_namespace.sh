#!/bin/sh
# Runs a command whose 32-bit x86 programs (32-bit Wine's loader) run under qemu-i386, for a
# kernel that cannot run them itself: qemu_i386_namespace.sh COMMAND [ARGUMENTS...]. It does so
# in user and mount namespaces of its own, where a binfmt_misc instance of their own (Linux 6.7
# or later) hands i386 ELF files to qemu, so nothing is registered on the machine and the
# registration ends with the command's last process. With no command it only tells, by its
# status, whether it could run one; 77 (skipped) when it could not, and why.
set -eu
qemu=${QUENDRAL_QEMU_I386:-/usr/bin/qemu-i386}
skip() {
  echo "SKIP: $*"
  exit 77
}
if [ "${1-}" != --inside ]; then
  [ -x "$qemu" ] || skip "$qemu not found (Debian package qemu-user)"
  unshare --user --map-root-user --mount true 2>/dev/null ||
    skip "unshare cannot make a user namespace here (Debian package util-linux)"
  # Root inside, to mount and register; the command gets the caller's own ids back (below).
  exec unshare --user --map-root-user --mount "$0" --inside "$(id -u)" "$(id -g)" "$@"
fi
uid=$2
gid=$3
shift 3
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
  skip "no binfmt_misc of a user namespace's own for qemu-i386 (Linux 6.7 or later)"
# i386 executables and shared objects, as qemu's own binfmt entry matches them; the kernel
# reads the \x escapes.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf ':qemu-i386:M::%s:%s:%s:\n' "$magic" "$mask" "$qemu" >/proc/sys/fs/binfmt_misc/register
[ $# -gt 0 ] || exit 0
# qemu reserves the guest's address space up front, and 32-bit Wine then reserves its own
# ranges with hints that qemu 7 does not take (MAP_FIXED_NOREPLACE), down to one 64 KiB piece
# at a time, each attempt a search of the reservation: tens of thousands of them. Just above
# 2 GiB, the space of a 32-bit Windows program and room for the stack qemu puts at the top,
# Wine starts in about 3 s; with the whole 4 GiB it took 45 on the 2-core development machine.
export QEMU_RESERVED_VA="${QEMU_RESERVED_VA:-0x82000000}"
# A nested namespace keeps the mount and maps the caller's ids back, so that Wine finds the
# caller's wineserver and prefix; binfmt_misc is looked up in the parent.
if [ "$uid" -ne 0 ]; then
  exec unshare --user --map-user="$uid" --map-group="$gid" -- "$@"
fi
exec "$@"
