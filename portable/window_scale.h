// The whole-number factor a window is enlarged by on screens of high density: the rules both
// window backends share (what QUOREL_SCALE and the screen's dots per inch ask for, and the
// largest factor that fits). Arithmetic only; no OS headers.
#pragma once

// Largest factor a window is enlarged by.
constexpr int kLargestScale = 4;
// The dots per inch of a screen at factor 1.
constexpr int kBaseDpi = 96;

// A whole decimal number with nothing but blanks (space, tab) around it; -1 otherwise, for a
// null text, or beyond 9999.
int WholeNumberIn(const char* text);

// The factor QUOREL_SCALE asks for: a whole number from 1 to 4; 0 when the text is null or
// anything else (the next source decides).
int OwnScale(const char* quorelScale);

// The factor of a screen's dots per inch: dpi / 96 rounded down, from 1 to 4 (1 for 0 or less).
int ScaleForDpi(int dpi);

// The factor the Windows build asks for: OwnScale(quorelScale) when it gives one, else
// ScaleForDpi(dpi).
int WantedWindowsScale(const char* quorelScale, int dpi);

// The largest factor from 1 to wanted (4 at most) at which width x height fits into
// areaWidth x areaHeight; 1 when none does or the area's size is unknown (0 or less).
int FittingScale(int wanted, int width, int height, int areaWidth, int areaHeight);
