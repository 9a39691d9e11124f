#!/bin/sh
# Runs a Windows program under Wine in a prefix of the build's own, made on first use and kept:
# wine_run.sh PREFIX PROGRAM [ARGUMENTS...]. Exits 77 (skipped) when Wine is not installed.
set -eu
prefix=$1
shift
wine=${QUENDRAL_WINE64:-/usr/lib/wine/wine64}
if [ ! -x "$wine" ]; then
  echo "SKIP: $wine not found (Debian package wine64)"
  exit 77
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all
# Tests run in parallel: the first one makes the prefix while the others wait for it. A first
# boot takes from seconds to a minute; one that hangs is stopped.
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.quendral-ready" ]; then
    rm -rf "$prefix"
    if ! timeout 180 "$wine" wineboot --init >/dev/null 2>&1; then
      echo "wine_run.sh: wineboot could not make $prefix" >&2
      exit 1
    fi
    touch "$prefix/.quendral-ready"
  fi
) 9>"$prefix.lock"
# The first program in a quiet prefix starts Wine's own background processes, which inherit its
# output and hold a caller's pipe open for seconds after the program ends: start them here,
# on nothing.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
exec "$wine" "$@"
