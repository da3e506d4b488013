#!/usr/bin/env bash
# make-release.sh: build/release/quorel-VERSION.zip and .tar.gz from the built programs (the
# Makefile's `release` target builds them first). One folder quorel-VERSION/ inside each:
#   START-HERE.txt, LICENSE, README.md, docs/, demo/,
#   windows/  quorel.exe, quorel-tool.exe
#   linux/    quorel-tool, portable/quorel (the disc's Linux program, as dist ships it), both
#             built in the Debian 11 root (cmake/portable.cmake)
#   licenses/ the notices of the libraries built into the programs
# The archives are made under temporary names and renamed when complete.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(dirname "$here")
cd "$top"
version=$(head -n 1 VERSION)
name=quorel-$version
out=build/release

need() {
  [ -f "$1" ] || { echo "make-release: $1 is missing (build it first: make release)" >&2; exit 1; }
}
for file in build/win32/quorel.exe build/win32/tools/quorel-tool.exe build/linux/portable-tool/quorel-tool \
  build/linux/portable/quorel; do
  need "$file"
done

mkdir -p "$out"
stage=$(mktemp -d "$out/.stage.XXXXXX")
trap 'rm -rf "$stage" "$out/.$name".zip.* "$out/.$name".tar.gz.*' EXIT
root=$stage/$name
mkdir -p "$root/windows" "$root/linux/portable" "$root/docs" "$root/licenses"
install -m 0644 build/win32/quorel.exe build/win32/tools/quorel-tool.exe "$root/windows/"
install -m 0755 build/linux/portable-tool/quorel-tool "$root/linux/"
install -m 0755 build/linux/portable/quorel "$root/linux/portable/"
# The demo and the docs as the repository holds them (no build leftovers).
git ls-files -z demo docs | while IFS= read -r -d '' file; do
  case $file in docs/start-here.txt) continue ;; esac
  mkdir -p "$root/$(dirname "$file")"
  cp -p "$file" "$root/$file"
done
cp docs/start-here.txt "$root/START-HERE.txt"
cp LICENSE README.md "$root/"
# Built into the programs: SDL2, SDL2_ttf, FreeType and HarfBuzz (the Linux programs),
# the MinGW-w64 runtime (the Windows programs).
for package in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfreetype6 libharfbuzz0b mingw-w64-i686-dev \
  gcc-mingw-w64-i686-posix-runtime; do
  need "/usr/share/doc/$package/copyright"
  cp "/usr/share/doc/$package/copyright" "$root/licenses/$package.txt"
done

# The same order and times in every archive of one version.
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
find "$root" -exec touch -h -d "@$stamp" {} +
zip_tmp=$(mktemp "$out/.$name.zip.XXXXXX")
rm -f "$zip_tmp"
(cd "$stage" && find "$name" -print | LC_ALL=C sort | zip -qX -@ "$top/$zip_tmp")
tar_tmp=$(mktemp "$out/.$name.tar.gz.XXXXXX")
tar -C "$stage" --sort=name --owner=0 --group=0 --numeric-owner -cf - "$name" | gzip -n >"$tar_tmp"
chmod 0644 "$zip_tmp" "$tar_tmp"
mv -f "$zip_tmp" "$out/$name.zip"
mv -f "$tar_tmp" "$out/$name.tar.gz"
echo "make-release: $out/$name.zip and $out/$name.tar.gz" >&2
