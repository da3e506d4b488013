// The real main window on SDL: making it (the window class part of the shell), its drawing
// targets, screen metrics, placing, sizing, showing, caption and the area waiting to be painted.
// SDL and the embedded resources only; events go to the application from sdl_event_loop.cpp.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <SDL_syswm.h>

#include "platform/app_shell.h"
#include "platform/image_limits.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sdl/sdl_event_loop.h"
#include "platform/sdl/sdl_resources.h"
#include "platform/sdl/sdl_scale.h"
#include "platform/sdl/sdl_window_state.h"
#include "platform/window.h"
#include "portable/text_decoding.h"
#include "res/resource_ids.h"

namespace {

// The size a new window gets before the first settings size it (Windows' default size is the
// system's choice too).
constexpr int kFirstWidth = 640;
constexpr int kFirstHeight = 480;
// The picture is always composed at 32 bits, whatever the X visual, so that it equals the
// headless picture pixel for pixel.
constexpr int32_t kScreenDepth = 32;
// X window positions are 16-bit values.
constexpr int32_t kLargestOffset = 32767;

struct WindowState {
  std::unique_ptr<PlatformWindow> window;
  HandedTargets windowTargets;  // handed out on the window
  HandedTargets screenTargets;  // handed out on the screen
};

WindowState& State() {
  static WindowState state;
  return state;
}

// Points every target held on the window at surface (null: draws nothing).
void RetargetWindowTargets(SDL_Surface* surface) {
  for (auto& target : State().windowTargets) target->surface = surface;
}

int DisplayOf(const PlatformWindow* window) {
  if (window == nullptr) return 0;
  const int index = SDL_GetWindowDisplayIndex(window->sdl);
  return index >= 0 ? index : 0;
}

SDL_DisplayMode DesktopMode() {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(DisplayOf(MainWindow()), &mode) != 0) mode = SDL_DisplayMode{};
  return mode;
}

struct Frame {
  int top = 0, left = 0, bottom = 0, right = 0;
};

// The window manager's frame around the client area; none without a window manager.
Frame FrameOf(const PlatformWindow* window) {
  Frame frame;
  if (SDL_GetWindowBordersSize(window->sdl, &frame.top, &frame.left, &frame.bottom, &frame.right) !=
      0) {
    frame = Frame{};
  }
  return frame;
}

// The first X client library that SDL's X11 driver needs and cannot load, or null. Only SDL
// builds that load them at run time (the disc's program) name them; elsewhere they are linked.
const char* MissingXLibrary() {
#ifdef SDL_VIDEO_DRIVER_X11_DYNAMIC
  static const char* const kNeeded[] = {
      SDL_VIDEO_DRIVER_X11_DYNAMIC,
#ifdef SDL_VIDEO_DRIVER_X11_DYNAMIC_XEXT
      SDL_VIDEO_DRIVER_X11_DYNAMIC_XEXT,
#endif
  };
  for (const char* name : kNeeded) {
    void* library = SDL_LoadObject(name);
    if (library == nullptr) return name;
    SDL_UnloadObject(library);
  }
#endif
  return nullptr;
}

// Without a display nothing can be shown. The failed start of the shared code ends with 0, which
// a desktop or a script would take for success: the program ends here with 1, after one line
// that says why (a missing X client library first: SDL itself then only finds no driver).
[[noreturn]] void EndWithoutDisplay(const std::string& why) {
  if (const char* missing = MissingXLibrary()) {
    std::fprintf(stderr, "quorel: no display: the X client library %s is missing\n", missing);
  } else {
    std::fprintf(stderr, "quorel: no display: %s\n", why.c_str());
  }
  ReleaseSingleInstance();
  std::exit(1);
}

// Whether the video driver shows windows on a screen, or was asked for by name.
bool OnScreen() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
  const bool screenless =
      std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  return !screenless || (asked != nullptr && asked[0] != '\0');
}

// The X resources of the display the window is on, as text; null when they cannot be read
// (another video driver, no resources set).
const char* XResourcesOf(SDL_Window* window) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
    return nullptr;
  void* x11 = SDL_LoadObject("libX11.so.6");  // already loaded: only the reference count grows
  if (x11 == nullptr) return nullptr;
  using ResourceString = char* (*)(Display*);
  auto resources =
      reinterpret_cast<ResourceString>(SDL_LoadFunction(x11, "XResourceManagerString"));
  return resources != nullptr ? resources(info.info.x11.display) : nullptr;
}

