// The ATK objects of the main window: GObject types registered at run time (the libraries are
// loaded, not linked), the root returned by AtkUtil to the AT-SPI bridge, and the signals that
// become AT-SPI events. Every request reads the access view and the SDL window anew.
#include "platform/sdl/sdl_atk_objects.h"

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/sdl/sdl_access.h"
#include "platform/sdl/sdl_window_state.h"
#include "portable/text_decoding.h"

namespace {

// An entry: its place among the frame's children; -1 once it is no longer shown.
struct EntryObject {
  AtkObject parent;
  int index;
};

struct Objects {
  const AtkLibrary* lib = nullptr;
  AtkObject* root = nullptr;
  AtkObject* frame = nullptr;
  std::vector<AtkObject*> entries;  // one reference each
  int focused = -1;                 // the entry last told focused
  bool active = false;              // the window has the input focus
  // What the last request for an entry's texts returned (ATK's texts belong to the object).
  std::string name;
  std::string description;
};

Objects& Atk() {
  static Objects objects;
  return objects;
}

EntryObject* AsEntry(void* object) { return static_cast<EntryObject*>(object); }

// The entry that object shows; false when it is no longer shown or the view has no such entry.
bool EntryOf(void* object, AccessEntry* entry) {
  AccessView* view = CurrentAccessView();
  const int index = AsEntry(object)->index;
  return view != nullptr && index >= 0 && view->EntryAt(static_cast<size_t>(index), entry);
}

int WindowScale(const PlatformWindow* window) { return window->scale > 1 ? window->scale : 1; }

// The window's client area on the screen.
SDL_Rect WindowArea() {
  SDL_Rect area{};
  if (PlatformWindow* window = MainWindow()) {
    SDL_GetWindowPosition(window->sdl, &area.x, &area.y);
    SDL_GetWindowSize(window->sdl, &area.w, &area.h);
  }
  return area;
}

// An entry's rectangle in the window's pixels (the picture's enlarged by the window's scale).
SDL_Rect EntryArea(const AccessEntry& entry) {
  const PlatformWindow* window = MainWindow();
  const int scale = window != nullptr ? WindowScale(window) : 1;
  return SDL_Rect{entry.rect.left * scale, entry.rect.top * scale,
                  (entry.rect.right - entry.rect.left) * scale,
                  (entry.rect.bottom - entry.rect.top) * scale};
}

// Moves area from window coordinates to those asked for (screen, or window and parent alike:
// the frame is every entry's parent).
void Place(SDL_Rect area, AtkCoordType coordinates, gint* x, gint* y, gint* width, gint* height) {
  if (coordinates == ATK_XY_SCREEN) {
    const SDL_Rect window = WindowArea();
    area.x += window.x;
    area.y += window.y;
  }
  *x = area.x;
  *y = area.y;
  *width = area.w;
  *height = area.h;
}

AtkStateSet* NewStates(std::initializer_list<AtkStateType> states) {
  AtkStateSet* set = Atk().lib->stateSetNew();
  for (AtkStateType state : states) Atk().lib->stateSetAddState(set, state);
  return set;
}

// --- the root: the application ----------------------------------------------------------------

const gchar* RootName(AtkObject*) { return "Quorel"; }
gint RootChildCount(AtkObject*) { return Atk().frame != nullptr ? 1 : 0; }
AtkObject* RootChild(AtkObject*, gint index) {
  if (index != 0 || Atk().frame == nullptr) return nullptr;
  return static_cast<AtkObject*>(Atk().lib->objectRef(Atk().frame));
}
AtkObject* NoParent(AtkObject*) { return nullptr; }

void RootClassInit(gpointer klass, gpointer) {
  auto* object = static_cast<AtkObjectClass*>(klass);
  object->get_name = RootName;
  object->get_n_children = RootChildCount;
  object->ref_child = RootChild;
  object->get_parent = NoParent;
}

// --- the frame: the main window ---------------------------------------------------------------

const gchar* FrameName(AtkObject*) {
  PlatformWindow* window = MainWindow();
  return window != nullptr ? SDL_GetWindowTitle(window->sdl) : "";
}
AtkObject* FrameParent(AtkObject*) { return Atk().root; }
gint FrameIndex(AtkObject*) { return 0; }
gint FrameChildCount(AtkObject*) { return static_cast<gint>(Atk().entries.size()); }
AtkObject* FrameChild(AtkObject*, gint index) {
  const auto& entries = Atk().entries;
  if (index < 0 || static_cast<size_t>(index) >= entries.size()) return nullptr;
  return static_cast<AtkObject*>(Atk().lib->objectRef(entries[static_cast<size_t>(index)]));
}
AtkStateSet* FrameStates(AtkObject*) {
  if (MainWindow() == nullptr) return NewStates({ATK_STATE_DEFUNCT});
  AtkStateSet* set =
      NewStates({ATK_STATE_ENABLED, ATK_STATE_SENSITIVE, ATK_STATE_VISIBLE, ATK_STATE_SHOWING});
  if (Atk().active) Atk().lib->stateSetAddState(set, ATK_STATE_ACTIVE);
  return set;
}

void FrameExtents(AtkComponent*, gint* x, gint* y, gint* width, gint* height,
                  AtkCoordType coordinates) {
  SDL_Rect area = WindowArea();
  if (coordinates != ATK_XY_SCREEN) area.x = area.y = 0;
  *x = area.x;
  *y = area.y;
  *width = area.w;
  *height = area.h;
}

// The entry under a point, as a click there would find it.
AtkObject* FrameEntryAt(AtkComponent*, gint x, gint y, AtkCoordType coordinates) {
  if (coordinates == ATK_XY_SCREEN) {
    const SDL_Rect window = WindowArea();
    x -= window.x;
    y -= window.y;
  }
  for (AtkObject* object : Atk().entries) {
    AccessEntry entry;
    if (!EntryOf(object, &entry)) continue;
    const SDL_Rect area = EntryArea(entry);
    if (x >= area.x && x < area.x + area.w && y >= area.y && y < area.y + area.h)
      return static_cast<AtkObject*>(Atk().lib->objectRef(object));
  }
  return nullptr;
}

void FrameClassInit(gpointer klass, gpointer) {
  auto* object = static_cast<AtkObjectClass*>(klass);
  object->get_name = FrameName;
  object->get_parent = FrameParent;
  object->get_index_in_parent = FrameIndex;
  object->get_n_children = FrameChildCount;
  object->ref_child = FrameChild;
  object->ref_state_set = FrameStates;
}

void FrameComponentInit(gpointer iface, gpointer) {
  auto* component = static_cast<AtkComponentIface*>(iface);
  component->get_extents = FrameExtents;
  component->ref_accessible_at_point = FrameEntryAt;
}

// AtkWindow has signals only.
void WindowInit(gpointer, gpointer) {}

// --- an entry: a push button ------------------------------------------------------------------

const gchar* EntryName(AtkObject* object) {
  AccessEntry entry;
  Atk().name = EntryOf(object, &entry) ? ValidUtf8(entry.name) : std::string();
  return Atk().name.c_str();
}
// None when the entry has no hint (null rather than empty, as a toolkit answers).
const gchar* EntryDescription(AtkObject* object) {
  AccessEntry entry;
  if (!EntryOf(object, &entry) || entry.description[0] == '\0') return nullptr;
  Atk().description = ValidUtf8(entry.description);
  return Atk().description.c_str();
}
AtkObject* EntryParent(AtkObject*) { return Atk().frame; }
gint EntryIndex(AtkObject* object) { return AsEntry(object)->index; }
AtkStateSet* EntryStates(AtkObject* object) {
  AccessEntry entry;
  if (!EntryOf(object, &entry)) return NewStates({ATK_STATE_DEFUNCT});
  AtkStateSet* set = NewStates({ATK_STATE_ENABLED, ATK_STATE_SENSITIVE, ATK_STATE_VISIBLE,
                                ATK_STATE_SHOWING, ATK_STATE_FOCUSABLE});
  if (entry.highlighted) Atk().lib->stateSetAddState(set, ATK_STATE_FOCUSED);
  if (entry.visited) Atk().lib->stateSetAddState(set, ATK_STATE_VISITED);
  return set;
}

void EntryClassInit(gpointer klass, gpointer) {
  auto* object = static_cast<AtkObjectClass*>(klass);
  object->get_name = EntryName;
  object->get_description = EntryDescription;
  object->get_parent = EntryParent;
  object->get_index_in_parent = EntryIndex;
  object->ref_state_set = EntryStates;
}

void EntryExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                  AtkCoordType coordinates) {
  AccessEntry entry;
  const SDL_Rect area = EntryOf(component, &entry) ? EntryArea(entry) : SDL_Rect{};
  Place(area, coordinates, x, y, width, height);
}

