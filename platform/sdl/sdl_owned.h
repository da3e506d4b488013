// Small owners for SDL and SDL_ttf objects, and a guard that narrows a surface's clip
// rectangle for one drawing step. Needs SDL and SDL_ttf only.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <memory>

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using OwnedSurface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

struct TtfFontDeleter {
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
using OwnedTtfFont = std::unique_ptr<TTF_Font, TtfFontDeleter>;

// Restores a surface's clip rectangle when it goes out of scope.
class ClipGuard {
 public:
  explicit ClipGuard(SDL_Surface* surface) : surface_(surface) {
    SDL_GetClipRect(surface_, &saved_);
  }
  ~ClipGuard() { SDL_SetClipRect(surface_, &saved_); }
  ClipGuard(const ClipGuard&) = delete;
  ClipGuard& operator=(const ClipGuard&) = delete;

 private:
  SDL_Surface* surface_;
  SDL_Rect saved_;
};
