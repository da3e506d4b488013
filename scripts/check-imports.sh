#!/usr/bin/env bash
# Fails when a Windows program imports a DLL at load time that is not one of Windows' known DLLs,
# or a wide function that the Windows 95 family lacks:
# the programs run from a disc and must carry their runtime inside, and Windows looks for any
# other DLL in the program's own folder first (a Downloads folder, a shared stick), where a
# planted one would run inside the program. Others are loaded at run time by full path.
set -euo pipefail
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comdlg32|ole32|oleaut32|msvcrt|ws2_32|shlwapi)\.dll$'
# Wide functions the 95 family exports (working, or failing at the call): any other one in the
# import table would stop the program from loading there. The programs find the wide calls
# they make on the NT family at run time.
wide_on_95='^(lstrlenW|GetModuleHandleW|LoadLibraryW|MultiByteToWideChar|WideCharToMultiByte|_wfopen)$'
status=0
# Programs after --tests (the authoring tool and test programs, for the NT family) skip the
# wide check.
programs=1
for exe in "$@"; do
  if [ "$exe" = --tests ]; then programs=0; continue; fi
  dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
  [ -n "$dlls" ] || { echo "$exe: no imports found" >&2; status=1; }
  for dll in $dlls; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "$exe imports $dll, which is not a system DLL" >&2
      status=1
    fi
  done
  [ $programs = 1 ] && for name in $(i686-w64-mingw32-objdump -p "$exe" | awk 'NF == 3 && $1 ~ /^[0-9a-f]+$/ && $3 ~ /W$/ {print $3}'); do
    if ! [[ $name =~ $wide_on_95 ]]; then
      echo "$exe imports $name, which the Windows 95 family lacks" >&2
      status=1
    fi
  done
  echo "$exe: $(echo $dlls | tr '\n' ' ')"
done
exit $status
