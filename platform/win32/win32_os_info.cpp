// Release and country code from Windows itself.
#include <windows.h>

#include "platform/os_info.h"

int QueryOsVersion(OsVersion* version) {
  if (version == nullptr) return 0;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info)) return 0;
  version->platformId = static_cast<int32_t>(info.dwPlatformId);
  version->major = static_cast<int32_t>(info.dwMajorVersion);
  version->minor = static_cast<int32_t>(info.dwMinorVersion);
  return 1;
}

int32_t UserCountryCode() { return static_cast<int32_t>(GetProfileIntA("Intl", "iCountry", 0)); }
