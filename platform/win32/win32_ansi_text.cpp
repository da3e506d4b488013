// ANSI code-page text as UTF-8 on Windows: MultiByteToWideChar with the code page asked for
// (the system's for 0), then the UTF-16 as UTF-8.
#include <windows.h>

#include "platform/ansi_text.h"
#include "portable/text_decoding.h"

namespace {

// False when the system lacks the code page.
bool ToUtf8(UINT page, std::string_view bytes, std::string* out) {
  const int length = static_cast<int>(bytes.size());  // at most the store's 64 MiB
  const int units = MultiByteToWideChar(page, 0, bytes.data(), length, nullptr, 0);
  if (units <= 0) return false;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(page, 0, bytes.data(), length, &wide[0], units);
  *out =
      Utf16LeToUtf8(std::string_view(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));
  return true;
}

}  // namespace

uint32_t SystemCodePage() { return GetACP(); }

std::string AnsiToUtf8(uint32_t codePage, std::string_view bytes) {
  std::string out;
  if (bytes.empty()) return out;
  // A code page the system does not have reads as the system's own.
  if (codePage == 0 || !ToUtf8(codePage, bytes, &out)) ToUtf8(CP_ACP, bytes, &out);
  return out;
}
