// A line of UTF-8 split into runs by the font that draws them: the menu's font, or for
// characters it lacks, the face fontconfig chooses for them. Measuring and drawing both go
// through these runs, so pictures and hit areas agree. Only the SDL drawing files include this.
#pragma once

#include <SDL_ttf.h>

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/sdl/sdl_font.h"

struct TextRun {
  std::string_view text;  // a piece of the line
  TTF_Font* ttf;          // the font that draws it
  int rise;               // pixels the run is drawn lower, so that its baseline is the line's
};

// The runs of utf8 (one when font has every character). A character that neither font nor any
// installed face has stays with font, which draws its box for it.
std::vector<TextRun> RunsOf(PlatformFont* font, std::string_view utf8);
