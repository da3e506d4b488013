# The disc's Linux program (linux/quorel on a disc): it must start on every x86-64 Linux with
# glibc 2.31 or newer and carry none of the system's own libraries.
#
# It is compiled inside a Debian 11 root (glibc 2.31) with that root's gcc 10 and CMake 3.18, in
# a chroot rather than with the host's compiler and a --sysroot: everything it links, the static
# libstdc++ included, is then built for that glibc. scripts/build-disc-program.sh makes the root
# once (debootstrap, kept under build/roots), builds FreeType, HarfBuzz, SDL2 and SDL2_ttf there
# as static libraries (SDL loading X11, Wayland and the sound libraries at run time; the
# system's FreeType and HarfBuzz would draw text a little differently), and runs this project's
# build in the root with QUOREL_DISC_PROGRAM, which builds the menu program (with its reload
# program) alone. fontconfig is taken from the system, which every desktop has.
if(QUOREL_DISC_PROGRAM)
  find_package(SDL2 CONFIG REQUIRED)
  find_package(SDL2_ttf CONFIG REQUIRED)
  pkg_check_modules(QUOREL_FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  set(QUOREL_SDL_LIBRARIES SDL2_ttf::SDL2_ttf-static SDL2::SDL2-static
                           PkgConfig::QUOREL_FONTCONFIG)
  # libstdc++ and libgcc inside the programs; no symbol tables and no unused code (shipped on
  # discs). Nothing of the static archives is exported: the system's fontconfig keeps to the
  # system's FreeType.
  add_link_options(-static-libstdc++ -static-libgcc -s -Wl,--gc-sections -Wl,--as-needed
                   -Wl,--exclude-libs,ALL)
  return()
endif()

# On the build machine: quorel-portable runs the script, which leaves the program in
# build/linux/portable (the folder `quorel-tool dist` puts on the disc as linux/) and the
# release's Linux tool, built the same way, in build/linux/portable-tool. The chroot
# needs root; elsewhere the target is left out of the default build and says so when asked for.
set(QUOREL_PORTABLE_DIR ${CMAKE_BINARY_DIR}/portable)
set(QUOREL_PORTABLE_COMMAND
  bash ${PROJECT_SOURCE_DIR}/scripts/build-disc-program.sh
       ${PROJECT_SOURCE_DIR}/build/roots/debian11-build ${CMAKE_BINARY_DIR}/disc-program
       ${QUOREL_PORTABLE_DIR} ${CMAKE_BINARY_DIR}/portable-tool)
execute_process(COMMAND id -u OUTPUT_VARIABLE QUOREL_UID OUTPUT_STRIP_TRAILING_WHITESPACE)
if(QUOREL_UID STREQUAL "0")
  add_custom_target(quorel-portable ALL COMMAND ${QUOREL_PORTABLE_COMMAND} USES_TERMINAL VERBATIM)
else()
  message(STATUS "quorel-portable (the disc's Linux program) is built only as root: it is "
                 "compiled in a Debian 11 chroot")
  add_custom_target(quorel-portable COMMAND ${QUOREL_PORTABLE_COMMAND} USES_TERMINAL VERBATIM)
endif()
