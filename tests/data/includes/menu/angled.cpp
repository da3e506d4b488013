// Fixture: the tree's own headers in angle brackets, checked as quoted ones are.
#include <app/menu_app.h>
#include <profile/profile.h>
