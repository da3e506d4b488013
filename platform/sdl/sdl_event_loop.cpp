// The SDL event loop: each event of the main window goes to the window's event receiver as the
// Win32 window procedure passes its message (one handler call each), the invalid area is painted
// once a turn, and the loop ends at the quit message or at the end of the desktop session. SDL,
// POSIX signals, the window state and the single-instance hook.
#include "platform/sdl/sdl_event_loop.h"

#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/app_shell.h"
#include "platform/keys.h"
#include "platform/sdl/sdl_access.h"
#include "platform/sdl/sdl_draw_target.h"
#include "platform/sdl/sdl_single_instance.h"
#include "platform/sdl/sdl_window_state.h"
#include "platform/window.h"
#include "platform/window_events.h"

namespace {

// The loop wakes this often with no event, to notice a session end or another copy's request.
constexpr Uint32 kWakeMs = 100;
// The picture is composed at 32 bits whatever the X visual (see sdl_window.cpp).
constexpr int32_t kScreenDepth = 32;

// What the events go to; events come only while it is set.
WindowEvents* receiver = nullptr;

// Set from signal handlers: only lock-free atomics.
std::atomic<bool> sessionEnding{false};
std::atomic<int> modalDepth{0};

// A timer of StartWindowTimer: fired from the loop, as WM_TIMER comes when nothing else waits.
struct Timer {
  uintptr_t id;
  Uint32 period;
  Uint32 due;  // SDL_GetTicks() value of the next firing
};

struct LoopState {
  std::vector<Timer> timers;
  bool quitPosted = false;
  int quitCode = 0;
  bool lastKeyHadAlt = false;  // Alt was held at the key press that a text event belongs to
  int desktopWidth = 0;        // the desktop mode last told to the application
  int desktopHeight = 0;
};

LoopState& Loop() {
  static LoopState state;
  return state;
}

void OnEndSignal(int) {
  sessionEnding.store(true);
  // A modal box runs SDL's own loop, which nothing wakes: end now. The application's answer to
  // the session end does nothing, so nothing is lost by not asking it.
  if (modalDepth.load() > 0) std::_Exit(0);
}

// SDL shows an X11 message box from a forked process and waits for it. Should this process end
// meanwhile (a session end), the box process must go too: it holds a copy of the display
// connection, which would keep the main window and the box on the screen.
std::atomic<pid_t> forkingProcess{0};

void BeforeFork() { forkingProcess.store(getpid()); }

void InForkedChild() {
  if (modalDepth.load() == 0) return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != forkingProcess.load()) _exit(0);  // the parent ended before the line above
}

// SIGTERM and SIGHUP end the session; installed once, before the first box or window.
void CatchEndSignals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::signal(SIGTERM, OnEndSignal);
  std::signal(SIGHUP, OnEndSignal);
  pthread_atfork(BeforeFork, nullptr, InForkedChild);
}

// Xlib calls this when the display connection is lost; it must not return.
[[noreturn]] int OnDisplayLost(void* display) {
  (void)display;
  if (receiver != nullptr) receiver->OnEndSession(1);
  std::_Exit(0);
}

// Xlib ends the process with exit code 1 and no word to the application when the display goes
// away; its handler is replaced, reached through the X library SDL has already loaded.
void WatchForDisplayLoss() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return;
  void* x11 = SDL_LoadObject("libX11.so.6");  // already loaded: only the reference count grows
  if (x11 == nullptr) return;
  using IoErrorHandler = int (*)(void*);
  using SetIoErrorHandler = IoErrorHandler (*)(IoErrorHandler);
  auto setHandler =
      reinterpret_cast<SetIoErrorHandler>(SDL_LoadFunction(x11, "XSetIOErrorHandler"));
  if (setHandler != nullptr) setHandler(&OnDisplayLost);
}

