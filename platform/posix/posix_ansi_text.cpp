// ANSI code-page text as UTF-8 on Linux: Windows-1252 by the table every build shares, the other
// code pages a file may declare through glibc's iconv.
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "platform/ansi_text.h"
#include "portable/code_page.h"

uint32_t SystemCodePage() { return 1252; }

std::string AnsiToUtf8(uint32_t codePage, std::string_view bytes) {
  if (codePage == 0 || codePage == 1252) return CodePageToUtf8(bytes);
  char name[16];
  std::snprintf(name, sizeof name, "CP%u", static_cast<unsigned>(codePage));
  const iconv_t convert = iconv_open("UTF-8", name);
  if (reinterpret_cast<intptr_t>(convert) == -1) return CodePageToUtf8(bytes);
  std::string out;
  out.resize(bytes.size() * 3 + 16);
  char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write there
  size_t inLeft = bytes.size();
  char* to = &out[0];
  size_t toLeft = out.size();
  while (inLeft > 0) {
    if (iconv(convert, &in, &inLeft, &to, &toLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {  // cannot happen with three bytes out per byte in; stop safely
      break;
    }
    // A byte that starts no character (EILSEQ) or a character cut at the end (EINVAL):
    // U+FFFD for the byte, and on with the next one.
    if (toLeft < 3) break;
    *to++ = '\xEF';
    *to++ = '\xBF';
    *to++ = '\xBD';
    toLeft -= 3;
    ++in;
    --inLeft;
    iconv(convert, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  }
  iconv_close(convert);
  out.resize(out.size() - toLeft);
  return out;
}
