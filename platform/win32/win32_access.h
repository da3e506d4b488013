// Microsoft Active Accessibility for the main window: the system libraries it needs (loaded at
// run time, so a system without them starts all the same), the answer to WM_GETOBJECT, and the
// default action carried out from the window's own message loop. platform/win32 only.
#pragma once

#include <oleacc.h>
#include <windows.h>

#include "platform/access.h"

// The functions of oleacc and oleaut32 the client object uses.
struct AccessLibraries {
  LRESULT(WINAPI* resultFromObject)(REFIID, WPARAM, LPUNKNOWN);
  HRESULT(WINAPI* objectFromWindow)(HWND, DWORD, REFIID, void**);
  BSTR(WINAPI* allocString)(const OLECHAR*);
};
// Null when a library or function is missing (Windows 95 without the accessibility add-on).
const AccessLibraries* AccessFunctions();

// The view the objects read; null while the program gives none.
AccessView* CurrentAccessView();
// The highlighted entry's child id (its index plus one); 0 (CHILDID_SELF) when none is.
LONG HighlightedChild();

// Posted by the default action with the entry's index: carried out as the window's message.
constexpr UINT kAccessPressMessage = WM_APP + 1;
void PressAccessEntry(WPARAM index);

// WM_GETOBJECT: the client object for OBJID_CLIENT; 0 (for the default processing) otherwise,
// or when accessibility is not available.
LRESULT AnswerObjectRequest(HWND window, WPARAM flags, LPARAM objectId);

// A new client object of window, with one reference; null when out of memory.
IAccessible* NewClientAccessible(HWND window);
