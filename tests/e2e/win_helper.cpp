// Lists, clicks and closes windows for the end-to-end tests under Wine, where synthetic keys
// and clicks on message boxes get lost. Win32 console program; knows nothing of Quorel.
//
// One command per line on stdin, each answer on stdout, flushed at once; texts both ways are
// UTF-8:
//   list                 one line per visible top-level window, then a line "end":
//                        HWND<TAB>CLASS<TAB>CAPTION<TAB>WIDTH<TAB>HEIGHT<TAB>PID, then for
//                        each child control in z-order <TAB>|TEXT (empty for an icon or
//                        picture). HWND is hexadecimal with 0x; WIDTH and HEIGHT are the
//                        client area's. In texts a backslash is written \\, a tab \t, a
//                        newline \n and a carriage return \r.
//   click HWND TEXT      BM_CLICK to the child of HWND whose text, "&" removed, is TEXT (the
//                        rest of the line, blanks included): "ok" or "missing"
//   close HWND           posts WM_CLOSE: "ok", or "missing" when HWND is no window
//   command HWND ID      posts WM_COMMAND with ID: "ok" or "missing"
//   syscommand HWND ID   posts WM_SYSCOMMAND with ID: "ok" or "missing"
//   endsession HWND      as Windows ends the session: sends WM_QUERYENDSESSION, then
//                        WM_ENDSESSION with TRUE: "ok ANSWER" (the query's answer, 1: it may
//                        end) or "missing"
//   run COMMAND          starts the command line (the rest of the line) as the log-on starts a
//                        Run value, and waits for it to end: "exit CODE", or "failed ERROR"
//   access HWND          reads the window's client object (AccessibleObjectFromWindow): a line
//                        "self<TAB>NAME<TAB>ROLE<TAB>STATE<TAB>COUNT<TAB>FOCUS", then one per
//                        child 1..COUNT: "CHILD<TAB>NAME<TAB>DESCRIPTION<TAB>ROLE<TAB>STATE<TAB>
//                        LEFT<TAB>TOP<TAB>WIDTH<TAB>HEIGHT<TAB>ACTION<TAB>HIT<TAB>NEXT" (HIT: the
//                        child accHitTest finds at its centre; NEXT: accNavigate's next one, 0
//                        for none), then "end"; "failed HRESULT" when there is no object
//   press HWND CHILD     accDoDefaultAction on the child: "ok" or "failed HRESULT"
//   hook                 starts listening to EVENT_OBJECT_FOCUS and EVENT_OBJECT_REORDER of
//                        every process: "ok" or "failed"
//   events               what was heard since the last call: "focus HWND CHILD" or
//                        "reorder HWND" lines, then "end"
//   load PATH            loads the library at PATH (the rest of the line): "ok" or "failed"
//   quit                 ends with exit code 0 (so does the end of stdin)
// Anything else answers "error" and the rest of the line. HWND and ID take decimal or 0x hex.
// Window messages are handled while the helper waits for its next command, so that the events
// of the hook arrive (and their senders are not kept waiting).
#include <oleacc.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Hexadecimal with 0x, as the list prints handles.
std::string HandleText(HWND window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

std::string Escaped(const char* text) {
  static constexpr char kSpecial[] = "\\\t\n\r";
  static constexpr char kNames[] = "\\tnr";
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    const char* special = std::strchr(kSpecial, *p);
    if (special == nullptr) {
      out += *p;
    } else {
      out += '\\';
      out += kNames[special - kSpecial];
    }
  }
  return out;
}

// A picture control's text is its resource number in binary; it shows as empty.
bool IsPicture(HWND window) {
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  const LONG type = GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK;
  return lstrcmpiA(className, "Static") == 0 && (type == SS_ICON || type == SS_BITMAP);
}

std::string Utf8(const wchar_t* text) {
  char narrow[4096] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
  return narrow;
}

std::wstring Wide(const char* text) {
  wchar_t wide[4096] = L"";
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 4096);
  return wide;
}

std::string WindowText(HWND window) {
  if (IsPicture(window)) return "";

  wchar_t text[1024] = L"";
  GetWindowTextW(window, text, 1024);
  return Utf8(text);
}

std::string WithoutAmpersands(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '&') out += c;
  }
  return out;
}

struct ChildList {
  HWND parent;
  std::string line;
};

BOOL CALLBACK ListChild(HWND child, LPARAM list) {
  ChildList* children = reinterpret_cast<ChildList*>(list);  // NOLINT(performance-no-int-to-ptr)
  // EnumChildWindows walks grandchildren as well; list the window's own controls only.
  if (GetAncestor(child, GA_PARENT) != children->parent) return TRUE;
  children->line += "\t|" + Escaped(WindowText(child).c_str());
  return TRUE;
}

BOOL CALLBACK ListTopLevel(HWND window, LPARAM) {
  if (!IsWindowVisible(window)) return TRUE;
  char className[256] = "";
  GetClassNameA(window, className, sizeof className);
  RECT client{};
  GetClientRect(window, &client);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  ChildList children{window, HandleText(window) + "\t" + Escaped(className) + "\t" +
                                 Escaped(WindowText(window).c_str())};
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "\t%ld\t%ld\t%lu", client.right - client.left,
                client.bottom - client.top, static_cast<unsigned long>(processId));
  children.line += numbers;
  EnumChildWindows(window, ListChild, reinterpret_cast<LPARAM>(&children));
  std::printf("%s\n", children.line.c_str());
  return TRUE;
}

