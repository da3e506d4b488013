// Environment variables set or removed for one scope, for the tests of both builds: the earlier
// state comes back when the scope ends. Tests only; the header names no system header.
#pragma once

#include <optional>
#include <string>

namespace quorel_test {

// The variable's value, none when it is not set (on Windows: the process environment that
// GetEnvironmentVariableA reads).
std::optional<std::string> EnvValue(const std::string& name);

// Sets name to value (null: removes it) and, at the end of the scope, puts back what was there:
// the earlier value, or no variable at all. Scopes of one name must end in reverse order, as
// nested blocks and members do. On Windows both the C runtime's copy (getenv) and the process
// environment change; the C runtime cannot hold an empty value, so there "" reads as unset.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const char* value);
  ScopedEnv(const std::string& name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> earlier_;
};

}  // namespace quorel_test
