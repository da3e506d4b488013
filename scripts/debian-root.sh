#!/usr/bin/env bash
# debian-root.sh DIR SUITE [PACKAGE...]: a Debian root at DIR (debootstrap's minbase from
# Debian's archive, then PACKAGE... without recommends), made once and kept: a later call with
# the same suite and packages finds it ready and returns at once. It is made under a temporary
# name beside DIR and renamed when complete, so an interrupted run leaves no half root as DIR.
# Needs root (debootstrap, chroot, mounts in a namespace of its own).
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: debian-root.sh DIR SUITE [PACKAGE...]" >&2; exit 2; }
dir=$1
suite=$2
shift 2
mirror=http://deb.debian.org/debian
wanted="$suite $*"
stamp=$dir/.quorel-root

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "debian-root: making the Debian $suite root $dir needs root (debootstrap, chroot)" >&2
  exit 1
fi
command -v debootstrap >/dev/null || {
  echo "debian-root: debootstrap is missing (scripts/bootstrap.sh installs it)" >&2
  exit 1
}

parent=$(dirname "$dir")
mkdir -p "$parent"
# One maker of a root at a time; a second one waits and then finds it ready. Holding the lock,
# what an interrupted maker left under a temporary name is taken away.
exec 9>"$parent/.$(basename "$dir").lock"
flock 9
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  exit 0
fi
rm -rf --one-file-system "$parent/.$(basename "$dir")".??????*
work=$(mktemp -d "$parent/.$(basename "$dir").XXXXXX")
log=$work.log
# Mounts live only in the namespaces below, so nothing is mounted inside $work when it goes.
trap 'rm -rf --one-file-system "$work" "$log"' EXIT

started=$(date +%s)
echo "debian-root: making the Debian $suite root $dir (once; it is kept)" >&2
if ! debootstrap --variant=minbase "$suite" "$work" "$mirror" >"$log" 2>&1; then
  tail -n 20 "$log" >&2
  echo "debian-root: debootstrap of $suite failed (the end of its log above)" >&2
  exit 1
fi
if [ $# -gt 0 ]; then
  # No services start inside the root while packages are set up.
  printf '#!/bin/sh\nexit 101\n' >"$work/usr/sbin/policy-rc.d"
  chmod 0755 "$work/usr/sbin/policy-rc.d"
  if ! unshare -m --propagation private sh -c '
      root=$1; shift
      mount -t proc proc "$root/proc" && mount -t devpts devpts "$root/dev/pts" &&
      chroot "$root" apt-get update -qq &&
      chroot "$root" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "$@" &&
      chroot "$root" apt-get clean' sh "$work" "$@" >>"$log" 2>&1; then
    tail -n 20 "$log" >&2
    echo "debian-root: installing packages into the $suite root failed (the end of its log" \
      "above)" >&2
    exit 1
  fi
fi
rm -rf --one-file-system "$work/var/lib/apt/lists"
mkdir -p "$work/var/lib/apt/lists/partial"
printf '%s\n' "$wanted" >"$work/.quorel-root"
rm -rf --one-file-system "$dir"
mv "$work" "$dir"
echo "debian-root: $dir ready in $(($(date +%s) - started)) s" >&2
