// Modal message boxes as the core shows them: a text, a caption, buttons and an icon.
// No OS headers here.
#pragma once

#include "platform/handles.h"

// Button and icon styles, combined with |; the values are those of the Win32 MB_* flags.
constexpr unsigned MessageOk = 0x0;
constexpr unsigned MessageYesNo = 0x4;
constexpr unsigned MessageIconError = 0x10;
constexpr unsigned MessageIconQuestion = 0x20;
constexpr unsigned MessageIconInformation = 0x40;

// The button that closed the box; the values are those of IDOK, IDYES and IDNO.
constexpr int ResultOk = 1;
constexpr int ResultYes = 6;
constexpr int ResultNo = 7;

// Shows text with caption and returns when the user has closed the box, with the button
// that closed it. A null owner means the box belongs to no window.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style);
