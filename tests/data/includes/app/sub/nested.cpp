// Fixture: a folder below app/ without a rule of its own, including a backend.
#include "platform/sdl/sdl_font.h"
