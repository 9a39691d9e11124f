#!/usr/bin/env bash
# Reproducibility of the release: two fresh clones of this commit, in folders of different
# names and depths, run the release command one after the other (so at different times) under
# different time zones, locales and umasks; their dist/ folders must be byte-identical.
# twice.sh OUT: leaves the clones in OUT/first and OUT/second/clone, their packages in dist/.
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
mkdir -p "$out"

release() {
  local clone=$1 zone=$2 mask=$3 locale=$4
  git clone -q --no-hardlinks "$here" "$clone"
  echo "== release in $clone (TZ=$zone, umask $mask, LANG=$locale)"
  local started=$SECONDS
  (cd "$clone" && umask "$mask" && TZ=$zone LANG=$locale bash packaging/release.sh)
  echo "== took $((SECONDS - started)) s"
}

release "$out/first" UTC 022 C.UTF-8
release "$out/second/clone" Pacific/Kiritimati 077 C

first=$out/first/dist
second=$out/second/clone/dist
status=0
names=$( (cd "$first" && ls) ; (cd "$second" && ls))
for name in $(echo "$names" | sort -u); do
  if [ ! -e "$first/$name" ] || [ ! -e "$second/$name" ]; then
    echo "FAIL: reproducible release: $name is in only one of the two dist/ folders" >&2
    status=1
  elif ! cmp -s "$first/$name" "$second/$name"; then
    echo "FAIL: reproducible release: $name differs between two clean runs of one commit" >&2
    cmp "$first/$name" "$second/$name" >&2 || true
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "== both dist/ folders are byte-identical: $(echo $(cd "$first" && ls))"
exit "$status"
