// The INI store on Linux: the profile_store.h calls answered by the portable reader/writer.
// No OS headers needed here; the portable store uses standard C++ file access only.
#include "portable/portable_profile.h"
#include "platform/profile_store.h"

uint32_t ReadProfileString(const char* section, const char* key, const char* defaultValue,
                           char* out, uint32_t size, const char* file) {
  return PortableReadProfileString(section, key, defaultValue, out, size, file);
}

uint32_t ReadProfileSection(const char* section, char* out, uint32_t size, const char* file) {
  return PortableReadProfileSection(section, out, size, file);
}

int WriteProfileValue(const char* section, const char* key, const char* value, const char* file) {
  return PortableWriteProfileString(section, key, value, file);
}

void BeginProfileBatch() { PortableBeginReadBatch(); }

void EndProfileBatch() { PortableEndReadBatch(); }
