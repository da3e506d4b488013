// Fixture: paths with ./ and ../ steps, each taken as the file it names.
#include "menu/../app/menu_app.h"
#include "./menu_page.h"
#include "../profile/profile.h"
