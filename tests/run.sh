#!/usr/bin/env bash
# The test command: installs what the tests need (Debian packages, when run as root), then
# configures, builds and runs every tier: plainly, under the sanitizers, as Windows programs
# under 64-bit and 32-bit Wine, as 64-bit ARM programs under qemu-user, a bounded fuzz run, the
# static checks and the release.
set -euo pipefail
cd "$(dirname "$0")/.."

# What the tests need, by Debian package name.
packages=(cmake g++ make libgtest-dev python3 libnss-wrapper clang-format)
# The packages (.deb, manual page) and the Windows exe, cross-built and run under Wine.
packages+=(dpkg-dev groff-base g++-mingw-w64-x86-64 wine64 python3-pefile llvm-14 clang-14)
# 64-bit ARM Linux: cross compiler, qemu-user, the target's resolver shim and C library.
packages+=(g++-aarch64-linux-gnu qemu-user libnss-wrapper:arm64 libc6:arm64)
# The 32-bit Windows exe under 32-bit Wine (through qemu-user where the kernel runs no 32-bit x86
# programs; the prefix is booted by wine64), with the 32-bit resolver shim.
packages+=(g++-mingw-w64-i686 wine32:i386 libnss-wrapper:i386)
# Real DNS: a DNS server, and namespaces with loopback up (unshare, mount; ip).
packages+=(unbound util-linux iproute2)
# Fuzzing, memory and static checks.
packages+=(libclang-rt-14-dev valgrind cppcheck clang-tidy)

# The release and the rules its packages are held to: Debian policy, hardening, RPM's, the MSI
# under Wine, Authenticode signing.
packages+=(git lintian devscripts rpm rpmlint wixl msitools faketime osslsigncode openssl)

source packaging/debian_packages.sh
install_debian_packages "${packages[@]}"
[ ${#missing[@]} -eq 0 ] || echo "== the tests that need them are skipped"

jobs=$(nproc)

# Runs ctest in build dir $1, with any further arguments. Under CI every tier must run: a
# skipped test fails the run.
run_ctest() {
  local log
  log=$(mktemp)
  (cd "$1" && ctest --output-on-failure --no-tests=error -j"$jobs" "${@:2}") 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  if [ "$status" -eq 0 ] && [ "${CI:-}" = true ] && grep -q '\*\*\*Skipped' "$log"; then
    echo "== CI skips nothing: the tests above were skipped" >&2
    status=1
  fi
  rm -f "$log"
  return "$status"
}

echo "== plain build"
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build-tests -j"$jobs"
run_ctest build-tests

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DQUENDRAL_SANITIZE=ON
cmake --build build-asan -j"$jobs"
run_ctest build-asan

# A Windows build: windows_stage BUILD TOOLCHAIN. Its tests run under Wine, and its reports are
# compared with the plain build's.
windows_stage() {
  cmake -S . -B "$1" --toolchain "$2" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DQUENDRAL_NATIVE_BINARY="$PWD/build-tests/quendral"
  cmake --build "$1" -j"$jobs"
  local status=0
  run_ctest "$1" || status=$?
  # Wine's server stays a few seconds after its last program: let it go before returning.
  local prefix
  for prefix in "$1/wineprefix" "$1/wineprefix-isolated"; do
    [ -d "$prefix" ] && WINEPREFIX="$PWD/$prefix" timeout 60 /usr/lib/wine/wineserver -w || true
  done
  return "$status"
}

echo "== Windows build: MinGW-w64 cross build, its tests under Wine, compared with the plain build"
windows_stage build-win cmake/mingw-w64-x86_64.cmake

echo "== 32-bit Windows build: MinGW-w64 i686, its tests under 32-bit Wine (qemu-i386 where needed)"
windows_stage build-win32 cmake/mingw-w64-i686.cmake

echo "== 64-bit ARM Linux: cross build, its tests under qemu-user"
# The toolchain file stops with the package's name when the cross compiler is missing; outside
# CI that only skips this stage.
if command -v aarch64-linux-gnu-g++ >/dev/null || [ "${CI:-}" = true ]; then
  cmake -S . -B build-arm64 --toolchain cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
  cmake --build build-arm64 -j"$jobs"
  run_ctest build-arm64
else
  echo "SKIP: aarch64-linux-gnu-g++ not found (Debian package g++-aarch64-linux-gnu)"
fi

echo "== fuzzing: clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DQUENDRAL_SANITIZE=ON -DQUENDRAL_FUZZ=ON
cmake --build build-fuzz -j"$jobs" --target report_fuzz
run_ctest build-fuzz -L fuzz
# A bounded run from the checked-in corpus; new inputs go to a scratch folder (the first one
# named), so the corpus changes only by hand, and a finding is written to build-fuzz/.
scratch=$(mktemp -d)
if ! build-fuzz/tests/fuzz/report_fuzz -max_total_time=60 -max_len=4096 \
  -entropic_scale_per_exec_time=1 -timeout=10 -rss_limit_mb=3000 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/ "$scratch" tests/fuzz/corpus >build-fuzz/fuzz.log 2>&1; then
  tail -n 60 build-fuzz/fuzz.log
  echo "== the fuzzer found a fault (input in build-fuzz/, log in build-fuzz/fuzz.log)" >&2
  exit 1
fi
rm -rf "$scratch"
grep -E '^(Done|stat::)' build-fuzz/fuzz.log

echo "== static checks"
bash tests/static_checks.sh

echo "== release: two clean clones' packages byte for byte, then each against its rules"
bash tests/release/run.sh "$PWD/build-release"

echo "== all tiers passed"
