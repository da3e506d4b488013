// What the core asks of the operating system about itself: release and region.
// No OS headers here.
#pragma once

#include <cstdint>

struct OsVersion {
  int32_t platformId;  // 1 Windows 95 family, 2 NT family, 0 other
  int32_t major;
  int32_t minor;
};

// Fills version when the query succeeds and returns 1; returns 0 and leaves
// version as it was when it fails.
int QueryOsVersion(OsVersion* version);

// The user's country code from the regional settings; 0 when not set.
int32_t UserCountryCode();