// Paints the window's invalid area now (BeginPaint, WM_PAINT, EndPaint) and shows what was
// painted. Each rectangle of the area is painted on its own, clipped to it, so what lies between
// two far-apart changes is neither composed nor copied again. A hidden or minimised window keeps
// its invalid area for later.
void PaintNow(PlatformWindow* window) {
  if (window == nullptr || receiver == nullptr) return;
  const Uint32 flags = SDL_GetWindowFlags(window->sdl);
  if ((flags & SDL_WINDOW_SHOWN) == 0 || (flags & SDL_WINDOW_MINIMIZED) != 0) return;
  UpdateArea area;
  bool erase = false;
  if (!TakeInvalidArea(window, &area, &erase)) return;
  SDL_Surface* surface = WindowSurface(window);
  if (surface == nullptr) return;
  // The class background: the system's window colour, white.
  if (erase)
    SDL_FillRects(surface, area.rects, area.count, SDL_MapRGB(surface->format, 255, 255, 255));
  for (int i = 0; i < area.count; ++i) {
    const SDL_Rect& part = area.rects[i];
    DrawTarget target{};
    target.surface = surface;
    target.bitsPerPixel = kScreenDepth;
    SDL_SetClipRect(surface, &part);
    const Rect rect{part.x, part.y, part.x + part.w, part.y + part.h};
    receiver->OnPaint(&target, &rect);
    // Painting could have resized or destroyed the window; then its surface is gone too.
    if (MainWindow() != window || WindowSurface(window) != surface) return;
  }
  SDL_SetClipRect(surface, nullptr);
  PresentWindow(window, area.rects, area.count);
}

// Tells the application of a new desktop size (WM_DISPLAYCHANGE), once per change.
void CheckDesktopMode() {
  LoopState& loop = Loop();
  const int width = ScreenWidth();
  const int height = ScreenHeight();
  if (width == loop.desktopWidth && height == loop.desktopHeight) return;
  loop.desktopWidth = width;
  loop.desktopHeight = height;
  if (width > 0 && height > 0 && receiver != nullptr)
    receiver->DisplayChanged(kScreenDepth, width, height);
}

void OnWindowEvent(PlatformWindow* window, const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
      InvalidateWithErase(window);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      WindowSurfaceChanged(window);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
      AccessWindowActivated(event.event == SDL_WINDOWEVENT_FOCUS_GAINED);
      break;
    case SDL_WINDOWEVENT_CLOSE:  // the window manager's close request (WM_DELETE_WINDOW)
      receiver->OnClose();
      return;
    default:
      break;
  }
  CheckDesktopMode();
}

// The key numbers of platform/keys.h for the keys the menu answers; 0 for every other key.
uintptr_t KeyNumber(SDL_Keycode key) {
  switch (key) {
    case SDLK_BACKSPACE:
      return KeyBackspace;
    case SDLK_TAB:
      return KeyTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return KeyEnter;
    case SDLK_ESCAPE:
      return KeyEscape;
    case SDLK_SPACE:
      return KeySpace;
    case SDLK_PAGEUP:
      return KeyPageUp;
    case SDLK_PAGEDOWN:
      return KeyPageDown;
    case SDLK_END:
      return KeyEnd;
    case SDLK_HOME:
      return KeyHome;
    case SDLK_LEFT:
      return KeyLeft;
    case SDLK_UP:
      return KeyUp;
    case SDLK_RIGHT:
      return KeyRight;
    case SDLK_DOWN:
      return KeyDown;
    default:
      return 0;
  }
}

void OnKeyDown(const SDL_KeyboardEvent& event) {
  const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
  Loop().lastKeyHadAlt = alt;
  const intptr_t repeat = event.repeat != 0 ? KeyFlagRepeat : 0;
  if (!alt) {
    receiver->OnKey(KeyMessageDown, KeyNumber(event.keysym.sym), repeat);
    return;
  }
  // Keys with Alt are system keys: what the menu does not take keeps the system's meaning.
  if (receiver->OnKey(KeyMessageSystemDown, KeyNumber(event.keysym.sym), KeyFlagAlt | repeat)) {
    return;
  }
  if (event.keysym.sym == SDLK_F4 && event.repeat == 0) {
    receiver->OnClose();
  } else if (event.keysym.sym == SDLK_SLASH && !SDL_IsTextInputActive()) {
    // Without text events the key itself stands for "/" (and "?" on layouts that shift it).
    receiver->OnCommand(CommandAbout);
  }
}

