// Fonts of the SDL drawing backend: an SDL_ttf font sized so that its cell height is the one
// GDI would give, and the targets it is selected into. Only the SDL drawing files include this.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sdl/sdl_owned.h"

struct PlatformFont {
  OwnedTtfFont ttf;
  int points = 0;            // the size ttf is open at (1 dot per inch: 72nds of a pixel)
  int style = 0;             // its TTF_STYLE_ flags
  int fallbackStyle = 0;     // those of the fallback faces (a bold request: drawn bold)
  int32_t cellHeight = 0;    // ascent + descent in pixels, as the text height
  bool antialiased = false;  // blended glyphs; else plain ones
  std::vector<DrawTarget*> selectedIn;  // targets that hold it selected
  // Faces for characters ttf lacks (sdl_text_runs.h), opened at the same size and style as
  // they are first needed; keyed by FallbackFace::key.
  std::map<std::string, OwnedTtfFont> fallbacks;
};

// Cell heights beyond this are taken as this (a positive request of 100,000 pixels would
// otherwise make every text a picture of gigabytes); the character height is limited alike.
constexpr int32_t kMaxFontPixels = 2000;
// The cell height of a request of 0.
constexpr int32_t kDefaultFontPixels = 16;

// The font text on target is drawn with: the selected one, else the default font (plain,
// the default size). Null when no face can be opened.
PlatformFont* FontOf(DrawTarget* target);

// Removes target from the font's list of targets.
void ForgetFontTarget(PlatformFont* font, DrawTarget* target);
