// Noticing that files on disk changed: a set of files watched together, asked without waiting
// whether any of them was written, created, replaced, renamed or removed. No OS headers here.
#pragma once

#include <string>
#include <vector>

// The backend's record of one watch; opaque to the core.
struct FileWatch;

// Starts watching paths (full paths as GetFullPath gives them; a missing file is watched for its
// coming). Null when not one of them can be watched.
FileWatch* StartFileWatch(const std::vector<std::string>& paths);
// 1 when a watched file changed since the watch started or since the last call that answered 1,
// else 0. Never waits; cheap enough to ask several times a second.
int FilesChanged(FileWatch* watch);
// Ends the watch and frees it; null is ignored.
void EndFileWatch(FileWatch* watch);
