// UTF-8 to UTF-16 and back by hand (the 95 family's MultiByteToWideChar knows no UTF-8), and
// the ANSI code page through the system's conversion.
#include "platform/win32/win32_text.h"

std::wstring WideOf(const char* utf8, int length) {
  if (utf8 == nullptr) return std::wstring();
  if (length < 0) length = lstrlenA(utf8);
  // A UTF-16 text never has more units than its UTF-8 has bytes.
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  wide.resize(static_cast<size_t>(Utf8ToWide(utf8, length, &wide[0], length + 1)));
  return wide;
}

std::string Utf8OfWide(const wchar_t* wide, int length) {
  if (wide == nullptr) return std::string();
  if (length < 0) length = lstrlenW(wide);
  // At most three bytes per unit (a pair's four bytes are two units' six).
  std::string utf8(static_cast<size_t>(length) * 3 + 1, '\0');
  utf8.resize(static_cast<size_t>(WideToUtf8(wide, length, &utf8[0], length * 3 + 1)));
  return utf8;
}

std::string AnsiOf(const char* utf8, int length) {
  const std::wstring wide = WideOf(utf8, length);
  if (wide.empty()) return std::string();
  const int units = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), units, &ansi[0], bytes, "?", nullptr);
  return ansi;
}

std::string Utf8OfAnsi(const char* ansi, int length) {
  if (ansi == nullptr) return std::string();
  if (length < 0) length = lstrlenA(ansi);
  if (length == 0) return std::string();
  const int units = MultiByteToWideChar(CP_ACP, 0, ansi, length, nullptr, 0);
  if (units <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, length, &wide[0], units);
  return Utf8OfWide(wide.data(), units);
}

bool FitsAnsiCodePage(const char* utf8) {
  const std::wstring wide = WideOf(utf8);
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  const int units = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr,
                                        0, nullptr, &usedDefault);
  return bytes > 0 && !usedDefault;
}

uint32_t PlaceText(const std::string& text, char* out, uint32_t size) {
  if (out == nullptr || text.size() + 1 > size) return static_cast<uint32_t>(text.size()) + 1;
  for (size_t i = 0; i < text.size(); ++i) out[i] = text[i];
  out[text.size()] = '\0';
  return static_cast<uint32_t>(text.size());
}