// The factor the desktop asks for, read once: QUOREL_SCALE, GDK_SCALE, Xft.dpi.
int DesktopScale(SDL_Window* window) {
  static const int scale =
      WantedScale(SDL_getenv("QUOREL_SCALE"), SDL_getenv("GDK_SCALE"), XResourcesOf(window));
  return scale;
}

// The picture surface of a scaled window at the client area's size, made anew when its size
// changed; none at scale 1.
void RemakePicture(PlatformWindow* window) {
  if (window->scale <= 1) {
    window->picture.reset();
    return;
  }
  int width = 0, height = 0;
  ClientSize(window, &width, &height);
  if (window->picture && window->picture->w == width && window->picture->h == height) return;
  window->picture.reset();
  if (width <= 0 || height <= 0 || int64_t{width} * height > kMaxImagePixels) return;
  SDL_Surface* screen = SDL_GetWindowSurface(window->sdl);
  const Uint32 format =
      screen != nullptr ? screen->format->format : static_cast<Uint32>(SDL_PIXELFORMAT_RGB888);
  window->picture.reset(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, format));
}

void SetIcon(SDL_Window* window) {
  const EmbeddedResource icon = FindEmbeddedResource(ResourceKind::Icon, IDI_APP);
  if (icon.data == nullptr) return;
  SDL_RWops* stream = SDL_RWFromConstMem(icon.data, static_cast<int>(icon.size));
  if (stream == nullptr) return;
  SDL_Surface* picture = SDL_LoadBMP_RW(stream, 1);
  if (picture == nullptr) return;
  SDL_SetWindowIcon(window, picture);
  SDL_FreeSurface(picture);
}

}  // namespace

// --- Shared with the event loop -------------------------------------------------------------

PlatformWindow* MainWindow() { return State().window.get(); }

SDL_Surface* WindowSurface(PlatformWindow* window) {
  if (window == nullptr) return nullptr;
  int width = 0, height = 0;
  ClientSize(window, &width, &height);
  if (int64_t{width} * height > kMaxImagePixels) return nullptr;
  if (window->scale > 1) return window->picture.get();
  return SDL_GetWindowSurface(window->sdl);
}

void ClientSize(const PlatformWindow* window, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (window == nullptr) return;
  SDL_GetWindowSize(window->sdl, width, height);
  const int scale = window->scale > 1 ? window->scale : 1;
  *width /= scale;
  *height /= scale;
}

void PresentWindow(PlatformWindow* window, const SDL_Rect* rects, int count) {
  if (window == nullptr || window->sdl == nullptr) return;
  if (window->scale <= 1 || !window->picture) {
    if (rects == nullptr) {
      SDL_UpdateWindowSurface(window->sdl);
    } else {
      SDL_UpdateWindowSurfaceRects(window->sdl, rects, count);
    }
    return;
  }
  SDL_Surface* screen = SDL_GetWindowSurface(window->sdl);
  if (screen == nullptr) return;
  const int scale = window->scale;
  SDL_Surface* picture = window->picture.get();
  const SDL_Rect whole{0, 0, picture->w, picture->h};
  if (rects == nullptr) {
    rects = &whole;
    count = 1;
  }
  std::vector<SDL_Rect> shown;
  shown.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const SDL_Rect& part = rects[i];
    SDL_Rect enlarged{part.x * scale, part.y * scale, part.w * scale, part.h * scale};
    if (!EnlargeArea(picture, part, screen, scale)) {
      SDL_Rect from = part;
      SDL_BlitScaled(picture, &from, screen, &enlarged);  // another format: SDL's own stretch
    }
    shown.push_back(enlarged);
  }
  SDL_UpdateWindowSurfaceRects(window->sdl, shown.data(), static_cast<int>(shown.size()));
}

PlatformWindow* KnownWindow(WindowHandle handle) {
  PlatformWindow* window = MainWindow();
  return handle != nullptr && handle == window ? window : nullptr;
}

SDL_Window* SdlWindowOf(WindowHandle handle) {
  PlatformWindow* window = KnownWindow(handle);
  return window != nullptr ? window->sdl : nullptr;
}