// The accelerators: Alt with the character "?" or "/" gives command 104, whichever key makes
// the character on the keyboard's layout.
void OnText(const SDL_TextInputEvent& event) {
  if (!Loop().lastKeyHadAlt) return;
  if (std::strcmp(event.text, "?") == 0 || std::strcmp(event.text, "/") == 0) {
    receiver->OnCommand(CommandAbout);
  }
}

// The key-state flags of the window procedure's pointer messages (MK_*).
uintptr_t PointerKeyState(Uint32 buttons) {
  const SDL_Keymod keys = SDL_GetModState();
  uintptr_t state = 0;
  if ((buttons & SDL_BUTTON_LMASK) != 0) state |= 0x1;   // MK_LBUTTON
  if ((buttons & SDL_BUTTON_RMASK) != 0) state |= 0x2;   // MK_RBUTTON
  if ((keys & KMOD_SHIFT) != 0) state |= 0x4;            // MK_SHIFT
  if ((keys & KMOD_CTRL) != 0) state |= 0x8;             // MK_CONTROL
  if ((buttons & SDL_BUTTON_MMASK) != 0) state |= 0x10;  // MK_MBUTTON
  return state;
}

// Moves and left-button presses and releases in the client area go to the pointer handler as
// the window procedure passes them. The click count is not looked at: the window class has no
// double clicks, so a quick second click is one more press and release. SDL keeps reporting
// the pointer outside the window while a button is held; a window without mouse capture sees
// nothing there, so those events are dropped.
void OnPointer(PlatformWindow* window, const SDL_Event& event) {
  uint32_t message = 0;
  Uint32 windowId = 0;
  Sint32 x = 0;
  Sint32 y = 0;
  Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
  if (event.type == SDL_MOUSEMOTION) {
    message = MessageMouseMove;
    windowId = event.motion.windowID;
    x = event.motion.x;
    y = event.motion.y;
    buttons = event.motion.state;
  } else if ((event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) &&
             event.button.button == SDL_BUTTON_LEFT) {
    message = event.type == SDL_MOUSEBUTTONDOWN ? MessageButtonDown : MessageButtonUp;
    windowId = event.button.windowID;
    x = event.button.x;
    y = event.button.y;
  } else {
    return;
  }
  if (windowId != window->id) return;
  // The core works in the picture's pixels: a scaled window's points are divided down.
  if (x < 0 || y < 0) return;
  const int scale = window->scale > 1 ? window->scale : 1;
  x /= scale;
  y /= scale;
  int width = 0;
  int height = 0;
  ClientSize(window, &width, &height);
  if (x >= width || y >= height) return;
  receiver->OnMouse(message, static_cast<uint32_t>(x) & 0xFFFF, static_cast<uint32_t>(y) & 0xFFFF,
                    PointerKeyState(buttons));
}

void Dispatch(const SDL_Event& event) {
  if (receiver == nullptr) return;
  PlatformWindow* window = MainWindow();
  switch (event.type) {
    case SDL_WINDOWEVENT:
      if (window != nullptr && event.window.windowID == window->id) {
        OnWindowEvent(window, event.window);
      }
      break;
    case SDL_DISPLAYEVENT:
      CheckDesktopMode();
      break;
    case SDL_KEYDOWN:
      if (window != nullptr && event.key.windowID == window->id) OnKeyDown(event.key);
      break;
    case SDL_KEYUP:
      if (window != nullptr && event.key.windowID == window->id &&
          (event.key.keysym.mod & KMOD_ALT) == 0) {
        receiver->OnKey(KeyMessageUp, KeyNumber(event.key.keysym.sym), 0);
      }
      break;
    case SDL_TEXTINPUT:
      if (window != nullptr && event.text.windowID == window->id) OnText(event.text);
      break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (window != nullptr) OnPointer(window, event);
      break;
    default:
      // SDL_QUIT among them: the program ends through the exit question or the session end.
      break;
  }
}

// Fires each timer whose time has come, once however late it is, and says how long the loop may
// wait for events before the next one is due (at most kWakeMs).
Uint32 FireTimers() {
  Uint32 wait = kWakeMs;
  const Uint32 now = SDL_GetTicks();
  // By index: a timer call may start another timer.
  for (size_t i = 0; i < Loop().timers.size(); ++i) {
    const Timer timer = Loop().timers[i];
    if (static_cast<Sint32>(now - timer.due) >= 0) {
      Loop().timers[i].due = now + timer.period;
      if (receiver != nullptr) receiver->OnTimer(timer.id);
      if (timer.period < wait) wait = timer.period;
    } else if (timer.due - now < wait) {
      wait = timer.due - now;
    }
  }
  return wait;
}

}  // namespace

