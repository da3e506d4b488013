// Finding GLib, GObject, ATK and the AT-SPI bridge at run time, through SDL's loader (dlopen;
// no libdl to link on older systems). The libraries stay loaded for the life of the process.
#include "platform/sdl/sdl_atk_library.h"

#include <SDL.h>

namespace {

// One library's functions: each name found or the whole set refused.
class Finder {
 public:
  explicit Finder(const char* soname) : handle_(SDL_LoadObject(soname)) {}
  bool Loaded() const { return handle_ != nullptr; }
  template <typename Function>
  bool Find(Function* function, const char* name) {
    *function =
        handle_ != nullptr ? reinterpret_cast<Function>(SDL_LoadFunction(handle_, name)) : nullptr;
    return *function != nullptr;
  }

 private:
  void* handle_;
};

}  // namespace

bool LoadAtkLibrary(AtkLibrary* library) {
  *library = AtkLibrary{};
  // Each name is a soname that has stayed the same for over a decade; the bridge needs the
  // other three, so it is loaded last.
  Finder glib("libglib-2.0.so.0");
  Finder gobject("libgobject-2.0.so.0");
  Finder atk("libatk-1.0.so.0");
  if (!glib.Loaded() || !gobject.Loaded() || !atk.Loaded()) return false;
  Finder bridge("libatk-bridge-2.0.so.0");
  AtkLibrary& f = *library;
  const bool found = glib.Find(&f.mainContextIteration, "g_main_context_iteration") &&
                     gobject.Find(&f.typeRegisterStatic, "g_type_register_static") &&
                     gobject.Find(&f.typeAddInterfaceStatic, "g_type_add_interface_static") &&
                     gobject.Find(&f.typeClassRef, "g_type_class_ref") &&
                     gobject.Find(&f.typeClassPeekParent, "g_type_class_peek_parent") &&
                     gobject.Find(&f.objectNew, "g_object_new") &&
                     gobject.Find(&f.objectRef, "g_object_ref") &&
                     gobject.Find(&f.objectUnref, "g_object_unref") &&
                     gobject.Find(&f.signalEmitByName, "g_signal_emit_by_name") &&
                     atk.Find(&f.objectType, "atk_object_get_type") &&
                     atk.Find(&f.utilType, "atk_util_get_type") &&
                     atk.Find(&f.componentType, "atk_component_get_type") &&
                     atk.Find(&f.actionType, "atk_action_get_type") &&
                     atk.Find(&f.windowType, "atk_window_get_type") &&
                     atk.Find(&f.stateSetNew, "atk_state_set_new") &&
                     atk.Find(&f.stateSetAddState, "atk_state_set_add_state") &&
                     atk.Find(&f.objectSetRole, "atk_object_set_role") &&
                     atk.Find(&f.notifyStateChange, "atk_object_notify_state_change") &&
                     bridge.Find(&f.bridgeInit, "atk_bridge_adaptor_init");
  if (!found) *library = AtkLibrary{};
  return found;
}
