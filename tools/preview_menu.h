// `quorel-tool preview FILE`: the menu program shows FILE in its preview mode (read again at
// every save, clicks printed), while the tool prints the check of FILE at the start and after
// every change of a file the check read.
#pragma once

#include <string>

struct PreviewOptions {
  std::string file;
  std::string program;  // the menu program; "" the one beside the tool (or this build's)
};

// Reads "preview FILE [--program PATH]" (argv[1] is "preview"): "" when it is whole, else what
// is wrong with it.
std::string ParsePreview(int argc, char** argv, PreviewOptions* options);

// Runs the preview until its window is closed; the menu program's exit code. Throws
// std::runtime_error when the menu program cannot be found or started.
int RunPreview(const PreviewOptions& options);
