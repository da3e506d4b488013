#!/usr/bin/env bash
# Fails when an include runs against the layers: upward (a subsystem including app/, or the
# seam including the core), sideways against the order of the subsystems, from one backend into
# another, or a system header in portable code. Prints file:line: error: message per fault.
#
#   app/ -> session/ -> render/ -> menu/ -> profile/ -> platform/*.h (the seam)
#   platform/<backend>/ -> platform/*.h, portable/, res/; never another backend or the core
#
# Everything is by allow-list: every folder with sources needs a rule below (a new folder fails
# until it gets one); portable code includes in angle brackets only the standard C++ headers;
# every form is checked (quoted, angled, with ./ and ../), each taken as the file it names.
#
# Usage: check-includes.sh [ROOT]   (default: the repository this script is in)
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# What each folder may include, as a pattern on the included path. "seam" is a header directly
# in platform/; backends are the folders below it. A rule "X/**" covers X and every folder in it.
seam='platform/[a-z_]+\.h'
anything='.*'
declare -A allowed=(
  [app]="app/|session/|render/|menu/|profile/|$seam|res/"
  [session]="session/|render/|menu/|profile/|$seam|res/"
  [render]="render/|menu/|profile/|$seam|res/"
  [menu]="menu/|profile/|$seam|res/"
  [profile]="profile/|$seam|res/"
  [portable]="portable/|$seam"
  [platform]="$seam"
  [res]="res/"
  [platform/win32]="platform/win32/|$seam|portable/|res/"
  [platform/posix]="platform/posix/|$seam|portable/|res/"
  [platform/sdl]="platform/sdl/|$seam|portable/|res/"
  [platform/headless]="platform/headless/|$seam|portable/|res/"
  # Where the headless window meets each build's drawing code.
  [platform/headless_pixels]="platform/headless/|platform/sdl/|platform/win32/|$seam|res/"
  # The reload programs: one entry per system, on that system's backend.
  [reload]="reload/|platform/win32/|platform/posix/|$seam|res/"
  # The programs on top may use anything below them.
  [tools/**]="$anything"
  [bench/**]="$anything"
  [tests/**]="$anything"
)
# Folders that may include system and third-party headers (<windows.h>, <SDL.h>, POSIX): the
# backends, the reload programs and the programs on top. The rest is portable.
system_folders=' platform/win32 platform/posix platform/sdl platform/headless platform/headless_pixels reload tools/** bench/** tests/** '
# What portable code may include in angle brackets: the C++17 standard library.
standard='algorithm|any|array|atomic|bitset|cassert|cctype|cerrno|cfenv|cfloat|charconv|chrono|cinttypes|climits|clocale|cmath|complex|condition_variable|csetjmp|csignal|cstdarg|cstddef|cstdint|cstdio|cstdlib|cstring|ctime|cuchar|cwchar|cwctype|deque|exception|execution|filesystem|forward_list|fstream|functional|future|initializer_list|iomanip|ios|iosfwd|iostream|istream|iterator|limits|list|locale|map|memory|memory_resource|mutex|new|numeric|optional|ostream|queue|random|ratio|regex|scoped_allocator|set|shared_mutex|sstream|stack|stdexcept|streambuf|string|string_view|system_error|thread|tuple|type_traits|typeindex|typeinfo|unordered_map|unordered_set|utility|valarray|variant|vector'

status=0
fault() {
  echo "$1: error: $2"
  status=1
}

# The rule that covers folder dir: its own, else the nearest "X/**" above it; empty when none.
rule_of() {
  local dir=$1 up=$1
  if [ -n "${allowed[$dir]+set}" ]; then
    echo "$dir"
    return
  fi
  while :; do
    if [ -n "${allowed[$up/**]+set}" ]; then
      echo "$up/**"
      return
    fi
    [[ $up == */* ]] || return 0
    up=${up%/*}
  done
}

# path with its "." and ".." steps taken; a path that climbs out of the tree keeps its "..".
normalise() {
  local part out=()
  local IFS=/
  for part in $1; do
    case $part in
      '' | .) ;;
      ..) if [ ${#out[@]} -gt 0 ] && [ "${out[-1]}" != .. ]; then unset 'out[-1]'; else out+=(..); fi ;;
      *) out+=("$part") ;;
    esac
  done
  echo "${out[*]}"
}

# The file a quoted include names, as the compiler looks for it: beside the including file
# first (always so for "./", "../" and a name without a folder), else from the tree's root.
quoted_path() {
  local dir=$1 target=$2
  if [[ $target != */* || $target == ./* || $target == ../* || -f $dir/$target ]]; then
    normalise "$dir/$target"
  else
    normalise "$target"
  fi
}

# Whether an angled include names a file of this tree (its first folder is one of the tree's).
in_tree() {
  [[ $1 == */* && -d ${1%%/*} ]]
}

check_file() {
  local file=$1 dir=${1%/*}
  local key rules shown system=false line text form target path
  key=$(rule_of "$dir")
  if [ -z "$key" ]; then
    fault "$file" "$dir/ has no include rule: give it one in scripts/check-includes.sh"
    return
  fi
  rules=${allowed[$key]}
  [[ $system_folders == *" $key "* ]] && system=true
  shown=${rules//"$seam"/platform/*.h}
  shown=${shown//|/, }
  while IFS=: read -r line text; do
    if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
      form=\"${BASH_REMATCH[1]}\"
      path=$(quoted_path "$dir" "${BASH_REMATCH[1]}")
    elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^\>]+)\> ]]; then
      target=${BASH_REMATCH[1]}
      form="<$target>"
      if ! in_tree "$target"; then
        if ! $system && ! [[ $target =~ ^($standard)$ ]]; then
          fault "$file:$line" "includes $form: $dir/ is portable and sees the OS only through platform/*.h"
        fi
        continue
      fi
      path=$(normalise "$target")
    else
      continue
    fi
    if ! [[ $path =~ ^(${rules}) ]]; then
      [ "$form" = "\"$path\"" ] || form="$form ($path)"
      fault "$file:$line" "includes $form, which $dir/ may not include (allowed: $shown)"
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
}

while IFS= read -r file; do
  [[ $file == */* ]] || continue
  check_file "$file"
done < <(git ls-files -- '*.h' '*.cpp' 2>/dev/null || find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||')

if [ "$status" -eq 0 ]; then
  echo "includes: every include runs one way"
fi
exit "$status"
