// Cursors through USER and sounds through the multimedia library.
#include <windows.h>
#include <mmsystem.h>

#include "platform/cursor.h"
#include "platform/sound.h"
#include "platform/win32/win32_handles.h"

CursorHandle LoadStandardCursor(StandardCursor which) {
  return ToCursorHandle(LoadCursorA(nullptr, which == StandardCursor::Wait ? IDC_WAIT : IDC_ARROW));
}

CursorHandle LoadCursorResource(int resourceId) {
  return ToCursorHandle(LoadCursorA(ProgramModule(), MAKEINTRESOURCEA(resourceId)));
}

void ShowCursorShape(CursorHandle cursor) { SetCursor(ToCursor(cursor)); }

int PlaySoundNamed(const char* name, uint32_t flags) {
  return PlaySoundA(name, nullptr, flags) ? 1 : 0;
}
