// Message boxes through USER.
#include <windows.h>

#include "platform/message_box.h"
#include "platform/win32/win32_handles.h"

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  return MessageBoxA(ToHwnd(owner), text, caption, style);
}