void EntryComponentInit(gpointer iface, gpointer) {
  static_cast<AtkComponentIface*>(iface)->get_extents = EntryExtents;
}

constexpr char kPress[] = "press";

gint ActionCount(AtkAction*) { return 1; }
const gchar* ActionName(AtkAction*, gint action) { return action == 0 ? kPress : nullptr; }
gboolean DoAction(AtkAction* object, gint action) {
  AccessEntry entry;
  if (action != 0 || !EntryOf(object, &entry)) return FALSE;
  QueueAccessPress(static_cast<size_t>(AsEntry(object)->index));
  return TRUE;
}

void EntryActionInit(gpointer iface, gpointer) {
  auto* action = static_cast<AtkActionIface*>(iface);
  action->get_n_actions = ActionCount;
  action->get_name = ActionName;
  action->get_localized_name = ActionName;
  action->do_action = DoAction;
}

// --- AtkUtil: what the bridge asks the toolkit ------------------------------------------------

AtkObject* Root() { return Atk().root; }
const gchar* ToolkitName() { return "Quorel"; }
const gchar* ToolkitVersion() { return "1.0"; }

// --- making the objects -----------------------------------------------------------------------

GType RegisterType(const char* name, size_t instanceSize, GClassInitFunc classInit) {
  GTypeInfo info{};
  info.class_size = sizeof(AtkObjectClass);
  info.class_init = classInit;
  info.instance_size = static_cast<guint16>(instanceSize);
  return Atk().lib->typeRegisterStatic(Atk().lib->objectType(), name, &info, GTypeFlags(0));
}

