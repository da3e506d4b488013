#!/usr/bin/env bash
# Fails when an include runs against the layers: upward (a subsystem including app/, or the
# seam including the core), sideways against the order of the subsystems, from one backend into
# another, or an OS header in the portable core. Prints file:line: error: message per fault.
#
#   app/ -> session/ -> render/ -> menu/ -> profile/ -> platform/*.h (the seam)
#   platform/<backend>/ -> platform/*.h, portable/, res/; never another backend or the core
#
# Usage: check-includes.sh [ROOT]   (default: the repository this script is in)
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# What each folder may include, as a pattern on the included path. "seam" is a header directly
# in platform/; backends are the folders below it.
seam='platform/[a-z_]+\.h'
declare -A allowed=(
  [app]="app/|session/|render/|menu/|profile/|$seam|res/"
  [session]="session/|render/|menu/|profile/|$seam|res/"
  [render]="render/|menu/|profile/|$seam|res/"
  [menu]="menu/|profile/|$seam|res/"
  [profile]="profile/|$seam|res/"
  [portable]="portable/|$seam"
  [platform]="$seam"
  [platform/win32]="platform/win32/|$seam|portable/|res/"
  [platform/posix]="platform/posix/|$seam|portable/|res/"
  [platform/sdl]="platform/sdl/|$seam|portable/|res/"
  [platform/headless]="platform/headless/|$seam|portable/|res/"
  # Where the headless window meets each build's drawing code.
  [platform/headless_pixels]="platform/headless/|platform/sdl/|platform/win32/|$seam|res/"
  # The reload programs: one entry per system, on that system's backend.
  [reload]="reload/|platform/win32/|platform/posix/|$seam|res/"
)
# OS headers the portable code never sees (standard C and C++ headers are fine).
os_headers='windows\.h|shellapi\.h|mmsystem\.h|shlobj\.h|SDL|unistd\.h|sys/|pthread\.h|fcntl\.h|dirent\.h|poll\.h|dlfcn\.h|spawn\.h|signal\.h|fontconfig|ft2build\.h|X11/'
portable_folders=' app session render menu profile portable platform '

status=0
fault() {
  echo "$1: error: $2"
  status=1
}

while IFS= read -r file; do
  dir=${file%/*}
  [ "$dir" = "$file" ] && continue
  rules=${allowed[$dir]:-}
  [ -n "$rules" ] || continue
  while IFS=: read -r line text; do
    if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
      target=${BASH_REMATCH[1]}
      # A header of the file's own folder given without its folder.
      [[ $target == */* ]] || continue
      if ! [[ $target =~ ^(${rules}) ]]; then
        shown=${rules//"$seam"/platform/*.h}
        fault "$file:$line" "includes \"$target\", which $dir/ may not include (allowed: ${shown//|/, })"
      fi
    elif [[ $portable_folders == *" $dir "* && $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^\>]+)\> ]]; then
      target=${BASH_REMATCH[1]}
      if [[ $target =~ ^($os_headers) ]]; then
        fault "$file:$line" "includes <$target>: $dir/ is portable and sees the OS only through platform/*.h"
      fi
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(git ls-files -- '*.h' '*.cpp' 2>/dev/null || find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||')

if [ "$status" -eq 0 ]; then
  echo "includes: every include runs one way"
fi
exit "$status"
