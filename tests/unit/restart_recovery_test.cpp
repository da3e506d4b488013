// The restart recovery: what registering writes and unregistering removes, and the journal
// replay that rebuilds the session stack after a restart.
#include "session/restart_recovery.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>

#include "app/process_entry.h"
#include "platform/copy_text.h"
#include "platform/profile_store.h"
#include "session/journal_replay.h"
#include "tests/unit/app_fixture.h"

namespace app_test {
namespace {

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RestartRecoveryTest : public TwoMenuTest {
 protected:
  void SetUp() override {
    TwoMenuTest::SetUp();
    WriteMenus("");
  }
  void TearDown() override {
    startDirectory[0] = '\0';
    TwoMenuTest::TearDown();
  }
  fs::path Windir() const { return folder_ / "windir"; }
  fs::path Autostart() const { return folder_ / "config" / "autostart" / "QuorelReload.desktop"; }
};

TEST_F(RestartRecoveryTest, RegisterWritesAllThreeAndUnregisterLeavesNothing) {
  CopyText(startDirectory, sizeof startDirectory, a_.c_str());
  ASSERT_EQ(1, app_->OpenMenu("menu.ini", a_.c_str(), 1));
  RegisterRestart(startDirectory);

  EXPECT_EQ(fs::read_symlink("/proc/self/exe").string(), Config("Exec"));
  EXPECT_EQ(a_, Config("Workpath"));
  EXPECT_EQ("menu.ini," + a_, Config("Session0"));
  const fs::path program = Windir() / "pindrel";
  const std::string built = ReadBytes(QUOREL_RELOAD_PROGRAM_FILE);
  ASSERT_FALSE(built.empty());
  EXPECT_EQ(built, ReadBytes(program));  // byte for byte the built reload program
  struct stat info {};
  ASSERT_EQ(0, ::stat(program.c_str(), &info));
  EXPECT_EQ(0755u, info.st_mode & 0777u);
  EXPECT_TRUE(fs::exists(Autostart()));

  UnregisterRestart();
  EXPECT_TRUE(fs::is_empty(Windir()));
  EXPECT_FALSE(fs::exists(Autostart()));
  UnregisterRestart();  // nothing left to remove is no error
  EXPECT_TRUE(fs::is_empty(Windir()));
}

TEST_F(RestartRecoveryTest, AllOrNothingWhateverTheStandInIs) {
  const std::string image = ReadBytes(QUOREL_RELOAD_PROGRAM_FILE);
  ASSERT_FALSE(image.empty());
  fs::path deep = folder_;
  while (deep.string().size() < 320) deep /= std::string(40, 'd');
  const struct {
    const char* what;
    fs::path windir;
    const char* blocker;  // a folder of this name in windir refuses that file
    bool configIsFile;    // the autostart folder cannot be made
    bool registered;
    const char* reported;  // what standard error names, "" for nothing
    std::string start;     // the menu's folder
  } cases[] = {
      {"a backslash belongs to the folder's name", folder_ / "win\\dir", nullptr, false, true, "",
       a_},
      {"a path longer than 260 bytes", deep / "windir", nullptr, false, true, "", a_},
      // Refuses writes even to root.
      {"a read-only folder", "/proc/self", nullptr, false, false, "/proc/self/quorel~.tmp", a_},
      {"the reload program refused", folder_ / "windir", "pindrel", false, false, "/pindrel", a_},
      {"the session file refused", folder_ / "windir", "quorel~.tmp", false, false, "/quorel~.tmp",
       a_},
      {"no autostart folder", folder_ / "windir", nullptr, true, false, "log-on registration", a_},
      // The reason is the path, not whatever the last failed call left behind.
      {"a line break in the menu's folder", folder_ / "windir", nullptr, false, false,
       "/quorel~.tmp: the path of the menu's folder or program holds a line break\n", a_ + "\nx"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder_ / "config");
    // An entry of an earlier run must not survive a failed registration either.
    fs::create_directories(Autostart().parent_path());
    WriteText(Autostart().string(), "[Desktop Entry]\nExec=stale\n");
    if (c.windir != "/proc/self") fs::create_directories(c.windir);
    const quorel_test::ScopedEnv windir("QUOREL_WINDIR", c.windir.string());
    if (c.blocker != nullptr) fs::create_directories(c.windir / c.blocker);
    if (c.configIsFile) {
      fs::remove_all(folder_ / "config");
      WriteText((folder_ / "config").string(), "");
    }
    CopyText(startDirectory, sizeof startDirectory, c.start.c_str());
    testing::internal::CaptureStderr();
    ChooseSessionFile(nullptr);
    RegisterRestart(startDirectory);
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_EQ("quorel~.tmp", std::string(SessionFile()));
    EXPECT_EQ(c.registered, fs::exists(Autostart()));
    EXPECT_EQ(c.registered, fs::is_regular_file(c.windir / "pindrel"));
    if (c.registered) {
      EXPECT_EQ(image, ReadBytes(c.windir / "pindrel"));
      // Exec names the folder as it is, its backslashes escaped as a Desktop Entry string.
      std::string escaped;
      for (char ch : c.windir.string())
        escaped += ch == '\\' ? std::string(4, '\\') : std::string(1, ch);
      EXPECT_NE(std::string::npos, ReadBytes(Autostart()).find(escaped + "/pindrel"));
      EXPECT_EQ(a_, Config("Workpath"));
      EXPECT_EQ("", said);
    } else {
      // One line, naming what could not be written.
      EXPECT_EQ(0u, said.rfind("quorel: no restart recovery: cannot write ", 0)) << said;
      EXPECT_NE(std::string::npos, said.find(c.reported)) << said;
      EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
    }

    UnregisterRestart();
    EXPECT_FALSE(fs::exists(Autostart()));
    EXPECT_FALSE(fs::is_regular_file(c.windir / "quorel~.tmp"));
    EXPECT_FALSE(fs::is_regular_file(c.windir / "pindrel"));
    if (c.windir != "/proc/self") {
      fs::remove_all(c.windir);
    }
    fs::remove_all(folder_ / "config");
  }
}

TEST_F(RestartRecoveryTest, ReplayRebuildsTheLevelsTheJournalNames) {
  const std::string menuA = "menu.ini," + a_;
  const std::string menuB = "menu.ini," + b_;
  std::vector<std::string> seventeen;
  seventeen.reserve(17);
  for (int n = 0; n < 17; ++n) seventeen.push_back(n % 2 == 0 ? menuA : menuB);
  const struct {
    const char* what;
    std::vector<std::string> journal;  // "Session0", "Session1", ...
    int opened;
    std::string directory;               // current afterwards ("": unchanged)
    std::vector<std::string> rewritten;  // the journal afterwards, from "Session0"
  } cases[] = {
      {"an empty key ends the journal",
       {menuA, menuB, "", menuA},
       2,
       b_,
       {menuA, menuB, "", ""}},  // keys past the levels reached are emptied
      {"a value without a comma is skipped", {"menu.ini", menuB}, 1, b_, {menuB, ""}},
      {"a level that cannot be opened is skipped, the later ones move down",
       {"missing.ini," + a_, menuB, menuA},
       2,
       a_,
       {menuB, menuA, ""}},
      {"a text too long for a level is not cut into another name",
       {"menu.ini," + a_ + "/" + std::string(300, 'd'), menuB},
       1,
       b_,
       {menuB, ""}},
      {"no journal at all", {}, 0, "", {}},
      {"seventeen keys replay sixteen", seventeen, 16, b_, seventeen},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    int n = 0;
    for (const std::string& value : c.journal) {
      const std::string key = "Session" + std::to_string(n++);
      ASSERT_EQ(1, WriteProfileValue("Config", key.c_str(), value.c_str(), "quorel~.tmp"));
    }
    HeadlessTakeEvents();
    EXPECT_EQ(c.opened, ReplayJournal(*app_, "quorel~.tmp"));
    EXPECT_EQ(c.opened - 1, app_->sessionIndex);
    EXPECT_EQ(c.directory.empty() ? folder_.string() : c.directory, fs::current_path().string());
    // Centred (and shown) after every entry with a comma, opened or not.
    size_t entries = 0;
    for (size_t n = 0; n < std::min<size_t>(c.journal.size(), 16) && !c.journal[n].empty(); ++n)
      entries += c.journal[n].find(',') != std::string::npos;
    EXPECT_EQ(entries, EventsOf(Kind::Move).size());
    for (size_t level = 0; level < c.rewritten.size(); ++level)
      EXPECT_EQ(c.rewritten[level], Journal(level));
  }
  // The levels left behind come back with their own directories.
  ASSERT_EQ(1, app_->ReturnMenu());
  EXPECT_EQ(a_, fs::current_path().string());
}

}  // namespace
}  // namespace app_test
