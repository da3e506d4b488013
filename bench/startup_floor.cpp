// The floor for the start-up measurement: the least an SDL program does to show a background
// in a window of its size (window surface, one copy), timed by startup_time.py beside the menu.
// SDL only.
#include <SDL.h>

#include <cstdio>

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "background.bmp";
  // The window surface as a plain image, as the menu has it: no renderer to set up.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "startup_floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Surface* picture = SDL_LoadBMP(path);
  if (picture == nullptr) {
    std::fprintf(stderr, "startup_floor: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        picture->w, picture->h, 0);
  const auto show = [&] {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    return surface != nullptr && SDL_BlitSurface(picture, nullptr, surface, nullptr) == 0 &&
           SDL_UpdateWindowSurface(window) == 0;
  };
  int result = window != nullptr && show() ? 0 : 1;
  // Drawn again whenever the window is exposed, as a program has to; ends on a close request.
  for (SDL_Event event; result == 0 && SDL_WaitEvent(&event) && event.type != SDL_QUIT;) {
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED && !show()) {
      result = 1;
    }
  }
  SDL_FreeSurface(picture);
  if (window != nullptr) SDL_DestroyWindow(window);
  SDL_Quit();
  return result;
}
