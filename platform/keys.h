// Keys as the core reads them: the key messages of the window procedure, the key numbers of the
// keys the menu answers (the Windows virtual-key codes, which the SDL backend maps its keys to),
// and the state of a key at the moment. No OS headers here.
#pragma once

#include <cstdint>

// The key messages OnKey is given (WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN: a key with Alt).
constexpr uint32_t KeyMessageDown = 0x100;
constexpr uint32_t KeyMessageUp = 0x101;
constexpr uint32_t KeyMessageSystemDown = 0x104;

// The key message's flags: bit 29, Alt was held; bit 30, the key was already down (a repeat).
constexpr intptr_t KeyFlagAlt = intptr_t{1} << 29;
constexpr intptr_t KeyFlagRepeat = intptr_t{1} << 30;

// Key numbers (the virtual-key codes of the same keys).
constexpr uintptr_t KeyBackspace = 0x08;
constexpr uintptr_t KeyTab = 0x09;
constexpr uintptr_t KeyEnter = 0x0D;
constexpr uintptr_t KeyShift = 0x10;
constexpr uintptr_t KeyEscape = 0x1B;
constexpr uintptr_t KeySpace = 0x20;
constexpr uintptr_t KeyPageUp = 0x21;
constexpr uintptr_t KeyPageDown = 0x22;
constexpr uintptr_t KeyEnd = 0x23;
constexpr uintptr_t KeyHome = 0x24;
constexpr uintptr_t KeyLeft = 0x25;
constexpr uintptr_t KeyUp = 0x26;
constexpr uintptr_t KeyRight = 0x27;
constexpr uintptr_t KeyDown = 0x28;

// Whether key is held down as the message being handled was sent (GetKeyState). 1 or 0.
int IsKeyHeld(uintptr_t key);
