// The process entry of the menu program, shared by WinMain and the Linux main: the
// single-instance guard, the main window, the first definition file and the message loop.
// Standard C++, the core's own headers and platform/*.h only.
#pragma once

#include "app/command_line.h"
#include "app/menu_app.h"
#include "platform/program_entry.h"

// The single-instance guard's name.
constexpr char kInstanceGuardName[] = "INI Quorel 1.0 PreventSecondInstance";

// Creates the main window, initialises app, saves the start directory and opens what the
// command line asks for. 1 on success; 0 when the window cannot be made or the first
// definition file cannot be opened (after "Profile error - %s" and the destroy notification).
int InitInstance(CMenuApp& app, void* instance, int showCommand, const char* commandLine,
                 CommandLineRules rules);

// Rebuilds app's levels from the journal in sessionFile (the restore form): each level opened
// as a LINK entry opens it, the window centred after each; how many levels were opened.
int ReplayJournal(CMenuApp& app, const char* sessionFile);
