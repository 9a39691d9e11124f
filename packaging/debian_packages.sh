# Sourced by the test command and the release: installs the Debian packages named when they are
# missing and this runs as root; otherwise leaves them missing and names them. Sets `missing`.
# A package of another architecture (libc6:arm64) adds that architecture to dpkg first.
install_debian_packages() {
  missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "== not root, so not installing: ${missing[*]}"
    return 0
  fi
  echo "== installing: ${missing[*]}"
  local architecture
  for package in "${missing[@]}"; do
    [[ $package == *:* ]] || continue
    architecture=${package#*:}
    dpkg --print-foreign-architectures | grep -qx "$architecture" ||
      dpkg --add-architecture "$architecture"
  done
  apt-get update -qq
  # With their recommended packages, as on the machines where the tests were made to pass.
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  missing=()
}
