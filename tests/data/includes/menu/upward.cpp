// Fixture: an include that runs upward, one sideways against the order, an OS header.
#include "app/menu_app.h"
#include "render/dib.h"
#include "profile/profile.h"
#include <SDL.h>
#include <cstdio>