void InvalidateWithErase(PlatformWindow* window) {
  if (window == nullptr) return;
  InvalidateArea(window, nullptr);
  window->erase = true;
}

bool TakeInvalidArea(PlatformWindow* window, UpdateArea* area, bool* erase) {
  if (window == nullptr || window->invalid.count == 0) return false;
  const UpdateArea waiting = window->invalid;
  window->invalid.count = 0;
  *erase = window->erase;
  window->erase = false;
  int width = 0, height = 0;
  ClientSize(window, &width, &height);
  const SDL_Rect client{0, 0, width, height};
  area->count = 0;
  for (int i = 0; i < waiting.count; ++i) {
    SDL_Rect cut;
    if (SDL_IntersectRect(&waiting.rects[i], &client, &cut) == SDL_TRUE)
      area->rects[area->count++] = cut;
  }
  return area->count > 0;
}

void WindowSurfaceChanged(PlatformWindow* window) {
  if (window == nullptr) return;
  RemakePicture(window);
  RetargetWindowTargets(WindowSurface(window));
  InvalidateWithErase(window);
}

void DestroySdlWindow(PlatformWindow* window) {
  WindowState& state = State();
  if (window == nullptr || window != state.window.get()) return;
  RetargetWindowTargets(nullptr);
  SDL_DestroyWindow(window->sdl);
  state.window.reset();
}

// --- The window class and the window's life ---------------------------------------------------

void RegisterMainClass(void* instance, const char* className) {
  (void)instance;
  // The program ends on its own terms (sdl_event_loop.cpp), not through SDL's quit event.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // The window surface stays in memory and goes to the server as it is (no OpenGL texture), so
  // its pixels are the composed ones exactly.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // The X class hint carries the class name, so the window can be found by it; a value the
  // user set stays.
  if (className != nullptr && className[0] != '\0') {
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", className, 0);
  }
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) EndWithoutDisplay(SDL_GetError());
  if (!OnScreen()) {
    // SDL falls back to a driver without a screen; a window nobody can see or close would
    // keep the program running for ever. Asked for by name (SDL_VIDEODRIVER) it is taken.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    EndWithoutDisplay("no video driver with a screen");
  }
  // SDL lets go of the display, the audio device and its helpers at process exit, after the
  // entry has returned.
  std::atexit(SDL_Quit);
  WatchForSessionEnd();
}

WindowHandle CreateMainWindow(void* instance, const char* className, const char* title) {
  (void)instance;
  (void)className;
  WindowState& state = State();
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || state.window) return nullptr;
  auto window = std::unique_ptr<PlatformWindow>(new (std::nothrow) PlatformWindow{});
  if (!window) return nullptr;
  window->sdl =
      SDL_CreateWindow(ValidUtf8(title != nullptr ? title : "").c_str(), SDL_WINDOWPOS_UNDEFINED,
                       SDL_WINDOWPOS_UNDEFINED, kFirstWidth, kFirstHeight, SDL_WINDOW_HIDDEN);
  if (window->sdl == nullptr) {
    std::fprintf(stderr, "quorel: cannot make the window: %s\n", SDL_GetError());
    return nullptr;
  }
  window->id = SDL_GetWindowID(window->sdl);
  SetIcon(window->sdl);
  state.window = std::move(window);
  NotifyWindowCreated(state.window.get());
  return state.window.get();
}

void ShowWindowAs(WindowHandle window, int showCommand) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  switch (showCommand) {
    case 0:  // SW_HIDE
      SDL_HideWindow(known->sdl);
      break;
    case 2:   // SW_SHOWMINIMIZED
    case 6:   // SW_MINIMIZE
    case 7:   // SW_SHOWMINNOACTIVE
    case 11:  // SW_FORCEMINIMIZE
      SDL_ShowWindow(known->sdl);
      SDL_MinimizeWindow(known->sdl);
      break;
    default:  // every other form shows the window at its normal size (it cannot be maximised)
      SDL_ShowWindow(known->sdl);
      if ((SDL_GetWindowFlags(known->sdl) & SDL_WINDOW_MINIMIZED) != 0) {
        SDL_RestoreWindow(known->sdl);
      }
      break;
  }
}

void AddAboutToSystemMenu(WindowHandle window) {
  // SDL windows have no system menu of the program's; Alt+? and Alt+/ give the About box.
  (void)window;
}

// --- Window services ------------------------------------------------------------------------

