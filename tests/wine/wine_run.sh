#!/bin/sh
# Runs a Windows program under Wine in a prefix of the build's own, made on first use and kept:
# wine_run.sh [--target ARCH] PREFIX [PROGRAM [ARGUMENTS...]]. ARCH is the build's
# CMAKE_SYSTEM_PROCESSOR: x86_64 (the default) runs the program under wine64, i686 under 32-bit
# Wine, through qemu-i386 where the kernel runs no 32-bit x86 programs. With no program it
# prints how it would run one. Exits 77 (skipped) when what it needs is not installed.
set -eu
here=$(dirname "$0")
target=x86_64
if [ "${1-}" = --target ]; then
  target=$2
  shift 2
fi
prefix=$1
shift
skip() {
  echo "SKIP: $*"
  exit 77
}
# The prefix is a 64-bit Windows for both targets, as 32-bit programs mostly meet Windows
# today: booted by wine64, with 32-bit Wine for the 32-bit programs alone, so that Wine's own
# background processes run natively rather than under qemu.
wine64=${QUENDRAL_WINE64:-/usr/lib/wine/wine64}
[ -x "$wine64" ] || skip "$wine64 not found (Debian package wine64)"
through=
case $target in
  x86_64)
    wine=$wine64
    how="64-bit Wine"
    ;;
  i686)
    wine=${QUENDRAL_WINE32:-/usr/lib/wine/wine}
    [ -x "$wine" ] || skip "$wine not found (Debian package wine32:i386)"
    if "$wine" --version >/dev/null 2>&1; then
      how="32-bit Wine"
    else
      through=$here/qemu_i386_namespace.sh
      "$through" || exit $?
      how="32-bit Wine (qemu-i386)"
    fi
    ;;
  *)
    echo "wine_run.sh: no Wine for the target $target" >&2
    exit 2
    ;;
esac
if [ $# -eq 0 ]; then
  echo "$how"
  exit 0
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all
# Tests run in parallel: the first one makes the prefix while the others wait for it. A first
# boot takes from seconds to a minute; one that hangs is stopped. A 64-bit boot sets up the
# prefix's 32-bit half only when it can run 32-bit programs.
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.quendral-ready" ]; then
    rm -rf "$prefix"
    if ! timeout 180 ${through:+"$through"} "$wine64" wineboot --init >/dev/null 2>&1; then
      echo "wine_run.sh: wineboot could not make $prefix" >&2
      exit 1
    fi
    touch "$prefix/.quendral-ready"
  fi
) 9>"$prefix.lock"
# The first program in a quiet prefix starts Wine's own background processes, which inherit its
# output and hold a caller's pipe open for seconds after the program ends: start them here,
# on nothing, and outside any namespace of the runner's.
"$wine64" cmd /c exit </dev/null >/dev/null 2>&1 || true
if [ -n "$through" ]; then
  exec "$through" "$wine" "$@"
fi
exec "$wine" "$@"
