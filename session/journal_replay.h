// The journal of the menu levels in the session file: written as levels open and close, and
// read back to rebuild them (the restore form of the command line). Standard C++ and
// platform/*.h only.
#pragma once

#include <cstdint>

// What a replay asks of the menu.
class JournalLevels {
 public:
  virtual ~JournalLevels() = default;
  // Opens a level as a click on a LINK entry does; 1 when it is shown.
  virtual int OpenLevel(const char* definitionFile, const char* workingDirectory) = 0;
  // Centres the window.
  virtual void CentreWindow() = 0;
  // The level shown now: -1 for none, 0 for the first.
  virtual int32_t LevelShown() const = 0;
};

// How many journal keys a replay reads at most ("Session0" to "Session15").
constexpr int kJournalKeysRead = 16;

// Reads "Session0", "Session1", ... from section "Config" of sessionFile (a bare name: the
// Windows directory; or a full path) and opens each level again with the definition file text
// before the first comma and the working directory after it; centres the window after each entry.
// Stops at the first empty or missing key; a value without a comma is skipped, and so is one whose
// level cannot be opened. Afterwards the journal these openings wrote (SessionFile()) has no key
// above the level reached. Returns how many levels were opened.
int ReplayJournal(JournalLevels& levels, const char* sessionFile);

// Journals level ("Session<level>") with value, the definition file and working directory joined
// by a comma, or empty when the level was left (an empty key ends the journal for a replay).
// An empty sessionFile (a run that keeps no session) writes nothing.
void WriteJournalEntry(int32_t level, const char* value, const char* sessionFile);

// Empties every journal key above level, up to the last one a replay reads, that still holds a
// value, so that a later replay cannot bring back a level that is not open now. A start in the
// normal form passes -1 before its first level is journalled; a replay passes the level it
// reached. The session file is not created for it.
void EmptyJournalAbove(int32_t level, const char* sessionFile);
