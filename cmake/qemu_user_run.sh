#!/bin/sh
# Runs a program of a cross build under qemu-user, as CTest's emulator:
# qemu_user_run.sh ARCH SYSROOT [PROGRAM [ARGUMENTS...]]. Exits 77 (skipped) when qemu-ARCH is
# not installed; with no program it only tells whether it could run one, by that status.
#
# The guest's preload comes in QUENDRAL_TARGET_PRELOAD: in LD_PRELOAD the build machine's loader
# would try to preload the target's library into this shell and into qemu, and complain about it
# on standard error. The guest gets it as LD_PRELOAD and never sees the other name.
set -eu
arch=$1
sysroot=$2
shift 2
qemu=qemu-$arch
if ! command -v "$qemu" >/dev/null 2>&1; then
  echo "SKIP: $qemu not found (Debian package qemu-user)"
  exit 77
fi
[ $# -gt 0 ] || exit 0
preload=${QUENDRAL_TARGET_PRELOAD-}
unset QUENDRAL_TARGET_PRELOAD
# The loader is the sysroot's (-L). Its C library must be the same build: the default search
# would take the one of the multiarch package libc6:ARCH first when it is installed (the
# target's libnss-wrapper brings it), another version of the same library.
set -- -L "$sysroot" -E "LD_LIBRARY_PATH=$sysroot/lib" "$@"
if [ -n "$preload" ]; then
  exec "$qemu" -E "LD_PRELOAD=$preload" "$@"
fi
exec "$qemu" "$@"
