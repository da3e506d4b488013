// Fixture: the lowest subsystem including a backend and a higher subsystem.
#include "platform/sdl/sdl_font.h"
#include "menu/menu_page.h"
#include "platform/file_system.h"
