#!/usr/bin/env bash
# The release tier: the release command run twice from clean clones of HEAD (a release is of a
# commit, so uncommitted changes are not in it) must give byte-identical dist/ folders, whose
# packages then meet the rules of the systems they install on. run.sh OUT keeps all in OUT.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$1

bash tests/release/twice.sh "$out"
dist=$out/first/dist
version=$(sed -n 's/^project(Quendral VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
export QUENDRAL_DIST=$dist QUENDRAL_VERSION=$version

failed=()
# check NAME [RUNNER...] SCRIPT: runs one test script, under CI a skip fails the tier.
check() {
  local name=$1
  shift
  echo "== $name"
  local status=0
  "$@" || status=$?
  if [ "$status" -eq 77 ] && [ "${CI:-}" != true ]; then
    echo "== $name skipped"
  elif [ "$status" -ne 0 ]; then
    failed+=("$name")
  fi
}

check packages_test /usr/bin/python3 tests/release/packages_test.py
for target in win64:x86_64 win32:i686; do
  IFS=: read -r windows arch <<<"$target"
  package=quendral-$version-$windows
  # The exe as users get it, for the cross build's checks of the exe: here it stands for every
  # Windows program those checks look at, and the clone for the build folder.
  rm -rf "$out/$windows"
  /usr/bin/python3 -m zipfile -e "$dist/$package.zip" "$out/$windows"
  exe=$out/$windows/$package/quendral.exe
  QUENDRAL=$exe QUENDRAL_CXX_EXE=$exe QUENDRAL_REFUSED=$exe QUENDRAL_BUILD=$out/first \
    QUENDRAL_WINDOWS_ARCH=$arch check "pe_test ($package.zip)" /usr/bin/python3 tests/e2e/pe_test.py
  # The MSI's lifecycle in a 64-bit Wine; the 32-bit exe it installs runs under 32-bit Wine,
  # through qemu-i386 on a kernel that runs no 32-bit x86 programs.
  runner=()
  if [ "$arch" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    runner=(tests/wine/qemu_i386_namespace.sh)
  fi
  QUENDRAL_MSI=$dist/$package.msi QUENDRAL_EXE=$exe check "msi_test ($package.msi)" \
    "${runner[@]}" /usr/bin/python3 tests/release/msi_test.py
done
check release_command_test /usr/bin/python3 tests/release/release_command_test.py

if [ ${#failed[@]} -gt 0 ]; then
  echo "== release tier FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "== release tier passed"
