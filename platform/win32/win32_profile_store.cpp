// The INI store on Windows: the profile API itself.
#include <windows.h>

#include "platform/profile_store.h"

uint32_t ReadProfileString(const char* section, const char* key, const char* defaultValue,
                           char* out, uint32_t size, const char* file) {
  return GetPrivateProfileStringA(section, key, defaultValue, out, size, file);
}

uint32_t ReadProfileSection(const char* section, char* out, uint32_t size, const char* file) {
  return GetPrivateProfileSectionA(section, out, size, file);
}

int WriteProfileValue(const char* section, const char* key, const char* value, const char* file) {
  return WritePrivateProfileStringA(section, key, value, file) ? 1 : 0;
}

// The profile API decides itself when it looks at a file again: a batch changes nothing there.
void BeginProfileBatch() {}

void EndProfileBatch() {}
