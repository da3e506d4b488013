// Cursors without a screen: handles that say which cursor they are, and a record of each one
// shown. Needs nothing but the program's resources.
#include <map>

#include "platform/cursor.h"
#include "platform/headless/headless_state.h"

struct PlatformCursor {
  int resourceId;      // the program's cursor, or 0
  int standardCursor;  // 1 arrow, 2 wait, or 0
};

CursorHandle LoadStandardCursor(StandardCursor which) {
  static PlatformCursor arrow{0, 1};
  static PlatformCursor wait{0, 2};
  return which == StandardCursor::Wait ? &wait : &arrow;
}

CursorHandle LoadCursorResource(int resourceId) {
  if (!HasProgramResource(HeadlessResource::Cursor, resourceId)) return nullptr;
  // Loaded once and never destroyed: the same handle for the same number.
  static std::map<int, PlatformCursor> loaded;
  return &loaded.emplace(resourceId, PlatformCursor{resourceId, 0}).first->second;
}

void ShowCursorShape(CursorHandle cursor) {
  HeadlessEvent event{HeadlessEvent::Kind::Cursor};
  if (cursor != nullptr) {
    event.resourceId = cursor->resourceId;
    event.standardCursor = cursor->standardCursor;
  }
  Record(event);
}
