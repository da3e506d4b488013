// What Windows says about an error code, as one line. Windows build of the tool only.
#pragma once

#include <windows.h>

#include <string>

// The system's text for error (FormatMessageA), without the line break at its end; "error N"
// when there is none.
std::string SystemMessage(DWORD error);
