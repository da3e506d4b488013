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

// Reveals image in window with effect 0 to 3 (cells, opening box, closing border, interlaced
// lines); any other value copies nothing.
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
