// What the process entry and the window events ask of the window system: the single-instance
// guard, the main window's class and life, the message loop, the About box and the quit
// message. No OS headers here.
#pragma once

#include <cstdint>

#include "platform/handles.h"

// --- Single instance -----------------------------------------------------------------------

// Claims the guard called name for this process (CreateMutexA owned from the start).
// 1 when this is the only copy, 0 when another copy already holds it.
int ClaimSingleInstance(const char* name);
// Lets go of the guard (CloseHandle on the mutex); nothing when none is held.
void ReleaseSingleInstance();
// Looks for the other copy's main window of class className; when found, restores it to
// normal size if it is minimised and brings it to the foreground.
void ActivateOtherCopy(const char* className);

// --- The main window -----------------------------------------------------------------------

// Registers the main window's class className (no double-click style, icons 107 and 108, no
// class cursor, the window background colour). Its result is not looked at.
void RegisterMainClass(void* instance, const char* className);
// Creates the main window invisible, with caption title, a system menu and a minimise box,
// position and size left to the system. Null on failure.
WindowHandle CreateMainWindow(void* instance, const char* className, const char* title);
// Shows the window as showCommand asks (ShowWindow).
void ShowWindowAs(WindowHandle window, int showCommand);
// Paints what is invalid now (UpdateWindow).
void UpdateWindowNow(WindowHandle window);
// Destroys the window (DestroyWindow); the destroy notification runs before this returns.
void DestroyMainWindow(WindowHandle window);
// Sends the destroy notification without destroying the window (SendMessageA WM_DESTROY).
void SendDestroyNotice(WindowHandle window);
// Sends a close request to the window (SendMessageA WM_CLOSE), which asks the exit question.
void SendCloseRequest(WindowHandle window);
// Appends a separator and "About..." (command 104) to the window's system menu.
void AddAboutToSystemMenu(WindowHandle window);

// --- Message loop --------------------------------------------------------------------------

// Posts the quit message with exitCode (PostQuitMessage).
void PostQuit(int exitCode);
// Loads the accelerator table and dispatches messages until the quit message arrives;
// returns its exit code.
int RunMessageLoop(void* instance);

// --- About boxes ---------------------------------------------------------------------------

enum class AboutBoxKind {
  Command,     // command 104 from the accelerators: OK, Escape and the close box end it
  SystemMenu,  // "About..." of the system menu: OK and the close box end it, Escape does not
};
// Shows the About box (dialog 103) modal to owner and returns when it is closed.
void ShowAboutBox(WindowHandle owner, void* instance, AboutBoxKind kind);
