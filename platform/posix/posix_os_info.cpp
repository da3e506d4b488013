// Release and country code on POSIX systems: taken from QUOREL_WINVER and
// QUOREL_COUNTRY, else from the locale, so menus made for one release can be previewed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/os_info.h"

namespace {

// Windows country codes are the international dialling codes.
struct CountryCode {
  const char* territory;
  int32_t code;
};

constexpr CountryCode kCountryCodes[] = {
    {"US", 1},   {"CA", 2},   {"RU", 7},   {"EG", 20},  {"ZA", 27},  {"GR", 30},  {"NL", 31},
    {"BE", 32},  {"FR", 33},  {"ES", 34},  {"HU", 36},  {"IT", 39},  {"RO", 40},  {"CH", 41},
    {"AT", 43},  {"GB", 44},  {"DK", 45},  {"SE", 46},  {"NO", 47},  {"PL", 48},  {"DE", 49},
    {"PE", 51},  {"MX", 52},  {"AR", 54},  {"BR", 55},  {"CL", 56},  {"CO", 57},  {"VE", 58},
    {"MY", 60},  {"AU", 61},  {"ID", 62},  {"PH", 63},  {"NZ", 64},  {"SG", 65},  {"TH", 66},
    {"JP", 81},  {"KR", 82},  {"VN", 84},  {"CN", 86},  {"TR", 90},  {"IN", 91},  {"PK", 92},
    {"IR", 98},  {"PT", 351}, {"LU", 352}, {"IE", 353}, {"IS", 354}, {"FI", 358}, {"BG", 359},
    {"LT", 370}, {"LV", 371}, {"EE", 372}, {"UA", 380}, {"HR", 385}, {"SI", 386}, {"CZ", 420},
    {"SK", 421}, {"HK", 852}, {"TW", 886}, {"IL", 972},
};

// Territory of a locale name such as "de_DE.UTF-8@euro": the two letters after '_'.
int32_t CodeOfLocale(const char* locale) {
  const char* underscore = std::strchr(locale, '_');
  if (underscore == nullptr || std::strlen(underscore) < 3) return 0;
  for (const CountryCode& entry : kCountryCodes)
    if (std::strncmp(underscore + 1, entry.territory, 2) == 0) return entry.code;
  return 0;
}

const char* NonEmptyEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

int QueryOsVersion(OsVersion* version) {
  if (version == nullptr) return 0;
  // Without QUOREL_WINVER (or with a malformed one) this is no Windows release at all.
  OsVersion result{0, 0, 0};
  if (const char* text = NonEmptyEnvironment("QUOREL_WINVER")) {
    int id = 0, major = 0, minor = 0;
    char rest = 0;
    if (std::sscanf(text, "%d.%d.%d%c", &id, &major, &minor, &rest) == 3)
      result = OsVersion{id, major, minor};
  }
  *version = result;
  return 1;
}

int32_t UserCountryCode() {
  if (const char* text = NonEmptyEnvironment("QUOREL_COUNTRY")) return std::atoi(text);
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (const char* locale = NonEmptyEnvironment(name)) return CodeOfLocale(locale);
  return 0;
}
