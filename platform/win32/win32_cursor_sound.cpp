// Cursors through USER and sounds through the multimedia library, which is no known system DLL:
// it is loaded at run time from the system folder, never from beside the program.
#include <windows.h>

#include "platform/cursor.h"
#include "platform/sound.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_system_library.h"

CursorHandle LoadStandardCursor(StandardCursor which) {
  return ToCursorHandle(LoadCursorA(nullptr, which == StandardCursor::Wait ? IDC_WAIT : IDC_ARROW));
}

CursorHandle LoadCursorResource(int resourceId) {
  return ToCursorHandle(LoadCursorA(ProgramModule(), MAKEINTRESOURCEA(resourceId)));
}

void ShowCursorShape(CursorHandle cursor) { SetCursor(ToCursor(cursor)); }

int PlaySoundNamed(const char* name, uint32_t flags) {
  using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
  static const auto play =
      SystemFunction<PlaySoundFunction>(LoadSystemLibrary("winmm.dll"), "PlaySoundA");
  return play != nullptr && play(name, nullptr, flags) ? 1 : 0;
}
