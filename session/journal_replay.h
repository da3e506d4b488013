// Rebuilding the session stack from the journal of an earlier run (the restore form of the
// command line). Standard C++ and platform/*.h only.
#pragma once

#include <cstdint>

class CMenuApp;

// How many journal keys a replay reads at most ("Session0" to "Session15").
constexpr int kJournalKeysRead = 16;

// Reads "Session0", "Session1", ... from section "Config" of sessionFile (a bare name: the
// Windows directory; or a full path) and opens each level again with the definition file text
// before the first comma and the working directory after it; centres the window after each entry.
// Stops at the first empty or missing key; a value without a comma is skipped, and so is one whose
// level cannot be opened. Afterwards the journal these openings wrote (SessionFile()) has no key
// above the level reached. Returns how many levels were opened.
int ReplayJournal(CMenuApp& app, const char* sessionFile);

// Empties every journal key above level, up to the last one a replay reads, that still holds a
// value, so that a later replay cannot bring back a level that is not open now. A start in the
// normal form passes -1 before its first level is journalled; a replay passes the level it
// reached. The session file is not created for it.
void EmptyJournalAbove(int32_t level, const char* sessionFile);
