#!/usr/bin/env bash
# Installs every Debian package the builds and tests need, when missing.
# Idempotent and quick when everything is there. Needs root (or sudo) to install;
# otherwise prints the one command to run and stops.
set -euo pipefail

packages=(
  # native builds, tests, fuzzing, benchmarks
  cmake ninja-build g++ clang libclang-rt-14-dev make
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-format clang-tidy
  # drawing, fonts, JSON and PNG for the Linux build and its tools
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-liberation2 nlohmann-json3-dev libpng-dev
  # screen readers on Linux: ATK's headers (its libraries and the AT-SPI bridge are loaded at
  # run time); the accessibility bus, its registry and pyatspi for the end-to-end test
  libatk1.0-dev at-spi2-core python3-pyatspi dbus-daemon
  # the smallest CJK face, for the tests of characters the menu's font lacks
  fonts-wqy-microhei
  # the 32-bit Windows build and Wine to run its tests
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 wine64
  # end-to-end runs in real windows (X fonts for SDL's message boxes, python3-xlib
  # for the test driver)
  xvfb xauth xdotool xfonts-base python3 python3-xlib
  # opening documents and folders from the Linux menu
  xdg-utils
  # 32-bit code on kernels that cannot run it themselves
  qemu-user-static
  # quorel-tool dist: the disc image; the Debian roots that build the disc's Linux program and
  # that the end-to-end test starts it in; objdump for the test of its glibc versions
  xorriso debootstrap binutils
  # make release: the zip archive and its test
  zip unzip
)

missing=()
need_i386=0
dpkg --print-foreign-architectures 2>/dev/null | grep -qx i386 || need_i386=1
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo "$@"
  else
    return 99
  fi
}

if [ "$need_i386" -eq 1 ] || [ ${#missing[@]} -gt 0 ]; then
  cmd="dpkg --add-architecture i386 && apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
  if ! as_root true; then
    echo "bootstrap: missing packages: ${missing[*]}" >&2
    echo "bootstrap: run as root:  $cmd" >&2
    exit 1
  fi
  echo "bootstrap: installing ${missing[*]}" >&2
  as_root dpkg --add-architecture i386
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's 32-bit loader needs a kernel that runs 32-bit programs. Where it cannot
# (some virtual machines), let qemu run them through binfmt_misc.
if ! /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1; then
  binfmt=/proc/sys/fs/binfmt_misc
  if [ ! -e "$binfmt/register" ]; then
    as_root mount -t binfmt_misc binfmt_misc "$binfmt" ||
      { echo "bootstrap: cannot mount binfmt_misc; 32-bit Wine cannot run" >&2; exit 1; }
  fi
  if [ ! -e "$binfmt/qemu-i386" ]; then
    echo "bootstrap: this kernel does not run 32-bit programs; running them through qemu-i386" >&2
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" | as_root tee "$binfmt/register" >/dev/null
  fi
  /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1 ||
    { echo "bootstrap: 32-bit programs still do not run" >&2; exit 1; }
fi
