// Rebuilding the session stack from the journal of an earlier run (the restore form of the
// command line). Standard C++ and platform/*.h only.
#pragma once

class CMenuApp;

// How many journal keys a replay reads at most ("Session0" to "Session15").
constexpr int kJournalKeysRead = 16;

// Reads "Session0", "Session1", ... from section "Config" of sessionFile (a bare name: the
// Windows directory; or a full path) and opens each level again with the definition file text
// before the first comma and the working directory after it; centres the window after each entry.
// Stops at the first empty or missing key; a value without a comma is skipped, and so is one whose
// level cannot be opened. Returns how many levels were opened.
int ReplayJournal(CMenuApp& app, const char* sessionFile);
