// The transition effects: a composed image revealed in the window piece by piece, with pauses
// between the pieces. Core headers and platform/*.h only.
#pragma once

#include <cstdint>

#include "platform/handles.h"

// What the effects reveal: the picture's size, and the screen's depth (which decides pauses).
struct TransitionFrame {
  int32_t width;
  int32_t height;
  int32_t screenDepth;
};

// The effects a repaint can ask for, by the numbers RedrawWithEffect and pendingEffect carry.
constexpr int32_t EffectNone = -1;
constexpr int32_t EffectCells = 0;        // the first level shown
constexpr int32_t EffectOpenBox = 1;      // a deeper level opened
constexpr int32_t EffectCloseBorder = 2;  // back to the level before
constexpr int32_t EffectInterlace = 3;    // the page turned

// Reveals image in window with effect EffectCells to EffectInterlace; any other value copies
// nothing.
void RevealPicture(int32_t effect, DrawTarget* window, DrawTarget* image,
                   const TransitionFrame& frame);
// The screen, not the window, cut into cells of 20 pixels, each filled from its centre.
void RevealCells(DrawTarget* window, DrawTarget* image, const TransitionFrame& frame);
// A box growing from the centre.
void RevealOpenBox(DrawTarget* window, DrawTarget* image, const TransitionFrame& frame);
// A frame closing in from the border.
void RevealCloseBorder(DrawTarget* window, DrawTarget* image, const TransitionFrame& frame);
// Every eighth line, eight passes.
void RevealInterlace(DrawTarget* window, DrawTarget* image, const TransitionFrame& frame);
