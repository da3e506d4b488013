// The restart recovery on the Win32 backend under Wine: where the reload program and the session
// file go and what is registered, for each way the Windows directory and HKLM may refuse them;
// the reload program's own reading of its command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/menu_app.h"
#include "platform/copy_text.h"
#include "platform/log_on.h"
#include "platform/win32/win32_argument_text.h"
#include "session/restart_recovery.h"
#include "tests/support/scoped_env.h"

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string Directory(UINT (*query)(char*, UINT)) {
  char path[MAX_PATH] = "";
  const UINT length = query(path, sizeof path);
  return length > 0 && length < sizeof path ? std::string(path) : std::string();
}

UINT WindowsDirectoryOf(char* out, UINT size) { return GetWindowsDirectoryA(out, size); }

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The value QuorelReload under root's Run key, "<none>" when it is missing.
std::string RunValue(HKEY root) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<none>";
  char data[1024] = "";
  DWORD size = sizeof data;
  DWORD type = 0;
  const LONG result =
      RegQueryValueExA(key, kLogOnEntryName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : "<none>";
}

// Takes HKLM's Run key away (no key: no rights to register there, as for a standard user) and
// puts it back with its values.
class MachineRunKey {
 public:
  bool Remove() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    for (DWORD index = 0;; ++index) {
      char name[256];
      DWORD nameSize = sizeof name;
      BYTE data[2048];
      DWORD dataSize = sizeof data;
      DWORD type = 0;
      if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) !=
          ERROR_SUCCESS)
        break;
      saved_.push_back({name, type, std::string(reinterpret_cast<char*>(data), dataSize)});
    }
    RegCloseKey(key);
    removed_ = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRunKey) == ERROR_SUCCESS;
    return removed_;
  }
  ~MachineRunKey() {
    if (!removed_) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return;
    for (const Value& value : saved_) {
      RegSetValueExA(key, value.name.c_str(), 0, value.type,
                     reinterpret_cast<const BYTE*>(value.data.data()),
                     static_cast<DWORD>(value.data.size()));
    }
    RegCloseKey(key);
  }

 private:
  struct Value {
    std::string name;
    DWORD type;
    std::string data;
  };
  std::vector<Value> saved_;
  bool removed_ = false;
};

class Win32RestartTest : public testing::Test {
 protected:
  void SetUp() override {
    windows_ = Directory(WindowsDirectoryOf);
    ASSERT_FALSE(windows_.empty());
    char temp[MAX_PATH] = "";
    ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
    // Blanks in the user's folder, as in "C:\Users\First Last": the command must quote it.
    root_ = std::string(temp) + "quorel restart " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root_.c_str(), nullptr);
    local_ = root_ + "\\Local App";
    CreateDirectoryA(local_.c_str(), nullptr);
    own_ = local_ + "\\Quorel";
    localAppData_.emplace("LOCALAPPDATA", local_);
    CopyText(startDirectory, sizeof startDirectory, root_.c_str());
    Clean();
  }
  void TearDown() override {
    Clean();
    localAppData_.reset();
    RemoveDirectoryA(own_.c_str());
    RemoveDirectoryA(local_.c_str());
    RemoveDirectoryA(root_.c_str());
    startDirectory[0] = '\0';
    UseSessionFile(nullptr);
  }
  // No file, folder or value of the recovery anywhere.
  void Clean() {
    for (const std::string& folder : {windows_, own_, root_}) {
      for (const char* name : {kSessionFileName, kReloadProgramName}) {
        const std::string path = folder + "\\" + name;
        DeleteFileA(path.c_str());
        RemoveDirectoryA(path.c_str());
      }
    }
    RemoveLogOnCommand(kLogOnEntryName);
  }

  std::string windows_, root_, local_, own_;
  std::optional<quorel_test::ScopedEnv> localAppData_;
};

