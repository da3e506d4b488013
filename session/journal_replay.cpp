// The journal of the menu levels: writing entries, the replay of the restore form, emptying what
// is left over. Core headers and platform/*.h only.
#include "session/journal_replay.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/profile_store.h"
#include "session/restart_recovery.h"

int ReplayJournal(JournalLevels& levels, const char* sessionFile) {
  const bool named = sessionFile != nullptr && sessionFile[0] != '\0';
  int opened = 0;
  for (int n = 0; named && n < kJournalKeysRead; ++n) {
    char key[32];
    std::snprintf(key, sizeof key, "Session%d", n);
    // An entry holds two texts of up to 259 characters and the comma; a longer value (edited
    // by hand) is cut by the read and skipped, so no cut text names another file.
    char value[521];
    const uint32_t length =
        ReadProfileString(kSessionSection, key, "", value, sizeof value, sessionFile);
    if (length == 0) break;
    if (length >= sizeof value - 1) continue;
    const char* comma = std::strchr(value, ',');
    if (comma == nullptr) continue;
    // Passed whole: a text too long for a level is refused by OpenMenu rather than cut into
    // the name of another file.
    const std::string definitionFile(value, static_cast<size_t>(comma - value));
    if (levels.OpenLevel(definitionFile.c_str(), comma + 1)) ++opened;
    levels.CentreWindow();
  }
  // The levels opened wrote the journal of this run. A skipped level leaves its successors
  // journalled under lower keys, and keys past the first empty one may be left from older
  // runs: none of them is open now.
  EmptyJournalAbove(levels.LevelShown(), SessionFile());
  return opened;
}

void WriteJournalEntry(int32_t level, const char* value, const char* sessionFile) {
  if (sessionFile == nullptr || sessionFile[0] == '\0') return;
  char key[32];
  std::snprintf(key, sizeof key, "Session%d", static_cast<int>(level));
  WriteProfileValue(kSessionSection, key, value, sessionFile);
}

void EmptyJournalAbove(int32_t level, const char* sessionFile) {
  if (sessionFile == nullptr || sessionFile[0] == '\0') return;
  for (int n = level < 0 ? 0 : level + 1; n < kJournalKeysRead; ++n) {
    char key[32];
    std::snprintf(key, sizeof key, "Session%d", n);
    char value[2];
    if (ReadProfileString(kSessionSection, key, "", value, sizeof value, sessionFile) == 0) {
      continue;
    }
    WriteProfileValue(kSessionSection, key, "", sessionFile);
  }
}