struct ButtonSearch {
  std::string text;
  HWND found;
};

BOOL CALLBACK FindButton(HWND child, LPARAM search) {
  ButtonSearch* s = reinterpret_cast<ButtonSearch*>(search);  // NOLINT(performance-no-int-to-ptr)
  if (WithoutAmpersands(WindowText(child)) != s->text) return TRUE;
  s->found = child;
  return FALSE;
}

// Reads a window handle or number at *cursor and moves past it; false when there is none.
bool ReadNumber(const char** cursor, unsigned long* value) {
  char* end = nullptr;
  *value = std::strtoul(*cursor, &end, 0);
  if (end == *cursor) return false;
  *cursor = end;
  while (**cursor == ' ') ++*cursor;
  return true;
}

// A handle as the list printed it.
HWND ToWindow(unsigned long value) {
  const uintptr_t bits = value;
  return reinterpret_cast<HWND>(bits);  // NOLINT(performance-no-int-to-ptr)
}

const char* Post(HWND window, UINT message, WPARAM wParam) {
  return IsWindow(window) && PostMessageA(window, message, wParam, 0) ? "ok" : "missing";
}

const char* Click(HWND window, const char* text) {
  if (!IsWindow(window)) return "missing";
  ButtonSearch search{text, nullptr};
  EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return "missing";
  // Sent with a time limit: the click may open a modal box whose loop keeps the receiver busy;
  // the click is taken all the same.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(search.found, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
  return "ok";
}

std::string EndSession(HWND window) {
  if (!IsWindow(window)) return "missing";
  // Sent with time limits, as the system sends them: a busy program does not stop the test.
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 20000, &answer);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 20000, &ignored);
  return "ok " + std::to_string(static_cast<unsigned long>(answer));
}

std::string RunCommand(const char* command) {
  std::wstring line = Wide(command);  // CreateProcessW may write into the command line
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return "failed " + std::to_string(GetLastError());
  }
  WaitForSingleObject(process.hProcess, 600000);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return "exit " + std::to_string(code);
}

// --- Accessibility: the client object of a window, read as a screen reader reads it ----------

VARIANT Child(LONG id) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = id;
  return value;
}

std::string Text(BSTR text) {
  if (text == nullptr) return "";
  const std::string narrow = Utf8(text);
  SysFreeString(text);
  return Escaped(narrow.c_str());
}

LONG Number(const VARIANT& value) { return value.vt == VT_I4 ? value.lVal : -1; }

std::string Failed(HRESULT result) {
  char text[32];
  std::snprintf(text, sizeof text, "failed 0x%lx", static_cast<unsigned long>(result));
  return text;
}

IAccessible* ClientObject(HWND window, HRESULT* result) {
  IAccessible* client = nullptr;
  *result = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                       reinterpret_cast<void**>(&client));
  return SUCCEEDED(*result) ? client : nullptr;
}

std::string ReadAccess(HWND window) {
  HRESULT result = S_OK;
  IAccessible* client = ClientObject(window, &result);
  if (client == nullptr) return Failed(result);
  BSTR text = nullptr;
  VARIANT value;
  VariantInit(&value);
  client->get_accName(Child(CHILDID_SELF), &text);
  std::string line = "self\t" + Text(text);
  client->get_accRole(Child(CHILDID_SELF), &value);
  line += "\t" + std::to_string(Number(value));
  client->get_accState(Child(CHILDID_SELF), &value);
  line += "\t" + std::to_string(Number(value));
  LONG count = 0;
  client->get_accChildCount(&count);
  line += "\t" + std::to_string(count);
  VariantInit(&value);
  client->get_accFocus(&value);
  line += "\t" + std::to_string(Number(value));
  std::printf("%s\n", line.c_str());
  for (LONG child = 1; child <= count; ++child) {
    line = std::to_string(child);
    text = nullptr;
    client->get_accName(Child(child), &text);
    line += "\t" + Text(text);
    text = nullptr;
    client->get_accDescription(Child(child), &text);
    line += "\t" + Text(text);
    client->get_accRole(Child(child), &value);
    line += "\t" + std::to_string(Number(value));
    client->get_accState(Child(child), &value);
    line += "\t" + std::to_string(Number(value));
    LONG left = 0, top = 0, width = 0, height = 0;
    client->accLocation(&left, &top, &width, &height, Child(child));
    for (LONG n : {left, top, width, height}) line += "\t" + std::to_string(n);
    text = nullptr;
    client->get_accDefaultAction(Child(child), &text);
    line += "\t" + Text(text);
    VariantInit(&value);
    client->accHitTest(left + width / 2, top + height / 2, &value);
    line += "\t" + std::to_string(Number(value));
    VariantInit(&value);
    const HRESULT navigated = client->accNavigate(NAVDIR_NEXT, Child(child), &value);
    line += "\t" + std::to_string(navigated == S_OK ? Number(value) : 0);
    std::printf("%s\n", line.c_str());
  }
  client->Release();
  return "end";
}

