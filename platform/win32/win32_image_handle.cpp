// Release of bitmap handles held by records, through GDI.
#include <windows.h>

#include "platform/image_handle.h"

void DeleteImageHandle(void* handle) {
  if (handle != nullptr) DeleteObject(static_cast<HGDIOBJ>(handle));
}
