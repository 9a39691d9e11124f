#!/usr/bin/env bash
# Static checks: clang-tidy (the checked-in .clang-tidy) and cppcheck over every source the
# build compiles, the tool's and the tests', from the compile commands of a configure-only
# build dir. Any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-static

cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
mapfile -t sources < <(/usr/bin/python3 -c '
import json, os, sys
root = os.getcwd() + "/"
files = sorted({entry["file"] for entry in json.load(open(sys.argv[1]))})
print("\n".join(f[len(root):] if f.startswith(root) else f for f in files))
' "$build/compile_commands.json")
echo "== clang-tidy: ${#sources[@]} files"
# clang-tidy counts the (suppressed) findings in system headers on standard error: dropped.
printf '%s\n' "${sources[@]}" |
  xargs -P "$(nproc)" -n 1 clang-tidy -p "$build" --quiet 2> >(grep -v "warnings generated" >&2)

echo "== cppcheck"
# useStlAlgorithm: a raw loop is the clearer form for the small loops here.
cppcheck --project="$build/compile_commands.json" --library=googletest --library=posix \
  --enable=warning,style,performance,portability --std=c++17 --inline-suppr --quiet \
  --suppress=missingIncludeSystem --suppress=useStlAlgorithm --error-exitcode=1
echo "== static checks clean"
