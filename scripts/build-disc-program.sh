#!/usr/bin/env bash
# build-disc-program.sh ROOT BUILD OUT [TOOL_OUT]: the disc's Linux program, compiled inside a Debian 11
# root (glibc 2.31, gcc 10, CMake 3.18) so it starts on every system with that glibc or newer,
# written to OUT/quorel. FreeType, HarfBuzz, SDL2 and SDL2_ttf are built there once from
# Debian's source packages as static libraries, SDL loading X11, Wayland, ALSA and PulseAudio at
# run time; the root and those libraries are kept (in ROOT), so only the first run pays for
# them. BUILD is the program's build folder (incremental). With TOOL_OUT, quorel-tool is built
# the same way (for the release) and written to TOOL_OUT/quorel-tool. Needs root: chroot and
# the mounts that show the source inside.
set -euo pipefail
[ $# -eq 3 ] || [ $# -eq 4 ] ||
  { echo "usage: build-disc-program.sh ROOT BUILD OUT [TOOL_OUT]" >&2; exit 2; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_dir=$(dirname "$here")
root=$1
build=$2
out=$3
tool_out=${4:-}

if [ "$(id -u)" -ne 0 ]; then
  echo "build-disc-program: the disc's Linux program is built in a Debian 11 chroot, which" \
    "needs root; run 'make dist' as root" >&2
  exit 1
fi

# What compiling SDL2, SDL2_ttf and the program needs: headers of every library SDL loads at
# run time (it takes their sonames from them), no more.
bash "$here/debian-root.sh" "$root" bullseye \
  g++ make cmake ninja-build pkg-config dpkg-dev \
  libx11-dev libxext-dev libxcursor-dev libxi-dev libxrandr-dev libxss-dev libxinerama-dev \
  libxxf86vm-dev libxkbcommon-dev libwayland-dev wayland-protocols libegl-dev \
  libasound2-dev libpulse-dev libfontconfig-dev libfreetype-dev libatk1.0-dev \
  nlohmann-json3-dev

# Runs a shell command line inside the root with /proc, the network's name service, the source
# (read-only) and BUILD mounted; the mounts end with the namespace.
in_root() {
  mkdir -p "$root/mnt/source" "$root/mnt/build" "$build"
  unshare -m --propagation private sh -c '
    root=$1 source=$2 build=$3 command=$4
    mount -t proc proc "$root/proc" &&
    mount --bind /etc/resolv.conf "$root/etc/resolv.conf" &&
    mount --bind "$source" "$root/mnt/source" && mount -o remount,bind,ro "$root/mnt/source" &&
    mount --bind "$build" "$root/mnt/build" &&
    exec chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C \
      sh -ec "$command"' sh "$root" "$source_dir" "$build" "$1"
}

# The libraries the program links, built once into /opt/quorel in the root as static archives
# from the source packages of the build machine's own Debian release: the versions quorel-tool
# draws with, so the disc's program draws the same pictures on every system. FreeType without
# the optional libraries it could call (the program's fonts need none of them); HarfBuzz over
# it alone; SDL without what a menu does not use (joysticks, sensors, KMS), its audio and video
# back-ends keeping SDL's default of loading their libraries when first used. PipeWire is
# reached through its PulseAudio service: bullseye's PipeWire headers are older than SDL asks.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
prefix=/opt/quorel
freetype_flags="--disable-shared --enable-static --with-zlib=no --with-bzip2=no --with-png=no"
freetype_flags+=" --with-harfbuzz=no --with-brotli=no"
sdl_flags="--disable-shared --enable-static --disable-joystick --disable-haptic --disable-hidapi"
sdl_flags+=" --disable-sensor --disable-video-kmsdrm --disable-video-vulkan --disable-jack"
sdl_flags+=" --disable-sndio --disable-esd --disable-arts --disable-nas --disable-oss"
sdl_flags+=" --disable-pipewire"
# Small rather than fast (every byte is read from the disc before the menu shows), each function
# in a section of its own so the program's link drops what it does not call.
small="-Os -ffunction-sections -fdata-sections"
cmake_flags="-G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_SHARED_LIBS=OFF"
cmake_flags+=" -DCMAKE_PREFIX_PATH=$prefix -DCMAKE_INSTALL_PREFIX=$prefix"
stamp="$codename $small $freetype_flags $sdl_flags $cmake_flags"
if [ "$(cat "$root$prefix/.quorel-libraries" 2>/dev/null)" != "$stamp" ]; then
  echo "build-disc-program: building FreeType, HarfBuzz, SDL2 and SDL2_ttf ($codename sources)" \
    "in the root (once)" >&2
  log=$build/libraries.log
  mkdir -p "$build"
  if ! in_root "
      rm -rf /opt/src $prefix
      export CFLAGS='$small' CXXFLAGS='$small'
      mkdir -p /opt/src && cd /opt/src
      echo 'deb-src http://deb.debian.org/debian $codename main' > /etc/apt/sources.list.d/src.list
      apt-get update -qq
      apt-get source -qq freetype harfbuzz libsdl2 libsdl2-ttf
      mkdir freetype-build sdl-build
      cd /opt/src/freetype-build
      ../freetype-*/configure --prefix=$prefix $freetype_flags
      make -j2 && make install
      cd /opt/src
      cmake -S harfbuzz-* -B harfbuzz-build $cmake_flags -DHB_HAVE_FREETYPE=ON \
        -DHB_BUILD_SUBSET=OFF
      cmake --build harfbuzz-build -j2 && cmake --install harfbuzz-build
      cd /opt/src/sdl-build
      ../libsdl2-*/configure --prefix=$prefix $sdl_flags
      make -j2 && make install
      cd /opt/src
      cmake -S libsdl2-ttf-* -B ttf-build $cmake_flags -DSDL2TTF_HARFBUZZ=ON \
        -DSDL2TTF_VENDORED=OFF -DSDL2TTF_SAMPLES=OFF
      cmake --build ttf-build -j2 && cmake --install ttf-build
      rm -rf /opt/src" >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "build-disc-program: building the libraries failed (log: $log)" >&2
    exit 1
  fi
  printf '%s\n' "$stamp" >"$root$prefix/.quorel-libraries"
fi

# The program: ninja rebuilds what changed.
in_root "
  cmake -S /mnt/source -B /mnt/build -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_C_FLAGS='$small' -DCMAKE_CXX_FLAGS='$small' -DQUOREL_DISC_PROGRAM=ON \
    -DCMAKE_PREFIX_PATH=$prefix >/dev/null
  cmake --build /mnt/build -j2 --target quorel ${tool_out:+quorel-tool}"

# OUT holds the program and nothing else; it is replaced only when it changed.
mkdir -p "$out"
find "$out" -mindepth 1 -maxdepth 1 ! -name quorel -exec rm -rf {} +
if ! cmp -s "$build/quorel" "$out/quorel"; then
  cp "$build/quorel" "$out/.quorel.tmp"
  chmod 0755 "$out/.quorel.tmp"
  mv -f "$out/.quorel.tmp" "$out/quorel"
fi

# TOOL_OUT likewise holds the tool alone.
if [ -n "$tool_out" ]; then
  mkdir -p "$tool_out"
  if ! cmp -s "$build/tools/quorel-tool" "$tool_out/quorel-tool"; then
    cp "$build/tools/quorel-tool" "$tool_out/.quorel-tool.tmp"
    chmod 0755 "$tool_out/.quorel-tool.tmp"
    mv -f "$tool_out/.quorel-tool.tmp" "$tool_out/quorel-tool"
  fi
fi
