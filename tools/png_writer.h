// Writing an SDL surface to a PNG file. Needs SDL and libpng; nothing of the core.
#pragma once

#include <string>

struct SDL_Surface;

// Writes surface (any pixel format) as an 8-bit RGB PNG to path, by a temporary name and a
// rename (an existing link at path is replaced, not written through). true on success;
// otherwise false with the reason in *error, and path as it was.
bool WritePng(SDL_Surface* surface, const std::string& path, std::string* error);
