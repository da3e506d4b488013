#!/usr/bin/env bash
# Fails when a Windows program imports a DLL at load time that is not one of Windows' known DLLs:
# the programs run from a disc and must carry their runtime inside, and Windows looks for any
# other DLL in the program's own folder first (a Downloads folder, a shared stick), where a
# planted one would run inside the program. Others are loaded at run time by full path.
set -euo pipefail
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comdlg32|ole32|oleaut32|msvcrt|ws2_32|shlwapi)\.dll$'
status=0
for exe in "$@"; do
  dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
  [ -n "$dlls" ] || { echo "$exe: no imports found" >&2; status=1; }
  for dll in $dlls; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "$exe imports $dll, which is not a system DLL" >&2
      status=1
    fi
  done
  echo "$exe: $(echo $dlls | tr '\n' ' ')"
done
exit $status
