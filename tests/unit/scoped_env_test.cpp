// The scoped environment variables the tests rely on to leave the environment as they found it:
// an earlier value or its absence comes back when an inner scope ends, and what the backends
// read (getenv, and on Windows the process environment too) sees each change.
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

using quorel_test::EnvValue;
using quorel_test::ScopedEnv;

constexpr char kName[] = "QUOREL_SCOPED_ENV_TEST";

std::optional<std::string> ValueOf(const char* text) {
  return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

// The value getenv sees; on Windows the process environment must agree with it.
std::optional<std::string> Seen() {
  std::optional<std::string> seen = ValueOf(std::getenv(kName));
  EXPECT_EQ(seen, EnvValue(kName));
  return seen;
}

TEST(ScopedEnvTest, PutsBackWhatWasThere) {
  const std::string longValue(300, 'v');  // longer than a path buffer
  const struct {
    const char* what;
    const char* before;  // null: not set
    const char* inside;  // null: removed
  } cases[] = {
      {"unset stays unset", nullptr, "x"},
      {"a value comes back", "before", "x"},
      {"a removed value comes back", "before", nullptr},
      {"removing an unset one", nullptr, nullptr},
      {"a long value comes back whole", longValue.c_str(), "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ScopedEnv outside(kName, c.before);
    {
      const ScopedEnv scope(kName, c.inside);
      EXPECT_EQ(ValueOf(c.inside), Seen());
    }
    EXPECT_EQ(ValueOf(c.before), Seen());
  }
}

}  // namespace
