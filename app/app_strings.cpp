// The module-wide texts beside the application object: title, window class name and the
// directory the program started in. Standard library and the core's own headers only.
#include "app/menu_app.h"
#include "platform/copy_text.h"

namespace {

// The texts of string resources 103 and 109.
constexpr char kAppTitle[] = "Quorel";
constexpr char kWindowClassName[] = "QUOREL";

}  // namespace

// Filled at static initialisation as well, so code running before the entry (and tests)
// sees the same texts.
char appTitle[100] = "Quorel";
char windowClassName[100] = "QUOREL";
char startDirectory[260] = "";
void* appInstance = nullptr;

void LoadAppStrings() {
  CopyText(appTitle, sizeof appTitle, kAppTitle);
  CopyText(windowClassName, sizeof windowClassName, kWindowClassName);
}
