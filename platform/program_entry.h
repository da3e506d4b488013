// What the menu program offers each system's process entry (WinMain, the Linux main): its whole
// life in one call. Provided by the program, called by the backends' entries. No OS headers.
#pragma once

// Which system's command-line forms apply. Windows: the forms as they are. Linux: "/" counts
// like "\" in the path form, there is no "/" restore test, and "--restore NAME" is the restore
// form.
enum class CommandLineRules { Windows, Linux };

// The whole life of the program: 1 when another copy runs, 0 when start-up failed, otherwise
// the quit message's exit code.
int MenuMain(void* instance, const char* commandLine, int showCommand, CommandLineRules rules);
