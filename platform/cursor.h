// Cursors: the system's standard ones and the program's own, and showing one.
// No OS headers here.
#pragma once

#include "platform/handles.h"

enum class StandardCursor { Arrow, Wait };

// The system's arrow or wait cursor (LoadCursorA with a null module).
CursorHandle LoadStandardCursor(StandardCursor which);
// A cursor from the program's resources, by number; null when missing.
CursorHandle LoadCursorResource(int resourceId);
// Shows cursor (SetCursor). Cursors are loaded once and never destroyed.
void ShowCursorShape(CursorHandle cursor);