DrawTarget* GetWindowTarget(WindowHandle window) {
  WindowState& state = State();
  if (window == nullptr) {
    // The screen's target answers its depth; nothing is drawn on the screen itself.
    return HandOutTarget(&state.screenTargets, nullptr, kScreenDepth);
  }
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return nullptr;
  return HandOutTarget(&state.windowTargets, WindowSurface(known), kScreenDepth);
}

void ReleaseWindowTarget(WindowHandle window, DrawTarget* target) {
  (void)window;  // a target is found by itself, whichever window it was asked for
  if (target == nullptr) return;
  WindowState& state = State();
  if (!TakeBackTarget(&state.windowTargets, target)) TakeBackTarget(&state.screenTargets, target);
}

int32_t ScreenWidth() { return DesktopMode().w; }
int32_t ScreenHeight() { return DesktopMode().h; }

int GetWindowBounds(WindowHandle window, Rect* bounds) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr || bounds == nullptr) return 0;
  int x = 0, y = 0, width = 0, height = 0;
  SDL_GetWindowPosition(known->sdl, &x, &y);
  SDL_GetWindowSize(known->sdl, &width, &height);
  const Frame frame = FrameOf(known);
  *bounds = Rect{x - frame.left, y - frame.top, x + width + frame.right, y + height + frame.bottom};
  return 1;
}

void MoveWindowToTop(WindowHandle window, int32_t x, int32_t y) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  // x, y place the outer frame; SDL places the client area.
  const Frame frame = FrameOf(known);
  const int32_t clientX = std::clamp<int32_t>(x, -kLargestOffset, kLargestOffset) + frame.left;
  const int32_t clientY = std::clamp<int32_t>(y, -kLargestOffset, kLargestOffset) + frame.top;
  SDL_SetWindowPosition(known->sdl, clientX, clientY);
  SDL_ShowWindow(known->sdl);
  SDL_RaiseWindow(known->sdl);
}

void SizeWindowForClient(WindowHandle window, int32_t width, int32_t height) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  // A window has at least one pixel, and a client area no image could fill is not made.
  width = std::clamp<int32_t>(width, 1, kMaxImageSide);
  height = std::clamp<int32_t>(height, 1, kMaxImageSide);
  // On a dense screen the window is the picture enlarged, as far as the screen holds it.
  SDL_Rect screen{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(DisplayOf(known), &screen) != 0) {
    const SDL_DisplayMode mode = DesktopMode();
    screen = SDL_Rect{0, 0, mode.w, mode.h};
  }
  const int scale = FittingScale(DesktopScale(known->sdl), width, height, screen.w, screen.h);
  int oldWidth = 0, oldHeight = 0;
  SDL_GetWindowSize(known->sdl, &oldWidth, &oldHeight);
  if (width * scale != oldWidth || height * scale != oldHeight || scale != known->scale) {
    known->scale = scale;
    SDL_SetWindowSize(known->sdl, width * scale, height * scale);
    // The window surface is made anew at the new size.
    WindowSurfaceChanged(known);
  }
  SDL_RaiseWindow(known->sdl);  // nothing while the window is hidden
}

void ShowWindowNow(WindowHandle window) {
  PlatformWindow* known = KnownWindow(window);
  if (known != nullptr) SDL_ShowWindow(known->sdl);
}

void SetWindowCaption(WindowHandle window, const char* caption) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  SDL_SetWindowTitle(known->sdl, ValidUtf8(caption != nullptr ? caption : "").c_str());
}

void InvalidateArea(WindowHandle window, const Rect* rect) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  int width = 0, height = 0;
  ClientSize(known, &width, &height);
  const SDL_Rect client{0, 0, width, height};
  SDL_Rect area = client;
  if (rect != nullptr) {
    // Right and bottom are outside; a rectangle off the client area adds nothing.
    const int64_t left = std::max<int64_t>(rect->left, 0);
    const int64_t top = std::max<int64_t>(rect->top, 0);
    const int64_t right = std::min<int64_t>(rect->right, width);
    const int64_t bottom = std::min<int64_t>(rect->bottom, height);
    if (left >= right || top >= bottom) return;
    area = SDL_Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                    static_cast<int>(bottom - top)};
  }
  if (area.w <= 0 || area.h <= 0) return;
  AddToUpdateArea(&known->invalid, area);
}
