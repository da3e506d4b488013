// The GLib, GObject, ATK and AT-SPI bridge functions the Linux accessibility objects call, found
// at run time: none of these libraries is linked, so the program starts where they are missing.
// ATK and GLib headers for their types only; nothing here calls them directly.
#pragma once

#include <atk/atk.h>

struct AtkLibrary {
  // GLib
  gboolean (*mainContextIteration)(GMainContext*, gboolean);
  // GObject
  GType (*typeRegisterStatic)(GType, const gchar*, const GTypeInfo*, GTypeFlags);
  void (*typeAddInterfaceStatic)(GType, GType, const GInterfaceInfo*);
  gpointer (*typeClassRef)(GType);
  gpointer (*typeClassPeekParent)(gpointer);
  gpointer (*objectNew)(GType, const gchar*, ...);
  gpointer (*objectRef)(gpointer);
  void (*objectUnref)(gpointer);
  void (*signalEmitByName)(gpointer, const gchar*, ...);
  // ATK
  GType (*objectType)();
  GType (*utilType)();
  GType (*componentType)();
  GType (*actionType)();
  GType (*windowType)();
  AtkStateSet* (*stateSetNew)();
  gboolean (*stateSetAddState)(AtkStateSet*, AtkStateType);
  void (*objectSetRole)(AtkObject*, AtkRole);
  void (*notifyStateChange)(AtkObject*, AtkState, gboolean);
  // the AT-SPI bridge: registers the root with the accessibility bus
  int (*bridgeInit)(int*, char***);
};

// Loads the libraries and finds every function; false (and nothing usable) when one is
// missing. Quiet; safe to call from any thread, once.
bool LoadAtkLibrary(AtkLibrary* library);
