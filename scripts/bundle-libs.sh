#!/usr/bin/env bash
# bundle-libs.sh PROGRAM LIBDIR: copies every shared library PROGRAM loads that is not part of
# glibc into LIBDIR (by its soname), points each copy's run path at LIBDIR itself (some carry
# their own, which would win over the program's), then checks that PROGRAM resolves nothing
# else outside. Needs patchelf.
set -euo pipefail
program=$1
libdir=$2

# glibc's own libraries, found on every system the program is meant for.
is_glibc() {
  case "${1##*/}" in
    linux-vdso.so.* | ld-linux-x86-64.so.* | libc.so.* | libm.so.* | libdl.so.* | \
    libpthread.so.* | librt.so.* | libresolv.so.* | libutil.so.* | libmvec.so.* | \
    libanl.so.* | libnsl.so.*) return 0 ;;
  esac
  return 1
}

rm -rf "$libdir"
mkdir -p "$libdir"
count=0
while read -r name arrow path _; do
  is_glibc "$name" && continue
  if [ "$arrow" != "=>" ] || [ ! -f "$path" ]; then
    echo "bundle-libs: $program needs $name, which is not found" >&2
    exit 1
  fi
  cp -L "$path" "$libdir/$name"
  chmod 0644 "$libdir/$name"
  patchelf --set-rpath '$ORIGIN' "$libdir/$name"
  count=$((count + 1))
done < <(env -u LD_LIBRARY_PATH ldd "$program" | sed 's/^[[:space:]]*//')

# Everything outside glibc must now come from LIBDIR.
bad=$(env -u LD_LIBRARY_PATH ldd "$program" | awk -v dir="$(cd "$libdir" && pwd)/" '
  $2 == "=>" && index($3, dir) != 1 { print $1 }' | while read -r name; do
    is_glibc "$name" || echo "$name"
  done)
if [ -n "$bad" ]; then
  echo "bundle-libs: still taken from the system: $bad" >&2
  exit 1
fi
echo "bundle-libs: $count libraries in $libdir" >&2
