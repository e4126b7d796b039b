#!/usr/bin/env bash
# Runs the disk-full test against a drive of 5 MB: a tmpfs mounted in a
# folder of its own and mapped as a free drive letter of the test prefix,
# both removed again however the test ends.
#
#   disk-full.sh <wine-run.sh> <prefix> <test program>
set -euo pipefail
runner=$1 prefix=$2 program=$3
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
"$runner" --prefix "$prefix"   # the prefix exists before a drive is added to it
mnt=$(mktemp -d "${TMPDIR:-/tmp}/kvt-small-drive.XXXXXX")
link=""
cleanup() {
  [ -z "$link" ] || rm -f "$link"
  $sudo umount "$mnt" 2>/dev/null || true
  rmdir "$mnt" 2>/dev/null || true
}
trap cleanup EXIT
$sudo mount -t tmpfs -o size=5m,mode=0777 kvt-small-drive "$mnt"
# A letter nobody uses: ln -s refuses one that exists, so two runs never share.
for letter in q r s t u v w x y; do
  if ln -s "$mnt" "$prefix/dosdevices/$letter:" 2>/dev/null; then
    link="$prefix/dosdevices/$letter:"
    break
  fi
done
[ -n "$link" ] || { echo "disk-full.sh: no free drive letter in $prefix" >&2; exit 1; }
KVT_SMALL_DRIVE="${letter^^}:" WINEDEBUG=-all "$runner" --prefix "$prefix" "$program"
