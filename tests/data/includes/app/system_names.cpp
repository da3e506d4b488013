// Fixture: system headers no list of forbidden names knows; the standard ones are fine.
#include <winuser.h>
#include <pwd.h>
#include <vector>
#include <cstdint>
