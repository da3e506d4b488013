// The sizes and places a settings record gives the picture: fonts from text styles, the hint
// line, the title rectangle, and image buffer sizes. Core headers and platform/*.h only.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "profile/menu_item.h"
#include "profile/menu_settings.h"

// A font for style (size, weight, italic, underline, anti-aliasing).
FontHandle MakeFont(const TextStyle& style);

// The hint line's rectangle (right and bottom exclusive) for a background of width x height:
// below the items unless settings give its place; without HintEndX it reaches one pixel past
// the background's right and bottom edges.
Rect HintRectFor(const MenuSettings& settings, int32_t width, int32_t height);

// When any of the title rectangle's four values is missing, all four are computed: the title
// measured in titleFont on target, centred at the top of a background width wide.
void PlaceTitle(MenuSettings* settings, FontHandle titleFont, DrawTarget* target, int32_t width);

// Characters of the title to measure and draw; never beyond its buffer.
int32_t TitleCount(const MenuSettings& settings);
// The title as PaintTitle draws it: in the title rectangle, its shadow with the title style's;
// no text when DrawTitle is 0 or the title is empty.
TextDraw TitleDrawOf(const MenuSettings& settings);

// Bytes of an image of width x height at bitsPerPixel with rows padded to 4 bytes: enough for
// any device's row alignment. 0 for sizes that make no image.
uint64_t ImageBytes(int32_t width, int32_t height, int32_t bitsPerPixel);
