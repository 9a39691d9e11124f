#!/usr/bin/env bash
# Fails when a C++ source of the project differs from what .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format || command -v clang-format-14 || true)
if [ -z "$format" ]; then
  echo "SKIP: clang-format not found (Debian package clang-format)"
  exit 77
fi
folders=()
for folder in Quendral tests bench; do [ -d "$folder" ] && folders+=("$folder"); done
find "${folders[@]}" -name '*.cpp' -o -name '*.h' | sort | xargs "$format" --dry-run -Werror
echo "formatted as .clang-format says"
