# quorel-portable: the Linux menu program for discs, which runs where SDL2, SDL2_ttf, FreeType,
# HarfBuzz and fontconfig are not installed. SDL2, SDL2_ttf, fontconfig and expat come from
# their static archives; HarfBuzz has none, and it needs the shared FreeType, so both (and what
# they need) are copied beside the program into lib/ with the libraries SDL links for X11,
# Wayland and sound. The program finds them through an $ORIGIN run path that, as an old-style
# RPATH, also serves the bundled libraries' own dependencies. The normal quorel is untouched.
set(QUOREL_PORTABLE_DIR ${CMAKE_BINARY_DIR}/portable)
set(QUOREL_STATIC_ARCHIVES)
foreach(name SDL2_ttf SDL2 fontconfig expat)
  find_library(QUOREL_STATIC_${name} NAMES lib${name}.a)
  if(NOT QUOREL_STATIC_${name})
    message(STATUS "quorel-portable not built: lib${name}.a is missing")
    return()
  endif()
  list(APPEND QUOREL_STATIC_ARCHIVES ${QUOREL_STATIC_${name}})
endforeach()
# What the static SDL2 and SDL2_ttf archives call into, linked as shared libraries.
set(QUOREL_PORTABLE_SHARED
  harfbuzz freetype asound pulse-simple pulse samplerate X11 Xext Xcursor Xi Xfixes Xrandr Xss
  drm gbm wayland-egl wayland-client wayland-cursor xkbcommon decor-0 m dl rt)

add_executable(quorel-portable platform/sdl/sdl_main.cpp)
set_target_properties(quorel-portable PROPERTIES OUTPUT_NAME quorel
                      RUNTIME_OUTPUT_DIRECTORY ${QUOREL_PORTABLE_DIR}
                      BUILD_RPATH "$ORIGIN/lib")
# The project libraries in link order, then the static archives, so every SDL, SDL2_ttf and
# fontconfig symbol is taken from an archive before the shared copies their targets carry are
# reached (and, with --as-needed, dropped).
target_link_libraries(quorel-portable PRIVATE
  quorel_core quorel_platform_sdl quorel_core quorel_platform_posix quorel_platform_sdl_draw
  quorel_platform_launch
  ${QUOREL_STATIC_ARCHIVES} ${QUOREL_PORTABLE_SHARED} Threads::Threads)
target_link_options(quorel-portable PRIVATE -s -static-libstdc++ -static-libgcc
  -Wl,--as-needed -Wl,--disable-new-dtags)
add_custom_command(TARGET quorel-portable POST_BUILD
  COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/bundle-libs.sh $<TARGET_FILE:quorel-portable>
          ${QUOREL_PORTABLE_DIR}/lib
  VERBATIM)
