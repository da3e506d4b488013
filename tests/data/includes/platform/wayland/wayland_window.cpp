// Fixture: a backend folder that has no rule yet, including the top.
#include "app/menu_app.h"
