// Text from definition files and file names made fit for a terminal and for a message: long
// pieces cut, control characters and bytes that are no UTF-8 shown as escapes. Standard
// library only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Characters of a key, value or name that a message quotes; the rest is cut and "..." added.
constexpr size_t kShownPieceLength = 60;

// text cut after limit bytes (never inside a UTF-8 sequence) with "..." added; as it is when
// it fits.
std::string CutPiece(std::string_view text, size_t limit = kShownPieceLength);

// UTF-8 text with the C0 and C1 control characters and DEL written as escapes ("\x1b",
// "\u009b"), and each byte that is no part of valid UTF-8 as "\xNN": nothing a terminal acts on.
// keepLineBreaks: '\n' stays, for messages of several lines.
std::string TerminalSafe(std::string_view text, bool keepLineBreaks = false);

// text (UTF-8, as the store reads every file) with each byte that starts no UTF-8 sequence
// (a text cut inside one) shown as U+FFFD.
std::string ShownUtf8(std::string_view text);

// "1 problem", "2 problems": count with the noun in the form it takes.
std::string Counted(size_t count, std::string_view one, std::string_view many);
