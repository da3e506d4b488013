// The settings-key table of docs/authoring.md, made from the key table the loader reads with, so
// the document cannot drift from the program. Core headers only.
#pragma once

#include <string>

// The Markdown table (name, kind, default, meaning) of every settings key, in reading order.
// Empty when a key has no meaning written for it or a meaning names no key.
std::string KeyReferenceMarkdown();
