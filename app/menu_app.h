// CMenuApp, the one object that holds the menu program's state (window, session table, fonts,
// cursors, off-screen buffers, reader, page, settings, background), and the module-wide texts.
// Standard library, the core's own headers and platform/*.h only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "menu/menu_page.h"
#include "platform/handles.h"
#include "platform/owned_handles.h"
#include "platform/window_events.h"
#include "profile/load_finding.h"
#include "profile/menu_settings.h"
#include "profile/profile.h"
#include "render/dib.h"
#include "render/menu_picture.h"
#include "render/transition.h"

// What a click on an entry hands to the shell: the verb, the file (a full path, or a web address
// as written), the parameters and the working directory (null: none; the current directory).
struct ShellStart {
  const char* verb;
  const char* file;
  const char* parameters;
  const char* directory;
};
// Where starts go instead of the shell (a preview shows them).
using StartSink = std::function<void(const ShellStart&)>;

// One level left behind on the session stack.
struct SessionEntry {
  char definitionFile[260];    // the definition file as it was given to the loader
  char workingDirectory[260];  // the directory current while that level was shown
};

// Application title (string 103, "Quorel"): start-up message captions, first window title,
// default menu title.
extern char appTitle[100];
// Window class name (string 109, "QUOREL").
extern char windowClassName[100];
// The directory current when the program started.
extern char startDirectory[260];
// The program's module, for the window procedure's resource loads.
extern void* appInstance;
// Fills appTitle and windowClassName; the process entry calls it first.
void LoadAppStrings();

class CMenuApp;
struct ChosenSections;
// The one application object of the menu program (the window backends pass every event to
// it through WindowEvents). Tests make their own objects.
extern CMenuApp theApp;

class CMenuApp : public WindowEvents {
 public:
  static constexpr int32_t kSessionCount = 16;

  // Every field at its starting value: no window, no fonts, sessionIndex -1, no pendingEffect.
  CMenuApp();
  // Frees the off-screen buffer, the screen bitmap and its bits, and the three fonts.
  ~CMenuApp() override;

  CMenuApp(const CMenuApp&) = delete;
  CMenuApp& operator=(const CMenuApp&) = delete;

  // Reads the screen depth and size, allocates offscreenBuffer, stores window and instance,
  // picks the string section for profile.country, loads the cursors and the page buttons.
  // 1, or 0 when the buffer cannot be allocated (window and instance are then not stored).
  int Initialize(void* instance, WindowHandle window);

  // Centres the window on the screen (it may end at negative coordinates), at the top of the
  // z-order, and shows it. Nothing without a window.
  void CenterWindow();
  // Shows cursor unless it is already currentCursor; every cursor change goes through here.
  void ChangeCursor(CursorHandle cursor);
  // Plays a sound resource (flags with SoundResource bits) or a sound file; a file that does
  // not exist gives 0 without playing. Otherwise the platform's result.
  int PlayMenuSound(const char* name, uint32_t flags);
  // Sets pendingEffect and asks for a repaint of the whole client area.
  void RedrawWithEffect(int32_t effect);

  // Reads the definition file fileName into settings (a zeroed record, recordSize stamped)
  // and the page's items; the sections read go to chosen when it is not null. 1, or 0 when the
  // path cannot be made full, the record is refused or the file is missing or empty.
  int LoadDefinition(const char* fileName, MenuSettings* settings,
                     ChosenSections* chosen = nullptr);
  // Shows what the loader or the bitmap reader found as the menu's message box: the bitmap
  // reader's in a box of its own (CDib::ReportError), the loader's as an error on the window.
  void ShowFinding(const LoadFinding& finding);
  // Hands what this object's loads find (definition files and backgrounds) to sink instead of
  // showing it; an empty sink shows it again. Tools that load menus with nobody to answer a
  // message box take the findings this way.
  void ReportFindingsTo(FindingSink sink);
  // Hands what clicks would start to sink instead of the shell; an empty sink starts again.
  void ReportStartsTo(StartSink sink) { starts_ = std::move(sink); }
  // Save and restore the remembered page and visited marks of a definition file.
  void SavePageState(const char* definitionFile);
  void RestorePageState(const char* fullPath);
  // Saves the shown file's page and marks as they stand, so a restart of the computer (which
  // leaves no time for anything) finds them.
  void SaveShownPageState();

