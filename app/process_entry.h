// The process entry of the menu program, shared by WinMain and the Linux main: the
// single-instance guard, the main window, the first definition file and the message loop.
// Standard C++, the core's own headers and platform/*.h only.
#pragma once

#include "app/command_line.h"
#include "app/menu_app.h"

// The single-instance guard's name.
constexpr char kInstanceGuardName[] = "INI Quorel 1.0 PreventSecondInstance";

// Creates the main window, initialises app, saves the start directory and opens what the
// command line asks for. 1 on success; 0 when the window cannot be made or the first
// definition file cannot be opened (after "Profile error - %s" and the destroy notification).
int InitInstance(CMenuApp& app, void* instance, int showCommand, const char* commandLine,
                 CommandLineRules rules);

// The whole life of the program: 1 when another copy runs, 0 when start-up failed, otherwise
// the quit message's exit code.
int MenuMain(void* instance, const char* commandLine, int showCommand, CommandLineRules rules);
