// The seam's accessibility calls on Windows: the view kept, the notices raised as WinEvents,
// oleacc and oleaut32 found in the system folder, WM_GETOBJECT answered.
#include "platform/win32/win32_access.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_system_library.h"

namespace {

AccessView* shownView = nullptr;

// The WinEvents of oleacc.h / winuser.h, for headers that predate them.
constexpr DWORD kObjectFocus = 0x8005;    // EVENT_OBJECT_FOCUS
constexpr DWORD kObjectReorder = 0x8004;  // EVENT_OBJECT_REORDER
constexpr LONG kClientObject = -4;        // OBJID_CLIENT
constexpr LONG kSelf = 0;                 // CHILDID_SELF

// NotifyWinEvent (Windows 98 and 2000 on); nothing is told where it is missing.
void Notify(DWORD event, HWND window, LONG child) {
  using NotifyFn = void(WINAPI*)(DWORD, HWND, LONG, LONG);
  static const auto notify =
      SystemFunction<NotifyFn>(GetModuleHandleA("user32.dll"), "NotifyWinEvent");
  if (notify != nullptr && window != nullptr) notify(event, window, kClientObject, child);
}

}  // namespace

LONG HighlightedChild() {
  if (shownView == nullptr) return kSelf;
  const size_t count = shownView->EntryCount();
  for (size_t i = 0; i < count; ++i) {
    AccessEntry entry;
    if (shownView->EntryAt(i, &entry) && entry.highlighted) return static_cast<LONG>(i) + 1;
  }
  return kSelf;
}

const AccessLibraries* AccessFunctions() {
  static const AccessLibraries* found = [] {
    static AccessLibraries functions{};
    const HMODULE oleacc = LoadSystemLibrary("oleacc.dll");
    const HMODULE oleaut = LoadSystemLibrary("oleaut32.dll");
    functions.resultFromObject =
        SystemFunction<decltype(functions.resultFromObject)>(oleacc, "LresultFromObject");
    functions.objectFromWindow =
        SystemFunction<decltype(functions.objectFromWindow)>(oleacc, "AccessibleObjectFromWindow");
    functions.allocString =
        SystemFunction<decltype(functions.allocString)>(oleaut, "SysAllocString");
    const bool complete = functions.resultFromObject != nullptr &&
                          functions.objectFromWindow != nullptr && functions.allocString != nullptr;
    return complete ? &functions : nullptr;
  }();
  return found;
}

AccessView* CurrentAccessView() { return shownView; }

void SetAccessView(AccessView* view) { shownView = view; }

void AccessHighlightChanged(WindowHandle window) {
  const LONG child = HighlightedChild();
  if (child != kSelf) Notify(kObjectFocus, ToHwnd(window), child);
}

void AccessEntriesChanged(WindowHandle window) {
  Notify(kObjectReorder, ToHwnd(window), kSelf);
  AccessHighlightChanged(window);
}

void PressAccessEntry(WPARAM index) {
  if (shownView != nullptr) shownView->Press(index);
}

LRESULT AnswerObjectRequest(HWND window, WPARAM flags, LPARAM objectId) {
  // The id arrives as a 32-bit value, sign-extended or not.
  if (static_cast<LONG>(objectId) != kClientObject) return 0;
  const AccessLibraries* functions = AccessFunctions();
  if (functions == nullptr) return 0;
  IAccessible* client = NewClientAccessible(window);
  if (client == nullptr) return 0;
  const LRESULT result = functions->resultFromObject(__uuidof(IAccessible), flags, client);
  client->Release();  // the result holds its own reference
  return result;
}
