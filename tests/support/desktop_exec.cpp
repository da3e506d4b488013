#include "tests/support/desktop_exec.h"

#include <cstring>

namespace quorel_test {

bool ParseExecValue(const std::string& value, std::vector<std::string>* args) {
  std::string text;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      text += value[i];
      continue;
    }
    if (++i == value.size()) return false;
    const char* from = "sntr\\";
    const char* to = " \n\t\r\\";
    const char* at = std::strchr(from, value[i]);
    if (at == nullptr || *at == '\0') return false;
    text += to[at - from];
  }
  args->clear();
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::string argument;
    if (text[i] == '"') {
      for (++i;; ++i) {
        if (i == text.size()) return false;
        char c = text[i];
        if (c == '"') break;
        if (c == '\\') {
          if (i + 1 == text.size() || std::strchr("\"`$\\", text[i + 1]) == nullptr) return false;
          c = text[++i];
        }
        argument += c;
      }
      if (++i < text.size() && text[i] != ' ') return false;
    } else {
      for (; i < text.size() && text[i] != ' '; ++i) {
        if (std::strchr("\t\n\"'\\><~|&;$*?#()`", text[i]) != nullptr) return false;
        argument += text[i];
      }
    }
    std::string plain;
    for (size_t k = 0; k < argument.size(); ++k) {
      if (argument[k] == '%' && (k + 1 == argument.size() || argument[++k] != '%')) return false;
      plain += argument[k];
    }
    args->push_back(plain);
  }
  return true;
}

}  // namespace quorel_test