// --- Keys -----------------------------------------------------------------------------------

int IsKeyHeld(uintptr_t key) {
  const SDL_Keymod mods = SDL_GetModState();
  if (key == KeyShift) return (mods & KMOD_SHIFT) != 0 ? 1 : 0;
  return 0;
}

// --- Shared with the other SDL window files -------------------------------------------------

void SetWindowEvents(WindowEvents* events) { receiver = events; }

void NotifyWindowCreated(WindowHandle window) {
  if (receiver != nullptr) receiver->OnCreate(window);
}

void WatchForSessionEnd() {
  static bool watching = false;
  if (watching) return;
  watching = true;
  CatchEndSignals();
  WatchForDisplayLoss();
}

ModalScope::ModalScope() {
  // A box may come before the window (another copy running): it must end with the session too.
  CatchEndSignals();
  // A session end that came just before the box opens ends the program before it blocks.
  modalDepth.fetch_add(1);
  if (sessionEnding.load()) std::_Exit(0);
}

ModalScope::~ModalScope() { modalDepth.fetch_sub(1); }

int StartWindowTimer(WindowHandle window, uintptr_t id, uint32_t milliseconds) {
  if (KnownWindow(window) == nullptr) return 0;
  const Uint32 period = milliseconds > 0 ? milliseconds : 1;
  for (Timer& timer : Loop().timers) {
    if (timer.id == id) {
      timer.period = period;
      timer.due = SDL_GetTicks() + period;
      return 1;
    }
  }
  Loop().timers.push_back(Timer{id, period, SDL_GetTicks() + period});
  return 1;
}

// --- Messages sent to the window ------------------------------------------------------------

void UpdateWindowNow(WindowHandle window) { PaintNow(KnownWindow(window)); }

void DestroyMainWindow(WindowHandle window) {
  PlatformWindow* known = KnownWindow(window);
  if (known == nullptr) return;
  SDL_HideWindow(known->sdl);
  if (receiver != nullptr) receiver->OnDestroy();
  DestroySdlWindow(known);
}

void SendDestroyNotice(WindowHandle window) {
  if (KnownWindow(window) != nullptr && receiver != nullptr) receiver->OnDestroy();
}

void SendCloseRequest(WindowHandle window) {
  if (KnownWindow(window) != nullptr && receiver != nullptr) receiver->OnClose();
}

// --- Message loop ---------------------------------------------------------------------------

void PostQuit(int exitCode) {
  LoopState& loop = Loop();
  loop.quitPosted = true;
  loop.quitCode = exitCode;
}

int RunMessageLoop(void* instance) {
  (void)instance;
  LoopState& loop = Loop();
  loop.desktopWidth = ScreenWidth();
  loop.desktopHeight = ScreenHeight();
  for (;;) {
    if (sessionEnding.load()) {
      // As at the end of a Windows session: the window is not destroyed, so the restart
      // recovery stays in place.
      if (receiver != nullptr) receiver->OnEndSession(1);
      return 0;
    }
    if (loop.quitPosted) return loop.quitCode;
    SDL_Event event;
    if (SDL_PollEvent(&event) != 0) {
      Dispatch(event);
      continue;
    }
    // Nothing waits: the lower-priority work of a turn.
    if (TakeActivateRequest()) {
      PlatformWindow* window = MainWindow();
      if (window != nullptr) {
        // Another copy was started: back to normal size if minimised, and to the front.
        if ((SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) != 0) {
          SDL_RestoreWindow(window->sdl);
        }
        SDL_RaiseWindow(window->sdl);
      }
    }
    const Uint32 untilTimer = FireTimers();
    PaintNow(MainWindow());
    // After the paint, so looking for a screen reader never delays the first picture.
    const uint32_t wait = ServeAccessibility(untilTimer);
    if (loop.quitPosted) continue;
    if (SDL_WaitEventTimeout(&event, static_cast<int>(wait)) != 0) Dispatch(event);
  }
}
