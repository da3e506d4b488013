// Handing a file to the system's shell with a verb, as a clicked menu item asks.
// No OS headers here.
#pragma once

#include "platform/handles.h"

// Opens file with verb (ShellExecuteA with SW_SHOW): a program is started, a document opened in
// its application, a folder shown. parameters and directory may be null (none; the current
// directory). Nothing is reported back: whether anything started is not known to the caller.
// What cannot be started is told to the user by the system (the Windows shell's box; on Linux a
// message box naming the file and the reason).
void OpenWithShell(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory);