  // Puts settings in force: fonts, background, layout, hint and title rectangles, screen
  // bitmap, window size and caption; centres the window when centre is non-zero.
  // 1, or 0 when the record is refused or the background cannot be loaded.
  int ApplySettings(MenuSettings* newSettings, int centre);
  // Paints the window into target; paintRect (right and bottom exclusive) or null for the
  // whole window. 0 when no settings are loaded, else 1.
  int PaintWindow(DrawTarget* target, const Rect* paintRect);
  // Draws background, title, the entries meeting the region, and the hint into target.
  void ComposeImage(DrawTarget* target, int32_t x, int32_t y, int32_t width, int32_t height);
  // Draws the title in the title rectangle of settings.
  void PaintTitle(DrawTarget* target);
  // Realises the background's palette, then selects it as a background palette; the number
  // of entries realised, 0 without a palette.
  int RealizeBackgroundPalette(DrawTarget* target);
  // The display's depth or size changed: new off-screen buffer, settings applied again.
  void DisplayChanged(int32_t bitsPerPixel, int32_t screenWidth, int32_t screenHeight) override;

  // --- Transition effects ----------------------------------------------------------------
  // Reveals the composed image of imageTarget in windowTarget with effect EffectCells to
  // EffectInterlace (render/transition.h); any other value copies nothing.
  void RunTransition(int32_t effect, DrawTarget* windowTarget, DrawTarget* imageTarget);
  void TransitionInterlace(DrawTarget* windowTarget, DrawTarget* imageTarget);

  // --- Pointer input ---------------------------------------------------------------------
  // A pointer message (0x200 move, 0x201 button down, 0x202 button up, 0x203 double click)
  // at x, y of the client area; keyState is not used. Ignored while busy.
  void OnMouse(uint32_t message, uint32_t x, uint32_t y, uintptr_t keyState) override;
  // Carries out what a clicked entry stands for. 0 when a page turn was refused or the
  // target was not found, else 1.
  int ActivateItem(CMenuItem* entry);
  // Hands a web address (IsWebAddress) to the shell as written, then the arrow and the click
  // sound, as for a file. Always 1.
  int OpenAddress(CMenuItem* entry);
  // Turns the page by delta and lays it out. 1 when the page changed, 0 when refused.
  int TurnPage(int32_t delta, MenuSettings* pageSettings);
  // A click on entry, by the pointer or a key: the entry is marked visited (and the marks
  // saved), then activated. ActivateItem's result.
  int ClickEntry(CMenuItem* entry);

  // --- Keyboard input --------------------------------------------------------------------
  // A key message (KeyMessageDown, KeyMessageUp, KeyMessageSystemDown) for key (a Key* number
  // of platform/keys.h) with the message's flags (KeyFlagAlt, KeyFlagRepeat): moves the one
  // highlight the pointer also moves, or does what a click on an entry does. Ignored while
  // busy. 1 when the key was taken; 0 for a system key left to default processing.
  int OnKey(uint32_t message, uintptr_t key, intptr_t flags) override;
  // What Enter does on entry, for assistive technology's default action (app/entry_access.cpp).
  void PressEntry(CMenuItem* entry) { ClickByKey(entry); }

