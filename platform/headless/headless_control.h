// Control of the headless backend for tests and quorel-tool: the screen, the one window and its
// pixels (drawn by the build's own drawing code), scripted message-box answers, and the record
// of everything the program asked of the window system. No OS headers; SDL only by name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/handles.h"

struct SDL_Surface;

// Sets the screen's size and depth (default 1024 x 768 at 32 bits). false, changing nothing,
// for sizes outside 1..16384, a depth outside 1..32, or a depth the drawing code cannot show
// (GDI draws at the depth of the display it is given).
bool HeadlessConfigureScreen(int32_t width, int32_t height, int32_t bitsPerPixel);

// The one headless window, made hidden at 0, 0 with an empty client area and caption the
// first time; the same handle afterwards.
WindowHandle HeadlessCreateWindow();
// Destroys the window; its handle is then unknown to the backend. Targets still held on it
// draw nothing.
void HeadlessDestroyWindow();

// What the window is now. Outer bounds are the client area with the frame of a dialog window
// around it (kHeadlessFrame* below).
struct HeadlessWindowState {
  bool exists;
  Rect bounds;  // outer rectangle in screen coordinates (right and bottom exclusive)
  int32_t clientWidth;
  int32_t clientHeight;
  std::string caption;
  bool visible;
};
HeadlessWindowState HeadlessWindow();
// The client area's pixel at x, y as 0x00BBGGRR (GetPixel); kHeadlessNoPixel outside it, while
// it is empty or when there is no window.
constexpr ColorRef kHeadlessNoPixel = 0xFFFFFFFF;
ColorRef HeadlessWindowPixel(int32_t x, int32_t y);
// Builds drawing on SDL surfaces only: the client area's pixels (XRGB8888, clientWidth x
// clientHeight); null while it is empty or there is no window. Valid until the window is sized
// again or destroyed.
SDL_Surface* HeadlessWindowSurface();
// Every build: a copy of the client area's pixels, rows from the top, each 0x00RRGGBB; empty
// (0 x 0) while the area is empty or there is no window.
struct HeadlessPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> rgb;
};
HeadlessPicture HeadlessWindowPicture();
// The depth the drawing code draws at without loss: the display's for GDI (which draws only at
// that depth), 32 for SDL surfaces.
int32_t HeadlessNativeDepth();

// Frame of the headless window: left and right borders, and the caption bar plus borders above
// and below (as a dialog frame of 3, a caption of 18 and a border of 1 pixel give).
constexpr int32_t kHeadlessFrameX = 3;
constexpr int32_t kHeadlessFrameTop = 3 + 18 + 1;
constexpr int32_t kHeadlessFrameBottom = 3;

// Answers of message boxes to come, first queued first used. With the queue empty an OK box is
// answered ResultOk and a yes/no box ResultNo.
void HeadlessQueueAnswer(int result);

struct HeadlessEvent {
  enum class Kind {
    MessageBox,  // text, caption, hasOwner, style, result
    Sound,       // text (file name) or resourceId, flags, result
    Cursor,      // resourceId, or standardCursor for a standard one; both 0 for none
    Move,        // x, y
    Size,        // width, height of the client area
    Show,
    Caption,          // text
    Invalidate,       // x, y, width, height; wholeArea when no rectangle was given
    Destroy,          // the window was destroyed (DestroyMainWindow)
    DestroyNotice,    // the destroy notification was sent without destroying
    CloseRequest,     // a close request was sent
    Quit,             // result: the exit code posted
    AboutBox,         // flags: 0 from the command, 1 from the system menu
    SystemMenu,       // "About..." appended to the system menu
    Activate,         // text: the class whose other copy was asked to come forward
    Shell,            // verb, file, parameters, directory: a file handed to the shell
    Blit,             // x, y, width, height: a copy onto the window, as asked (before clipping)
    Sleep,            // milliseconds: a pause asked for (the headless clock never waits)
    AccessHighlight,  // assistive technology was told the highlight moved
    AccessEntries,    // assistive technology was told other entries are shown
  };
  explicit HeadlessEvent(Kind what) : kind(what) {}
  Kind kind;
  std::string text;
  std::string caption;
  bool hasOwner = false;
  unsigned style = 0;
  int result = 0;
  int resourceId = 0;
  int standardCursor = 0;  // 1 arrow, 2 wait
  uint32_t flags = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool wholeArea = false;
  uint32_t milliseconds = 0;  // Sleep
  // Shell: what OpenWithShell was given; nullopt where it was given null.
  std::optional<std::string> verb;
  std::string file;
  std::optional<std::string> parameters;
  std::optional<std::string> directory;
};

// Whether copies onto the window are recorded as Blit events (on after a reset); off for
// measuring drawing without the record's own cost.
void HeadlessRecordBlits(bool on);

// Everything recorded since the last clear, in order.
const std::vector<HeadlessEvent>& HeadlessEvents();
// The recorded events, which are then cleared.
std::vector<HeadlessEvent> HeadlessTakeEvents();

// The message boxes shown since the last call, each as "caption|text"; clears that list (the
// event record is kept).
std::vector<std::string> TakeShownMessages();

// Holds key (a Key* number of platform/keys.h) down or lets it go, as IsKeyHeld answers.
void HeadlessHoldKey(uintptr_t key, bool held);
// Whether another copy of the program holds the single-instance guard.
void HeadlessSetOtherCopyRunning(bool running);

// The view of the entries that the program gave for assistive technology; null while none.
class AccessView;
AccessView* HeadlessAccessView();

// Back to the start: default screen, no window, empty answer queue and records.
void HeadlessReset();
