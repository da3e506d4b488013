// The autostart entry that stands in for the Run value on Linux: its text and where it lives,
// apart from the writing, so the quoting can be checked by itself. C++ library only.
#pragma once

#include <string>
#include <vector>

// The Exec value that runs arguments (arguments[0]: the program) by the Desktop Entry rules:
// an argument holding a reserved character (blank, tab, newline, " ' \ > < ~ | & ; $ * ? # ( )
// or `) or an empty one is put in double quotes, with " ` $ \ inside escaped by a backslash;
// every % becomes %%; then every backslash is doubled, since Exec is a string value. False,
// and *value untouched, when an argument holds a control character or is not UTF-8: such an
// argument cannot be written into an entry safely.
bool FormatExecValue(const std::vector<std::string>& arguments, std::string* value);

// The whole entry that runs programPath with argument once name's log-on comes; empty when
// FormatExecValue refuses them or name holds a control character.
std::string DesktopEntryText(const std::string& name, const std::string& programPath,
                             const std::string& argument);

// $XDG_CONFIG_HOME/autostart/<name>.desktop ($XDG_CONFIG_HOME only when absolute, else
// $HOME/.config); empty when neither is set or name is empty or holds a '/'.
std::string AutostartEntryPath(const std::string& name);