  // --- Window events, one call per message of the window procedure ------------------------
  // The window was created: "About..." joins its system menu.
  void OnCreate(WindowHandle created) override;
  // The window is being destroyed: start directory current again, quit message posted,
  // restart recovery removed.
  void OnDestroy() override;
  // Paints paintRect (right and bottom exclusive; null: all); without settings in force the
  // painting error text is drawn at 0, 0 instead.
  void OnPaint(DrawTarget* target, const Rect* paintRect) override;
  // Close request: the exit question; on yes the leave sound, then the window is destroyed.
  // 1 after destroying, 0 when not confirmed.
  int OnClose() override;
  // The desktop session ends: nothing, so the restart recovery stays in place.
  void OnEndSession(int ending) override;
  // Menu and accelerator commands: 104 the About box, 105 a close request. 1 when handled,
  // 0 for any other command (default processing).
  int OnCommand(int command) override;
  // System-menu commands: 104 (the whole value) the system About box. 1 when handled.
  int OnSysCommand(uintptr_t command) override;
  // The exit question (settings' exitMessage and exitTitle, Yes/No): 1 exactly on Yes.
  int ConfirmExit();
  // The leave sound of settings, played to its end, when it names a file that can be read.
  void PlayLeaveSound();
  // The About box of the system menu.
  void ShowAbout();

  // --- Session stack -------------------------------------------------------------------
  // Opens definitionFile as a new level, workingDirectory (null: the current one) made
  // current; startFlag 1 centres the window and plays the enter sound. Journals the level.
  // 1, or 0 when refused or the file cannot be loaded or applied.
  int OpenMenu(const char* definitionFile, const char* workingDirectory, int startFlag);
  // Goes back one level; on the top level asks the exit question instead. 1 when the
  // previous level is shown now.
  int ReturnMenu();

  int32_t bitmapWidth;
  int32_t bitmapHeight;
  OwnedImage screenBitmap;                // the background at the screen's depth
  std::unique_ptr<uint8_t[]> screenBits;  // owned: pixel store of screenBitmap
  int32_t pendingEffect;                  // EffectNone, or the effect of the next paint
  int32_t busy;                           // 1 while a definition file is loaded or applied
  std::unique_ptr<uint8_t[]> offscreenBuffer;
  SessionEntry sessions[kSessionCount];
  int32_t sessionIndex;  // -1 while no definition file is open
  OwnedFont titleFont;
  OwnedFont itemFont;
  OwnedFont hintFont;
  CursorHandle pressCursor;
  CursorHandle currentCursor;
  CursorHandle arrowCursor;
  CursorHandle waitCursor;
  CursorHandle handCursor;
  int32_t screenDepth;
  Rect hintRect;  // the hint line: left, top, right and bottom exclusive
  CMenuPage page;
  WindowHandle window;
  void* instance;  // the program's module, opaque to the core
  char countrySuffix[8];
  CProfile profile;
  MenuSettings settings;
  CDib backgroundDib;

 private:
  // Bytes reserved for offscreenBuffer and their sizes, so a bitmap is never made from a
  // buffer that does not cover it.
  size_t offscreenSize;
  size_t screenBitsSize;
  // The picture paints compose, with the image it keeps between paints.
  CMenuPicture picture;
  // Where loads report what they find: ShowFinding unless ReportFindingsTo said otherwise.
  FindingSink findings_;
  // Where clicks start what they stand for: the shell unless ReportStartsTo said otherwise.
  StartSink starts_;

  // Hands a clicked entry's target to the shell, or to starts_ when one is set.
  void StartTarget(const ShellStart& start);

  // Asks for a repaint of entry's rectangle, and of the hint line.
  void InvalidateEntry(const CMenuItem& entry);
  void InvalidateHint();
  // The keyboard puts the highlight on entry: what hovering gives it (hover sound, the entry,
  // the one left and the hint repainted), the focus frame, and no press pending.
  void HighlightByKey(CMenuItem* entry);
  // A click on entry by a key; a new page or level shown by it starts on its first entry.
  void ClickByKey(CMenuItem* entry);

  // ApplySettings' steps: the exit-or-return button chosen and the page buttons' hints taken
  // from newSettings; the three fonts of settings made anew; the background converted once to
  // the screen's depth.
  void SetButtonHints(const MenuSettings& newSettings);
  void MakeFonts();
  void MakeScreenBitmap(DrawTarget* windowTarget, int32_t width, int32_t height);

  // What the picture is drawn from now, for the render code.
  PictureSources PictureInputs();
  // What the transition effects reveal: the background's size, the screen's depth.
  TransitionFrame TransitionArea() const;
};
