// Cursors on SDL: the system's arrow and wait cursors, the program's own from the embedded
// cursor pictures with their hot spots, and showing one. SDL and the resource table only.
#include <map>

#include "platform/cursor.h"
#include "platform/sdl/sdl_owned.h"
#include "platform/sdl/sdl_resources.h"

struct PlatformCursor {
  int resourceId;             // the program's cursor, or 0
  SDL_SystemCursor standard;  // the system's cursor when resourceId is 0
  SDL_Cursor* made;           // made when first shown (needs video); never freed
};

namespace {

SDL_Cursor* MakeFromResource(int resourceId) {
  const EmbeddedResource picture = FindEmbeddedResource(ResourceKind::Cursor, resourceId);
  if (picture.data == nullptr) return nullptr;
  SDL_RWops* stream = SDL_RWFromConstMem(picture.data, static_cast<int>(picture.size));
  if (stream == nullptr) return nullptr;
  // The picture carries its transparency as alpha; SDL copies it into the cursor.
  const OwnedSurface surface(SDL_LoadBMP_RW(stream, 1));
  if (!surface) return nullptr;
  return SDL_CreateColorCursor(surface.get(), picture.hotX, picture.hotY);
}

SDL_Cursor* Make(PlatformCursor* cursor) {
  if (cursor->made == nullptr) {
    cursor->made = cursor->resourceId != 0 ? MakeFromResource(cursor->resourceId)
                                           : SDL_CreateSystemCursor(cursor->standard);
  }
  return cursor->made;
}

}  // namespace

CursorHandle LoadStandardCursor(StandardCursor which) {
  static PlatformCursor arrow{0, SDL_SYSTEM_CURSOR_ARROW, nullptr};
  static PlatformCursor wait{0, SDL_SYSTEM_CURSOR_WAIT, nullptr};
  return which == StandardCursor::Wait ? &wait : &arrow;
}

CursorHandle LoadCursorResource(int resourceId) {
  if (resourceId == 0 || FindEmbeddedResource(ResourceKind::Cursor, resourceId).data == nullptr) {
    return nullptr;
  }
  // Loaded once and never destroyed: the same handle for the same number.
  static std::map<int, PlatformCursor> loaded;
  return &loaded.emplace(resourceId, PlatformCursor{resourceId, SDL_SYSTEM_CURSOR_ARROW, nullptr})
              .first->second;
}

void ShowCursorShape(CursorHandle cursor) {
  // No cursor hides it, as SetCursor(NULL) does.
  if (cursor == nullptr) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  SDL_Cursor* made = Make(cursor);
  if (made == nullptr) return;  // no video yet, or the picture cannot be read: left as it is
  SDL_SetCursor(made);
  SDL_ShowCursor(SDL_ENABLE);
}
