// Asking the session bus for the accessibility bus (org.a11y.Bus.GetAddress) and greeting that
// bus once, through libdbus found at run time; every failure means: no bus.
#include "platform/sdl/sdl_atk_bus.h"

#include <SDL.h>

#include <cstdlib>

namespace {

constexpr int kTypeString = 's';  // DBUS_TYPE_STRING
constexpr int kTypeInvalid = 0;   // DBUS_TYPE_INVALID
constexpr int kAnswerMs = 5000;   // a session bus that takes longer is not waited for

struct Dbus {
  void* (*openPrivate)(const char*, void*);
  int (*busRegister)(void*, void*);
  void* (*newMethodCall)(const char*, const char*, const char*, const char*);
  void* (*sendAndWait)(void*, void*, int, void*);
  int (*getArgs)(void*, void*, int, ...);
  void (*close)(void*);
  void (*unrefConnection)(void*);
  void (*unrefMessage)(void*);
};

template <typename Function>
bool Find(void* library, Function* function, const char* name) {
  *function = reinterpret_cast<Function>(SDL_LoadFunction(library, name));
  return *function != nullptr;
}

bool LoadDbus(Dbus* d) {
  void* library = SDL_LoadObject("libdbus-1.so.3");
  return library != nullptr && Find(library, &d->openPrivate, "dbus_connection_open_private") &&
         Find(library, &d->busRegister, "dbus_bus_register") &&
         Find(library, &d->newMethodCall, "dbus_message_new_method_call") &&
         Find(library, &d->sendAndWait, "dbus_connection_send_with_reply_and_block") &&
         Find(library, &d->getArgs, "dbus_message_get_args") &&
         Find(library, &d->close, "dbus_connection_close") &&
         Find(library, &d->unrefConnection, "dbus_connection_unref") &&
         Find(library, &d->unrefMessage, "dbus_message_unref");
}

// Whether the bus at address lets a connection in and answers its greeting (the bridge's
// first steps, which would otherwise be taken on the main thread).
bool Answers(const Dbus& d, const char* address) {
  void* connection = d.openPrivate(address, nullptr);
  if (connection == nullptr) return false;
  const bool answered = d.busRegister(connection, nullptr) != 0;
  d.close(connection);
  d.unrefConnection(connection);
  return answered;
}

// The session bus's answer to org.a11y.Bus.GetAddress; empty when none.
std::string AskSessionBus(const Dbus& d, const char* session) {
  void* connection = d.openPrivate(session, nullptr);
  if (connection == nullptr) return {};
  std::string address;
  if (d.busRegister(connection, nullptr) != 0) {
    void* call = d.newMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress");
    if (call != nullptr) {
      void* reply = d.sendAndWait(connection, call, kAnswerMs, nullptr);
      d.unrefMessage(call);
      if (reply != nullptr) {
        const char* text = nullptr;
        if (d.getArgs(reply, nullptr, kTypeString, &text, kTypeInvalid) != 0 && text != nullptr) {
          address = text;
        }
        d.unrefMessage(reply);
      }
    }
  }
  d.close(connection);
  d.unrefConnection(connection);
  return address;
}

}  // namespace

std::string FindAccessibilityBus() {
  Dbus d{};
  if (!LoadDbus(&d)) return {};
  std::string address;
  const char* given = std::getenv("AT_SPI_BUS_ADDRESS");
  if (given != nullptr && given[0] != '\0') {
    address = given;
  } else {
    // Without an address libdbus would try to launch a session bus of its own: not ours to do.
    const char* session = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (session == nullptr || session[0] == '\0') return {};
    address = AskSessionBus(d, session);
  }
  return !address.empty() && Answers(d, address.c_str()) ? address : std::string();
}
