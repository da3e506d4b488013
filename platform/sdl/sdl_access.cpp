// Assistive technology on the Linux build: not offered yet. The window is not in the AT-SPI
// tree, so the view and the notices go nowhere (docs/authoring.md says so).
#include "platform/access.h"

void SetAccessView(AccessView* view) { (void)view; }

void AccessHighlightChanged(WindowHandle window) { (void)window; }

void AccessEntriesChanged(WindowHandle window) { (void)window; }