TEST_F(Win32RestartTest, PlacesAndCommandForEachRefusal) {
  const struct {
    const char* what;
    bool blockProgram, blockSession, refuseMachine;
    const char* localAppData;  // "": the variable is removed (the temporary folder serves)
    const char* program;       // "windows", "<local>" (the per-user folder) or "" (none)
    const char* session;       // "windows" or "<local>"
    const char* machine;       // HKLM value, <local> standing for the per-user folder
    const char* user;          // HKCU value
  } cases[] = {
      {"everything writable: the Windows directory and HKLM", false, false, false, "local",
       "windows", "windows", "pindrel.exe quorel~.tmp", "<none>"},
      {"the program refused: the user's folder, quoted, under HKCU", true, false, false, "local",
       "<local>", "windows", "<none>", "\"<local>\\pindrel.exe\" quorel~.tmp"},
      {"the session file refused: named by its full path, under HKCU", false, true, false, "local",
       "windows", "<local>", "<none>", "pindrel.exe <local>\\quorel~.tmp"},
      {"both refused", true, true, false, "local", "<local>", "<local>", "<none>",
       "\"<local>\\pindrel.exe\" <local>\\quorel~.tmp"},
      {"HKLM refused", false, false, true, "local", "windows", "windows", "<none>",
       "pindrel.exe quorel~.tmp"},
      {"HKLM and the program refused", true, false, true, "local", "<local>", "windows", "<none>",
       "\"<local>\\pindrel.exe\" quorel~.tmp"},
      {"HKLM and the session file refused", false, true, true, "local", "windows", "<local>",
       "<none>", "pindrel.exe <local>\\quorel~.tmp"},
      {"all three refused", true, true, true, "local", "<local>", "<local>", "<none>",
       "\"<local>\\pindrel.exe\" <local>\\quorel~.tmp"},
      {"no LOCALAPPDATA (before Vista): the temporary folder", true, false, false, "", "<local>",
       "windows", "<none>", "\"<local>\\pindrel.exe\" quorel~.tmp"},
      {"the per-user folder refused too: nothing registered", true, false, false, "blocked", "",
       "windows", "<none>", "<none>"},
      // The restore form would read "/...a,b..." as a definition file and a folder.
      {"a comma in the user's folder: no session file there, nothing registered", false, true,
       false, "a,b", "", "windows", "<none>", "<none>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Clean();
    // A folder of the file's name refuses the file, as the Windows directory refuses a
    // standard user's program file.
    if (c.blockProgram) CreateDirectoryA((windows_ + "\\pindrel.exe").c_str(), nullptr);
    if (c.blockSession) CreateDirectoryA((windows_ + "\\quorel~.tmp").c_str(), nullptr);
    std::string local = own_;
    // This case's variables; the next case starts from the fixture's again.
    std::optional<quorel_test::ScopedEnv> localAppData, tmp, temp;
    if (c.localAppData[0] == '\0') {
      localAppData.emplace("LOCALAPPDATA", nullptr);
      tmp.emplace("TMP", root_ + "\\");
      temp.emplace("TEMP", root_ + "\\");
      local = root_;
    } else if (std::string(c.localAppData) == "a,b") {
      const std::string comma = root_ + "\\a,b";
      CreateDirectoryA(comma.c_str(), nullptr);
      localAppData.emplace("LOCALAPPDATA", comma);
      local = comma + "\\Quorel";
    } else if (std::string(c.localAppData) == "blocked") {
      // The program's own folder holds a folder of the program's name: no file can be made.
      localAppData.emplace("LOCALAPPDATA", root_);
      CreateDirectoryA((root_ + "\\Quorel").c_str(), nullptr);
      CreateDirectoryA((root_ + "\\Quorel\\pindrel.exe").c_str(), nullptr);
      local = root_ + "\\Quorel";
    }
    // A value an earlier run left under the other root goes: one registration only.
    ASSERT_EQ(LogOnUser, SetLogOnCommand(kLogOnEntryName, kReloadProgramName, "stale", 0));
    MachineRunKey machineKey;
    if (c.refuseMachine) {
      ASSERT_TRUE(machineKey.Remove());
    }

    ChooseSessionFile(nullptr);
    RegisterRestart(startDirectory);
    auto place = [&](const std::string& text) {
      std::string out = text;
      for (size_t at = out.find("<local>"); at != std::string::npos; at = out.find("<local>"))
        out.replace(at, 7, local);
      return out;
    };
    const std::string windowsProgram = windows_ + "\\pindrel.exe";
    const std::string localProgram = local + "\\pindrel.exe";
    const std::string program = c.program;
    EXPECT_EQ(program == "windows", IsFile(windowsProgram));
    EXPECT_EQ(program == "<local>", IsFile(localProgram));
    const std::string session =
        std::string(c.session) == "windows" ? "quorel~.tmp" : local + "\\quorel~.tmp";
    EXPECT_EQ(session, SessionFile());
    char exec[MAX_PATH] = "";
    GetPrivateProfileStringA("Config", "Exec", "", exec, sizeof exec, SessionFile());
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    // Where the session file could be written, it names this program.
    const bool nowhere = c.blockSession && std::string(c.localAppData) == "a,b";
    EXPECT_STREQ(nowhere ? "" : self, exec);
    EXPECT_EQ(place(c.machine), RunValue(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(place(c.user), RunValue(HKEY_CURRENT_USER));

    UnregisterRestart();
    EXPECT_FALSE(IsFile(windowsProgram));
    EXPECT_FALSE(IsFile(localProgram));
    EXPECT_FALSE(IsFile(windows_ + "\\quorel~.tmp"));
    EXPECT_FALSE(IsFile(local + "\\quorel~.tmp"));
    EXPECT_EQ("<none>", RunValue(HKEY_LOCAL_MACHINE));
    EXPECT_EQ("<none>", RunValue(HKEY_CURRENT_USER));
    // The program's own folder goes when empty; a temporary folder stays.
    if (c.localAppData[0] != '\0' && std::string(c.localAppData) != "blocked") {
      EXPECT_FALSE(Exists(own_));
    }
    RemoveDirectoryA((root_ + "\\Quorel\\pindrel.exe").c_str());
    RemoveDirectoryA((root_ + "\\Quorel").c_str());
    RemoveDirectoryA((root_ + "\\a,b\\Quorel").c_str());
    RemoveDirectoryA((root_ + "\\a,b").c_str());
  }
}

TEST_F(Win32RestartTest, RestoreFormKeepsTheSessionFileItNames) {
  const std::string full = root_ + "\\quorel~.tmp";
  const struct {
    std::string name;
    std::string used;
  } cases[] = {
      {"quorel~.tmp", "quorel~.tmp"},
      {full, full},
      // Any other file a command line names is read, never written or deleted as the session.
      {root_ + "\\menu.ini", "quorel~.tmp"},
      {"xquorel~.tmp", "quorel~.tmp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ChooseSessionFile(c.name.c_str());
    EXPECT_EQ(c.used, SessionFile());
  }
}

TEST(Win32ReloadArgumentTest, TextAfterTheProgramName) {
  const struct {
    const char* commandLine;
    const char* argument;
  } cases[] = {
      {"pindrel.exe quorel~.tmp", "quorel~.tmp"},
      {"\"C:\\Users\\A B\\Quorel\\pindrel.exe\" quorel~.tmp", "quorel~.tmp"},
      {"\"C:\\Users\\A B\\pindrel.exe\"quorel~.tmp", "quorel~.tmp"},
      {"pindrel.exe C:\\Users\\A B\\Quorel\\quorel~.tmp", "C:\\Users\\A B\\Quorel\\quorel~.tmp"},
      {"pindrel.exe \t  name with  blanks ", "name with  blanks "},
      {"pindrel.exe", ""},
      {"\"pindrel.exe", ""},  // an unclosed quote takes the rest as the program's name
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    EXPECT_STREQ(c.argument, ReloadArgumentText(c.commandLine));
  }
}

}  // namespace
