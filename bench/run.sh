#!/usr/bin/env bash
# Builds the tool and its in-process benchmark (optimised, in build-bench/) and prints what a
# run costs. As root for the DNS parts, which run in namespaces of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUENDRAL_BENCHMARKS=ON \
  -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench -j2 >/dev/null
exec /usr/bin/python3 bench/bench.py build-bench
