// Drawing services the core relies on, each with the observable contract of the GDI call
// it stands for: images at the display's depth, drawing targets, copies, fonts and text.
// No OS headers here.
#pragma once

#include <cstdint>

#include "platform/handles.h"

// --- Images and targets -------------------------------------------------------------------

// An image of width x height at bitsPerPixel (the display's depth), its pixels taken from
// initialBits when not null (CreateBitmap). Null on failure or for a non-positive size.
ImageHandle CreateImage(int32_t width, int32_t height, int32_t bitsPerPixel,
                        const void* initialBits);
// Frees an image; null is ignored (DeleteObject).
void DeleteImage(ImageHandle image);
// A picture from the program's resources, by number (LoadBitmapA); null when missing.
ImageHandle LoadImageResource(int resourceId);

// A drawing target for images, compatible with target (CreateCompatibleDC); null on failure.
DrawTarget* CreateImageTarget(DrawTarget* compatibleWith);
// Frees a target made by CreateImageTarget (DeleteDC).
void DeleteImageTarget(DrawTarget* target);
// Makes image the one drawn on by an image target; returns the image selected before.
ImageHandle SelectImage(DrawTarget* target, ImageHandle image);

// Copies width x height pixels from source at (xSrc, ySrc) to target at (x, y), clipped to
// both (BitBlt with SRCCOPY). 1 on success, 0 on failure.
int BlitImage(DrawTarget* target, int32_t x, int32_t y, int32_t width, int32_t height,
              DrawTarget* source, int32_t xSrc, int32_t ySrc);

// Limits drawing on an image target to rect as well (right and bottom exclusive), so that
// copies and text outside it leave the image as it is (IntersectClipRect); null lifts every
// limit again (SelectClipRgn with null).
void LimitDrawing(DrawTarget* target, const Rect* rect);

// Inverts every other pixel of the outline of rect (right and bottom exclusive), as the dotted
// frame that marks the keyboard's place (DrawFocusRect); drawing it twice restores the pixels.
// Nothing for an empty rectangle.
void DrawFocusFrame(DrawTarget* target, const Rect& rect);

// Bits per pixel of what target draws on (GetDeviceCaps BITSPIXEL).
int32_t TargetBitsPerPixel(DrawTarget* target);

// --- Fonts and text -----------------------------------------------------------------------

// What a font is made from (CreateFontA with width, escapement, orientation and strike-out 0,
// the default character set, default precisions, variable-pitch roman family, no face name).
struct FontRequest {
  int32_t height;     // > 0: cell height in pixels; < 0: character height; 0: a default size
  int32_t weight;     // 400 normal, 700 bold
  int32_t italic;     // 0 or 1
  int32_t underline;  // 0 or 1
  int32_t quality;    // 3 plain glyphs, 4 antialiased
};
constexpr int32_t FontWeightNormal = 400;
constexpr int32_t FontWeightBold = 700;
constexpr int32_t FontQualityPlain = 3;
constexpr int32_t FontQualityAntialiased = 4;

// Null on failure.
FontHandle CreateFontFor(const FontRequest& request);
// Frees a font; null is ignored.
void DeleteFont(FontHandle font);
// Makes font the one text is drawn with; returns the font selected before.
FontHandle SelectFont(DrawTarget* target, FontHandle font);

struct TextExtent {
  int32_t cx;
  int32_t cy;
};
// Width and height of the first count characters of text in the selected font
// (GetTextExtentPoint32A); a count of 0 gives width 0 and the font's height. 1 or 0.
int MeasureText(DrawTarget* target, const char* text, int32_t count, TextExtent* extent);

// Formats of DrawTextIn; 0 is left- and top-aligned on one line.
constexpr uint32_t TextCenter = 0x1;
constexpr uint32_t TextWordBreak = 0x10;
// Draws count characters of text (-1: up to the NUL) into rect (right and bottom exclusive),
// clipped to it, in the text colour (DrawTextA). Returns the height of the text drawn.
int32_t DrawTextIn(DrawTarget* target, const char* text, int32_t count, const Rect& rect,
                   uint32_t format);

// Writes text at x, y of target in its selected font and colours (TextOutA).
void DrawTextAt(DrawTarget* target, int32_t x, int32_t y, const char* text);

// 1 when some installed font draws the character code (text with it shows no box), else 0.
// Answers 1 where the system picks fonts for characters itself.
int CanDrawCharacter(uint32_t code);

// Sets the text colour; returns the one before (SetTextColor).
ColorRef SetTextColour(DrawTarget* target, ColorRef colour);

// Background modes (SetBkMode): text drawn over what is there, or on a filled box.
constexpr int32_t BackgroundTransparent = 1;
constexpr int32_t BackgroundOpaque = 2;
// Sets the background mode; returns the one before.
int32_t SetBackgroundMode(DrawTarget* target, int32_t mode);
