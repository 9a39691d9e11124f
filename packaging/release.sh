#!/usr/bin/env bash
# The release: every package of one commit, built from the committed sources into dist/, the
# same bytes wherever and whenever it runs. See usage below.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

usage() {
  cat <<'EOF'
usage: bash packaging/release.sh [--allow-dirty]

Builds the Linux and Windows programs from this commit and writes dist/:
  quendral_VERSION_amd64.deb, quendral-VERSION-1.x86_64.rpm (x86-64 Linux),
  quendral_VERSION_arm64.deb, quendral-VERSION-1.aarch64.rpm (64-bit ARM Linux),
  quendral-VERSION-win64.zip, quendral-VERSION-win64.msi (64-bit Windows),
  quendral-VERSION-win32.zip, quendral-VERSION-win32.msi (32-bit Windows) and SHA256SUMS.
Every time stamp is the commit's, so two runs of one commit give the same bytes.

  --allow-dirty  build the work tree as it is, uncommitted changes included (such packages
                 are no release of any commit: for trying the packaging out)

Signing (Authenticode, the exe before it is packed, and the MSI), when both are set:
  QUENDRAL_SIGN_CERT        the certificate (chain), PEM or DER
  QUENDRAL_SIGN_KEY         its private key, PEM or DER
  QUENDRAL_SIGN_PASS_FILE   optional: a file holding the key's passphrase
  QUENDRAL_SIGN_TIMESTAMP   optional: an RFC 3161 time-stamp server's URL
EOF
}

fail() {
  echo "release.sh: $*" >&2
  exit 1
}

allow_dirty=false
for argument in "$@"; do
  case $argument in
    --allow-dirty) allow_dirty=true ;;
    -h | --help) usage && exit 0 ;;
    *) usage >&2 && fail "unknown argument '$argument'" ;;
  esac
done

# Signing is all or nothing, and checked before anything is built: a key that cannot be read
# must not be found out after the unsigned packages are made.
sign=false
if [ -n "${QUENDRAL_SIGN_CERT:-}${QUENDRAL_SIGN_KEY:-}" ]; then
  [ -n "${QUENDRAL_SIGN_CERT:-}" ] || fail "QUENDRAL_SIGN_KEY is set but QUENDRAL_SIGN_CERT is not"
  [ -n "${QUENDRAL_SIGN_KEY:-}" ] || fail "QUENDRAL_SIGN_CERT is set but QUENDRAL_SIGN_KEY is not"
  for variable in QUENDRAL_SIGN_CERT QUENDRAL_SIGN_KEY QUENDRAL_SIGN_PASS_FILE; do
    file=${!variable:-}
    [ -n "$file" ] || continue
    { [ -f "$file" ] && : <"$file"; } 2>/dev/null ||
      fail "$variable names '$file', which is not a readable file"
  done
  sign=true
fi

# What the release builds with, by Debian package. libc6:arm64 gives dpkg-shlibdeps the C
# library's symbols for the ARM package's Depends.
packages=(cmake g++ make git gzip python3 dpkg-dev rpm g++-aarch64-linux-gnu libc6:arm64
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wixl msitools faketime)
if $sign; then packages+=(osslsigncode); fi
source packaging/debian_packages.sh
install_debian_packages "${packages[@]}"
[ ${#missing[@]} -eq 0 ] ||
  fail "missing Debian packages: ${missing[*]} (as root, this script installs them)"

git rev-parse --git-dir >/dev/null 2>&1 || fail "not a git work tree: a release is of a commit"
if ! $allow_dirty && [ -n "$(git status --porcelain)" ]; then
  git status --short >&2
  fail "the work tree has uncommitted changes (above): commit them, or pass --allow-dirty"
fi

# Whatever the caller's clock, zone, locale and umask: the commit's time, and the same modes.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

# Built in a scratch folder; dist/ is replaced only once every package is there, so a failed
# step never leaves a dist/ that looks complete.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quendral-release.XXXXXX")
staged=$(mktemp -d "$root/.dist-new.XXXXXX")
trap 'rm -rf "$scratch" "$staged"' EXIT
jobs=$(nproc)

sign_file() {
  local input=$1
  local signed=$input.signed
  local options=(-certs "$QUENDRAL_SIGN_CERT" -key "$QUENDRAL_SIGN_KEY" -h sha256
    -n "Quendral")
  [ -z "${QUENDRAL_SIGN_PASS_FILE:-}" ] || options+=(-readpass "$QUENDRAL_SIGN_PASS_FILE")
  [ -z "${QUENDRAL_SIGN_TIMESTAMP:-}" ] || options+=(-ts "$QUENDRAL_SIGN_TIMESTAMP")
  osslsigncode sign "${options[@]}" -in "$input" -out "$signed" >/dev/null ||
    fail "signing $(basename "$input") failed"
  chmod --reference="$input" "$signed"
  mv "$signed" "$input"
}

# Builds one target in $scratch/NAME: build NAME [TOOLCHAIN].
build() {
  local toolchain=()
  [ -z "${2:-}" ] || toolchain=(--toolchain "$2")
  cmake -S . -B "$scratch/$1" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    >/dev/null
  cmake --build "$scratch/$1" -j"$jobs" >/dev/null
}

# Packs what CPack makes of build NAME into the staged dist/: pack NAME GENERATORS.
pack() {
  (cd "$scratch/$1" && cpack -G "$2" -B "$scratch/cpack-$1" >/dev/null)
  find "$scratch/cpack-$1" -maxdepth 1 -type f -exec mv -t "$staged" {} +
}

for target in x86_64: aarch64:cmake/aarch64-linux-gnu.cmake; do
  echo "== Linux, ${target%%:*}: Debian and RPM packages"
  build "linux-${target%%:*}" "${target#*:}"
  pack "linux-${target%%:*}" "DEB;RPM"
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$scratch/linux-x86_64/CMakeCache.txt")

for target in win64:x64:cmake/mingw-w64-x86_64.cmake win32:x86:cmake/mingw-w64-i686.cmake; do
  IFS=: read -r name arch toolchain <<<"$target"
  echo "== Windows, $arch: zip and MSI"
  build "$name" "$toolchain"
  # Signed before it is packed, so the zip and the MSI carry the same signed exe.
  if $sign; then sign_file "$scratch/$name/quendral.exe"; fi
  pack "$name" ZIP
  python3 packaging/make_msi.py --arch "$arch" --version "$version" \
    --exe "$scratch/$name/quendral.exe" --out "$staged/quendral-$version-$name.msi"
  if $sign; then sign_file "$staged/quendral-$version-$name.msi"; fi
done

(cd "$staged" && sha256sum -- *.deb *.rpm *.zip *.msi >SHA256SUMS)

# Into place: the old dist/ goes only once the new one is complete beside it.
old=$staged.old
[ ! -e dist ] || mv dist "$old"
mv "$staged" dist
rm -rf "$old"
echo "== dist/ for $version ($(git rev-parse --short HEAD)$($allow_dirty && echo ', work tree'))"
cat dist/SHA256SUMS
