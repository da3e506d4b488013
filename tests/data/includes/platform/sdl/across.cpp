// Fixture: one backend including another, and the core.
#include "platform/posix/posix_launch.h"
#include "platform/sdl/sdl_font.h"
#include "platform/draw.h"
#include "app/menu_app.h"
