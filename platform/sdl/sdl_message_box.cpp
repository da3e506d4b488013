// Modal message boxes and the About box on SDL: caption and text as given (UTF-8), OK or Yes/No
// with the first button the default: Return answers it, Escape answers No or closes an OK box.
// SDL, the window state and the UTF-8 repair only.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/app_shell.h"
#include "platform/message_box.h"
#include "platform/sdl/sdl_event_loop.h"
#include "platform/sdl/sdl_window_state.h"
#include "portable/text_decoding.h"

namespace {

// The two lines of the About box.
constexpr char kAboutCaption[] = "About";
constexpr char kAboutText[] =
    "Quorel Version 1.0\n"
    "Start-up menu for discs";  // the second line of the Windows About box

Uint32 IconFlags(unsigned style) {
  if ((style & MessageIconError) != 0) return SDL_MESSAGEBOX_ERROR;
  if ((style & MessageIconQuestion) != 0) return SDL_MESSAGEBOX_INFORMATION;  // SDL has no "?"
  if ((style & MessageIconInformation) != 0) return SDL_MESSAGEBOX_INFORMATION;
  return 0;
}

}  // namespace

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  const std::string utf8Text = ValidUtf8(text != nullptr ? text : "");
  const std::string utf8Caption = ValidUtf8(caption != nullptr ? caption : "Error");
  const bool yesNo = (style & 0xF) == MessageYesNo;
  const SDL_MessageBoxButtonData okButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, ResultOk,
       "OK"},
  };
  const SDL_MessageBoxButtonData yesNoButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, ResultYes, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, ResultNo, "No"},
  };
  SDL_MessageBoxData box{};
  box.flags = IconFlags(style) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.window = SdlWindowOf(owner);
  box.title = utf8Caption.c_str();
  box.message = utf8Text.c_str();
  box.numbuttons = yesNo ? 2 : 1;
  box.buttons = yesNo ? yesNoButtons : okButtons;

  int pressed = -1;
  int shown;
  {
    const ModalScope modal;
    shown = SDL_ShowMessageBox(&box, &pressed);
  }
  if (shown != 0) {
    // A box also fails when the display has gone away: that must end the program as a session
    // end does (sdl_event_loop.cpp), never count as an answer. Talking to the display shows it.
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_PumpEvents();
    // SDL's X11 boxes need the X server's core fonts, which some servers lack (Xvfb and
    // XWayland without xfonts-base). Failing would leave the exit question unanswerable and the
    // window unclosable: the text goes to stderr instead and the default button answers.
    std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
    return yesNo ? ResultYes : ResultOk;
  }
  // Closed from its frame without a button: as Escape would have answered.
  if (pressed < 0) return yesNo ? ResultNo : ResultOk;
  return pressed;
}

void ShowAboutBox(WindowHandle owner, void* instance, AboutBoxKind kind) {
  // Both kinds look alike here, and both close on Escape: SDL's boxes always do.
  (void)instance;
  (void)kind;
  ShowMessageBox(owner, kAboutText, kAboutCaption, MessageOk | MessageIconInformation);
}