void AddInterface(GType type, GType interface, GInterfaceInitFunc init) {
  GInterfaceInfo info{};
  info.interface_init = init;
  Atk().lib->typeAddInterfaceStatic(type, interface, &info);
}

AtkObject* NewObject(GType type, AtkRole role) {
  auto* object = static_cast<AtkObject*>(Atk().lib->objectNew(type, nullptr));
  if (object != nullptr) Atk().lib->objectSetRole(object, role);
  return object;
}

GType EntryType() {
  static GType type = 0;
  if (type != 0) return type;
  type = RegisterType("QuorelAtkEntry", sizeof(EntryObject), EntryClassInit);
  AddInterface(type, Atk().lib->componentType(), EntryComponentInit);
  AddInterface(type, Atk().lib->actionType(), EntryActionInit);
  return type;
}

// The index of the highlighted entry; -1 when none is.
int HighlightedIndex() {
  AccessView* view = CurrentAccessView();
  for (size_t i = 0; i < Atk().entries.size(); ++i) {
    AccessEntry entry;
    if (view != nullptr && view->EntryAt(i, &entry) && entry.highlighted)
      return static_cast<int>(i);
  }
  return -1;
}

void Emit(void* object, const char* signal, guint index, void* child) {
  Atk().lib->signalEmitByName(object, signal, index, child);
}

}  // namespace

bool StartAtkObjects(const AtkLibrary& library) {
  Objects& atk = Atk();
  atk.lib = &library;
  const GType rootType = RegisterType("QuorelAtkRoot", sizeof(AtkObject), RootClassInit);
  const GType frameType = RegisterType("QuorelAtkFrame", sizeof(AtkObject), FrameClassInit);
  if (rootType == 0 || frameType == 0 || EntryType() == 0) return false;
  AddInterface(frameType, library.componentType(), FrameComponentInit);
  AddInterface(frameType, library.windowType(), WindowInit);
  atk.root = NewObject(rootType, ATK_ROLE_APPLICATION);
  atk.frame = NewObject(frameType, ATK_ROLE_FRAME);
  if (atk.root == nullptr || atk.frame == nullptr) return false;
  // The class of AtkUtil is ATK's own: the bridge asks it for the root.
  auto* util = static_cast<AtkUtilClass*>(library.typeClassRef(library.utilType()));
  util->get_root = Root;
  util->get_toolkit_name = ToolkitName;
  util->get_toolkit_version = ToolkitVersion;
  if (library.bridgeInit(nullptr, nullptr) != 0) return false;
  AtkEntriesChanged();
  // The window had the focus before the objects existed: a reader learns of it now.
  if (atk.active) AtkWindowActivated(true);
  return true;
}

void AtkEntriesChanged() {
  Objects& atk = Atk();
  if (atk.frame == nullptr) return;
  // Removed from the last, so each index told is the child's place at that moment.
  while (!atk.entries.empty()) {
    AtkObject* gone = atk.entries.back();
    atk.entries.pop_back();
    AsEntry(gone)->index = -1;
    Emit(atk.frame, "children-changed::remove", static_cast<guint>(atk.entries.size()), gone);
    atk.lib->objectUnref(gone);
  }
  atk.focused = -1;
  AccessView* view = CurrentAccessView();
  const size_t count = view != nullptr ? view->EntryCount() : 0;
  for (size_t i = 0; i < count; ++i) {
    AtkObject* object = NewObject(EntryType(), ATK_ROLE_PUSH_BUTTON);
    if (object == nullptr) break;
    AsEntry(object)->index = static_cast<int>(i);
    atk.entries.push_back(object);
    Emit(atk.frame, "children-changed::add", static_cast<guint>(i), object);
  }
  AtkHighlightChanged();
}

void AtkHighlightChanged() {
  Objects& atk = Atk();
  if (atk.frame == nullptr) return;
  const int now = HighlightedIndex();
  if (now == atk.focused) return;
  const auto count = static_cast<int>(atk.entries.size());
  if (atk.focused >= 0 && atk.focused < count)
    atk.lib->notifyStateChange(atk.entries[static_cast<size_t>(atk.focused)], ATK_STATE_FOCUSED,
                               FALSE);
  atk.focused = now;
  if (now >= 0)
    atk.lib->notifyStateChange(atk.entries[static_cast<size_t>(now)], ATK_STATE_FOCUSED, TRUE);
}

void AtkWindowActivated(bool active) {
  Objects& atk = Atk();
  atk.active = active;
  if (atk.frame == nullptr) return;
  atk.lib->notifyStateChange(atk.frame, ATK_STATE_ACTIVE, active ? TRUE : FALSE);
  Atk().lib->signalEmitByName(atk.frame, active ? "activate" : "deactivate");
}
