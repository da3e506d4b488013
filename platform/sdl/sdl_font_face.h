// Finding the face file that stands for the system's proportional serif face, through
// fontconfig, and how its cell height relates to its em. Needs fontconfig and SDL_ttf only.
#pragma once

#include <cstdint>
#include <string>

struct FontFace {
  std::string path;       // the face file
  int index = 0;          // the face's number in a collection file
  bool synthesiseBold;    // bold was asked for but the file is not a bold face
  bool synthesiseItalic;  // likewise for italic
  double cellPerEm;       // ascent + descent over the em height
};

// The face for the given weight and slant: fontconfig's match for "Times New Roman", which
// falls back to its "serif" alias. Looked up once per combination; null when no face file can
// be opened. Starts SDL_ttf when needed.
const FontFace* FindFontFace(bool bold, bool italic);

// The face fontconfig chooses to draw the character code (preferring serif faces), when one has
// it; null when no installed face does. Looked up once per character.
const FontFace* FallbackFaceFor(uint32_t code);
