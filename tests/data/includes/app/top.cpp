// Fixture: the top including a backend and an OS header; the rest is allowed.
#include "platform/sdl/sdl_font.h"
#include "platform/window.h"
#include "session/journal_replay.h"
#include <windows.h>
#include <vector>
