// Fuzzes the journal replay: any session file rebuilds at most sixteen levels of the menus it
// names, on a headless window, without reading outside a buffer. Input: the session file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/menu_app.h"
#include "app/process_entry.h"
#include "platform/headless/headless_control.h"
#include "session/journal_replay.h"
#include "tests/fuzz/fuzz_files.h"
#include "tests/support/bmp_writer.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Two menus the journal can name: "m.ini" here and "s/m.ini" one folder down.
const std::string& Folder() {
  static const std::string folder = [] {
    // A 4 x 2 grey background for both.
    const std::vector<uint8_t> bmp = quorel_test::EncodeBmp(quorel_test::SolidBmp(4, 2, 0x404040));
    const std::string menu = "[menu]\ntitle=Fuzz\nitem=Deeper,LINK,s\\m.ini,,s\n";
    const std::string path =
        WriteFuzzFile("m.ini", reinterpret_cast<const uint8_t*>(menu.data()), menu.size());
    WriteFuzzFile("quorel.bmp", bmp.data(), bmp.size());
    const std::string here = path.substr(0, path.rfind('/'));
    Check(mkdir((here + "/s").c_str(), 0700) == 0);
    WriteFuzzFile("s/m.ini", reinterpret_cast<const uint8_t*>(menu.data()), menu.size());
    WriteFuzzFile("s/quorel.bmp", bmp.data(), bmp.size());
    return here;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& folder = Folder();
  Check(chdir(folder.c_str()) == 0);
  WriteFuzzFile("quorel~.tmp", data, size);  // the scratch folder stands in for the Windows one

  HeadlessReset();
  HeadlessConfigureScreen(64, 48, 32);
  {
    CMenuApp app;
    Check(app.Initialize(nullptr, HeadlessCreateWindow()) == 1);
    const int opened = ReplayJournal(app, "quorel~.tmp");
    Check(opened >= 0 && opened <= kJournalKeysRead);
    // A level whose background fails counts without being opened, never more than the table.
    Check(app.sessionIndex >= opened - 1 && app.sessionIndex <= CMenuApp::kSessionCount);
  }
  HeadlessReset();
  return 0;
}
