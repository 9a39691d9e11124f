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
# The exe as users get it, for the checks of the cross build's exe: here it stands for every
# Windows program those checks look at.
/usr/bin/python3 -m zipfile -e "$dist/quendral-$version-win64.zip" "$out/zip"
exe=$out/zip/quendral-$version-win64/quendral.exe

export QUENDRAL_DIST=$dist QUENDRAL_VERSION=$version QUENDRAL_MSI=$dist/quendral-$version-win64.msi
failed=()
for test in packages_test msi_test release_command_test pe_test; do
  echo "== $test"
  script=tests/release/$test.py
  [ -e "$script" ] || script=tests/e2e/$test.py
  status=0
  QUENDRAL=$exe QUENDRAL_EXE=$exe QUENDRAL_CXX_EXE=$exe QUENDRAL_REFUSED=$exe \
    QUENDRAL_BUILD=$out/first /usr/bin/python3 "$script" || status=$?
  # Under CI every check must run: a skip fails the tier.
  if [ "$status" -eq 77 ] && [ "${CI:-}" != true ]; then
    echo "== $test skipped"
  elif [ "$status" -ne 0 ]; then
    failed+=("$test")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "== release tier FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "== release tier passed"