std::string Press(HWND window, LONG child) {
  HRESULT result = S_OK;
  IAccessible* client = ClientObject(window, &result);
  if (client == nullptr) return Failed(result);
  result = client->accDoDefaultAction(Child(child));
  client->Release();
  return SUCCEEDED(result) ? "ok" : Failed(result);
}

std::vector<std::string> heard;  // the events the hook heard, as the events command prints them

void CALLBACK Heard(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                    DWORD) {
  if (object != OBJID_CLIENT) return;
  if (event == EVENT_OBJECT_FOCUS) {
    heard.push_back("focus " + HandleText(window) + " " + std::to_string(child));
  } else if (event == EVENT_OBJECT_REORDER) {
    heard.push_back("reorder " + HandleText(window));
  }
}

const char* Hook() {
  static HWINEVENTHOOK hook = nullptr;
  if (hook == nullptr) {
    hook = SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_FOCUS, nullptr, Heard, 0, 0,
                           WINEVENT_OUTOFCONTEXT);
  }
  return hook != nullptr ? "ok" : "failed";
}

const char* PrintEvents() {
  for (const std::string& line : heard) std::printf("%s\n", line.c_str());
  heard.clear();
  return "end";
}

// Runs one command line; false for quit.
bool Run(const char* line) {
  char verb[32] = "";
  int used = 0;
  if (std::sscanf(line, "%31s%n", verb, &used) != 1) return true;  // a blank line
  const char* rest = line + used;
  while (*rest == ' ') ++rest;
  unsigned long window = 0;
  unsigned long id = 0;
  const char* answer = nullptr;
  std::string text;
  if (std::strcmp(verb, "quit") == 0) return false;
  if (std::strcmp(verb, "list") == 0) {
    EnumWindows(ListTopLevel, 0);
    answer = "end";
  } else if (std::strcmp(verb, "click") == 0 && ReadNumber(&rest, &window)) {
    answer = Click(ToWindow(window), rest);
  } else if (std::strcmp(verb, "close") == 0 && ReadNumber(&rest, &window)) {
    answer = Post(ToWindow(window), WM_CLOSE, 0);
  } else if (std::strcmp(verb, "command") == 0 && ReadNumber(&rest, &window) &&
             ReadNumber(&rest, &id)) {
    answer = Post(ToWindow(window), WM_COMMAND, id);
  } else if (std::strcmp(verb, "syscommand") == 0 && ReadNumber(&rest, &window) &&
             ReadNumber(&rest, &id)) {
    answer = Post(ToWindow(window), WM_SYSCOMMAND, id);
  } else if (std::strcmp(verb, "endsession") == 0 && ReadNumber(&rest, &window)) {
    text = EndSession(ToWindow(window));
    answer = text.c_str();
  } else if (std::strcmp(verb, "access") == 0 && ReadNumber(&rest, &window)) {
    text = ReadAccess(ToWindow(window));
    answer = text.c_str();
  } else if (std::strcmp(verb, "press") == 0 && ReadNumber(&rest, &window) &&
             ReadNumber(&rest, &id)) {
    text = Press(ToWindow(window), static_cast<LONG>(id));
    answer = text.c_str();
  } else if (std::strcmp(verb, "hook") == 0) {
    answer = Hook();
  } else if (std::strcmp(verb, "events") == 0) {
    answer = PrintEvents();
  } else if (std::strcmp(verb, "run") == 0 && *rest != '\0') {
    text = RunCommand(rest);
    answer = text.c_str();
  } else if (std::strcmp(verb, "load") == 0 && *rest != '\0') {
    answer = LoadLibraryW(Wide(rest).c_str()) != nullptr ? "ok" : "failed";
  }
  if (answer != nullptr) {
    std::printf("%s\n", answer);
  } else {
    std::printf("error %s\n", line);
  }
  return true;
}

// Standard input is read on a thread of its own, one line at a time, so that the main thread
// can handle window messages while it waits.
struct Input {
  HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // a line (or the end) waits
  HANDLE taken = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // the line was run
  char line[4096] = "";
  bool ended = false;
};

DWORD WINAPI ReadInput(void* parameter) {
  Input* input = static_cast<Input*>(parameter);
  for (;;) {
    input->ended = std::fgets(input->line, sizeof input->line, stdin) == nullptr;
    SetEvent(input->ready);
    if (input->ended) return 0;
    WaitForSingleObject(input->taken, INFINITE);
  }
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  Input input;
  HANDLE reader = CreateThread(nullptr, 0, ReadInput, &input, 0, nullptr);
  if (reader == nullptr) return 1;
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &input.ready, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0 + 1) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      continue;
    }
    if (input.ended) break;
    input.line[std::strcspn(input.line, "\r\n")] = '\0';
    const bool more = Run(input.line);
    std::fflush(stdout);
    if (!more) break;
    SetEvent(input.taken);
  }
  CoUninitialize();
  return 0;
}
