// The files a shown menu level was read from, so that a preview can watch them: the definition
// file, the settings' include file, the string include files, the background and the sounds.
// Core headers and platform/*.h only.
#pragma once

#include <string>
#include <vector>

#include "app/menu_app.h"
#include "menu/definition_loader.h"

// Full paths, each once, of what app's shown level read (chosen: the sections its load read).
// Names are made full from the current directory, the level's working directory; files named but
// missing are listed too, so that their coming is noticed.
std::vector<std::string> FilesOfShownLevel(const CMenuApp& app, const ChosenSections& chosen);
