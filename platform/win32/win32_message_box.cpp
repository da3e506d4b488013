// Message boxes through USER: the wide call on the NT family, the ANSI one on the 95 family.
#include <windows.h>

#include "platform/message_box.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  if (WideSystem()) {
    const std::wstring wideText = WideOf(text), wideCaption = WideOf(caption);
    return QUOREL_WIDE("user32.dll", MessageBoxW)(
        ToHwnd(owner), wideText.c_str(), caption != nullptr ? wideCaption.c_str() : nullptr, style);
  }
  const std::string ansiText = AnsiOf(text), ansiCaption = AnsiOf(caption);
  return MessageBoxA(ToHwnd(owner), ansiText.c_str(),
                     caption != nullptr ? ansiCaption.c_str() : nullptr, style);
}
