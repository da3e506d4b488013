#include "tests/support/scoped_env.h"

#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quorel_test {

namespace {

void SetEnv(const std::string& name, const char* value) {
#ifdef _WIN32
  // _putenv_s keeps getenv's copy; "" removes the variable there.
  _putenv_s(name.c_str(), value != nullptr ? value : "");
  SetEnvironmentVariableA(name.c_str(), value);
#else
  if (value != nullptr) {
    setenv(name.c_str(), value, 1);
  } else {
    unsetenv(name.c_str());
  }
#endif
}

}  // namespace

std::optional<std::string> EnvValue(const std::string& name) {
#ifdef _WIN32
  // With no room the call answers the size the value needs, terminator included: 0 only when
  // the variable is missing.
  const DWORD needed = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::string value(needed, '\0');
  const DWORD length = GetEnvironmentVariableA(name.c_str(), &value[0], needed);
  value.resize(length < needed ? length : 0);
  return value;
#else
  const char* value = getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
#endif
}

ScopedEnv::ScopedEnv(const std::string& name, const char* value)
    : name_(name), earlier_(EnvValue(name)) {
  SetEnv(name_, value);
}

ScopedEnv::~ScopedEnv() { SetEnv(name_, earlier_ ? earlier_->c_str() : nullptr); }

}  // namespace quorel_test
