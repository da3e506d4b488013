// The menu program's one application object, in static storage: built before the process
// entry runs and destroyed at process exit. Core headers only.
#include "app/menu_app.h"

CMenuApp theApp;
