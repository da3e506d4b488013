#!/usr/bin/env bash
# check_release.sh: the release archives hold what the README promises, both the same files, and
# the programs in them run from the unpacked folder: each prints the version of the VERSION
# file, and the Linux tool's dist ships the archive's own programs when told nothing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/../.." && pwd)
version=$(head -n 1 "$top/VERSION")
name=quorel-$version
zip=$top/build/release/$name.zip
tgz=$top/build/release/$name.tar.gz
fail() { echo "check_release: $*" >&2; exit 1; }
[ -f "$zip" ] && [ -f "$tgz" ] || fail "$zip or $tgz is missing (make release)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -Z1 "$zip" | sed 's:/$::' | LC_ALL=C sort >"$work/zip.txt"
tar -tzf "$tgz" | sed 's:/$::' | LC_ALL=C sort >"$work/tar.txt"
cmp -s "$work/zip.txt" "$work/tar.txt" || fail "the zip and the tar.gz hold different files"
for entry in START-HERE.txt LICENSE README.md docs/authoring.md demo/Quorel.ini \
  windows/quorel.exe windows/quorel-tool.exe linux/quorel-tool linux/portable/quorel \
  licenses/libsdl2-2.0-0.txt; do
  grep -qx "$name/$entry" "$work/zip.txt" || fail "the archives lack $entry"
done
if grep -v "^$name\(/\|$\)" "$work/zip.txt"; then fail "entries outside $name/"; fi

tar -xzf "$tgz" -C "$work"
unpacked=$work/$name
expect() {  # expect PROGRAM-NAME OUTPUT
  [ "$(printf '%s' "$2" | tr -d '\r')" = "$1 $version" ] || fail "$1 --version printed '$2'"
}
expect quorel-tool "$("$unpacked/linux/quorel-tool" --version)"
expect quorel "$("$unpacked/linux/portable/quorel" --version)"
expect quorel "$(bash "$top/scripts/wine-run.sh" "$unpacked/windows/quorel.exe" --version 2>/dev/null)"
expect quorel-tool "$(bash "$top/scripts/wine-run.sh" "$unpacked/windows/quorel-tool.exe" --version 2>/dev/null)"

# The Linux tool starts on the oldest system the release names: a check of the demo in the
# Debian 11 root of the end-to-end tests (made by ctest's e2e_root tests; chroot needs root).
root11=$top/build/roots/debian11-desktop
if [ "$(id -u)" -ne 0 ] || [ ! -f "$root11/.quorel-root" ]; then
  echo "check_release: skipped the Debian 11 start of linux/quorel-tool: needs root and $root11"
else
  mkdir -p "$root11/mnt/release"
  status=0
  checked=$(unshare -m --propagation private sh -c 'mount --bind "$1" "$2/mnt/release" &&
    exec chroot "$2" env -i PATH=/usr/bin:/bin /mnt/release/linux/quorel-tool check \
      /mnt/release/demo/Quorel.ini' sh "$unpacked" "$root11") || status=$?
  # Exit 1 is warnings only: that root has no Japanese font for the demo's Japanese texts.
  [ $status -le 1 ] || fail "linux/quorel-tool check failed in Debian 11 ($status): $checked"
  case $checked in *"0 errors, "*) ;; *) fail "Debian 11 check said: $checked" ;; esac
fi

"$unpacked/linux/quorel-tool" dist "$unpacked/demo" "$work/disc" 2>/dev/null
cmp -s "$work/disc/quorel.exe" "$unpacked/windows/quorel.exe" || fail "dist shipped another quorel.exe"
cmp -s "$work/disc/linux/quorel" "$unpacked/linux/portable/quorel" ||
  fail "dist shipped another Linux program"
echo "check_release: $name.zip and $name.tar.gz hold $(wc -l <"$work/zip.txt") entries; all programs say $version"
