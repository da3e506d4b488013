// The seam's accessibility calls on Linux, and the start of AT-SPI2: the libraries are loaded
// and the accessibility bus looked for on a thread of its own, so the window is shown at once
// and nothing waits on a bus that does not answer; once found, the ATK objects are registered
// and the bus served from the event loop. Quiet where any of it is missing.
#include "platform/sdl/sdl_access.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "platform/sdl/sdl_atk_bus.h"
#include "platform/sdl/sdl_atk_library.h"
#include "platform/sdl/sdl_atk_objects.h"

namespace {

// How long the loop may sleep while a screen reader may be asking: each of its requests waits
// for the loop's next turn.
constexpr uint32_t kServeWakeMs = 10;
// Requests answered in one turn at most, so input and painting keep their turn.
constexpr int kRequestsPerTurn = 64;

enum class Stage { NotStarted, Looking, Found, Serving, Off };

// Shared with the looking thread, which may still run at exit: made once, never freed.
struct Start {
  std::atomic<Stage> stage{Stage::NotStarted};
  AtkLibrary library{};  // written by the thread before the stage becomes Found
  std::string address;
};

Start& Started() {
  static Start* start = new Start;
  return *start;
}

AccessView* shownView = nullptr;
bool pressQueued = false;
size_t pressIndex = 0;

void Look(Start* start) {
  const bool loaded = LoadAtkLibrary(&start->library);
  start->address = loaded ? FindAccessibilityBus() : std::string();
  start->stage.store(start->address.empty() ? Stage::Off : Stage::Found);
}

// The bridge connects to the bus named in $AT_SPI_BUS_ADDRESS; the variable is set only while
// it starts, so programs started from the menu inherit the environment as it was.
bool Register(Start& start) {
  const bool given = std::getenv("AT_SPI_BUS_ADDRESS") != nullptr;
  if (!given) setenv("AT_SPI_BUS_ADDRESS", start.address.c_str(), 1);
  const bool registered = StartAtkObjects(start.library);
  if (!given) unsetenv("AT_SPI_BUS_ADDRESS");
  return registered;
}

bool Serving() { return Started().stage.load() == Stage::Serving; }

}  // namespace

AccessView* CurrentAccessView() { return shownView; }

void SetAccessView(AccessView* view) { shownView = view; }

void AccessHighlightChanged(WindowHandle window) {
  (void)window;
  if (Serving()) AtkHighlightChanged();
}

void AccessEntriesChanged(WindowHandle window) {
  (void)window;
  if (Serving()) AtkEntriesChanged();
}

void QueueAccessPress(size_t index) {
  pressQueued = true;
  pressIndex = index;
}

void AccessWindowActivated(bool active) { AtkWindowActivated(active); }

uint32_t ServeAccessibility(uint32_t idleMs) {
  Start& start = Started();
  switch (start.stage.load()) {
    case Stage::NotStarted: {
      // NO_AT_BRIDGE=1 turns it off, as for the desktop's toolkits.
      const char* off = std::getenv("NO_AT_BRIDGE");
      start.stage.store(off != nullptr && std::strcmp(off, "1") == 0 ? Stage::Off : Stage::Looking);
      if (start.stage.load() == Stage::Off) return idleMs;
      try {
        std::thread(Look, &start).detach();
      } catch (const std::system_error&) {
        start.stage.store(Stage::Off);
      }
      return idleMs;
    }
    case Stage::Found:
      start.stage.store(Register(start) ? Stage::Serving : Stage::Off);
      return idleMs;
    case Stage::Serving:
      break;
    default:
      return idleMs;
  }
  for (int i = 0; i < kRequestsPerTurn; ++i) {
    if (start.library.mainContextIteration(nullptr, FALSE) == FALSE) break;
  }
  if (pressQueued) {
    pressQueued = false;
    if (shownView != nullptr) shownView->Press(pressIndex);
  }
  return idleMs < kServeWakeMs ? idleMs : kServeWakeMs;
}
