// Tests of the Windows edge's text conversion: one table of UTF-8 texts, the UTF-16 they give
// and the UTF-8 that comes back, and the cutting of both to a buffer. Windows build only.
#include "platform/win32/win32_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Win32Text, Utf8AndUtf16Convert) {
  struct Case {
    const char* what;
    std::string utf8;
    std::wstring wide;
    std::string back;  // the UTF-8 the wide text gives again
  } cases[] = {
      {"ASCII", "Setup 1.0", L"Setup 1.0", "Setup 1.0"},
      {"Cyrillic and Greek", "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 \xCE\x91",
       L"\x041F\x0430\x043F\x043A\x0430 \x0391",
       "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 \xCE\x91"},
      {"outside the first plane: a surrogate pair", "\xF0\x9F\x98\x80", L"\xD83D\xDE00",
       "\xF0\x9F\x98\x80"},
      {"bytes that are no UTF-8 become U+FFFD each", "a\xC3(\xE9", L"a\xFFFD(\xFFFD",
       "a\xEF\xBF\xBD(\xEF\xBF\xBD"},
      {"an overlong form and a surrogate in UTF-8", "\xC0\xAF\xED\xA0\x80",
       L"\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.wide, WideOf(c.utf8.c_str(), static_cast<int>(c.utf8.size())));
    EXPECT_EQ(c.back, Utf8OfWide(c.wide.c_str()));
  }
  // An unpaired surrogate in UTF-16 is U+FFFD in UTF-8.
  EXPECT_EQ("\xEF\xBF\xBDx", Utf8OfWide(L"\xDC00x"));
}

// Cut to the buffer and terminated, never inside a character or a surrogate pair.
TEST(Win32Text, CutsKeepWholeCharacters) {
  wchar_t wide[3];
  EXPECT_EQ(1, Utf8ToWide("a\xF0\x9F\x98\x80", -1, wide, 3));  // the pair does not fit
  EXPECT_EQ(std::wstring(L"a"), std::wstring(wide));
  char utf8[4];
  EXPECT_EQ(2, WideToUtf8(L"\x041F\x0430", -1, utf8, 4));  // the second letter does not fit
  EXPECT_EQ(std::string("\xD0\x9F"), std::string(utf8));
  EXPECT_EQ(0, Utf8ToWide("x", -1, wide, 0));
}

}  // namespace
