// The program's resources as the Linux build carries them: files of res/ embedded as byte
// arrays, looked up by kind and resource number. No SDL needed to look them up.
#pragma once

#include <cstddef>

enum class ResourceKind {
  Bitmap,  // BMP file: the page button pictures
  Cursor,  // 32-bit BMP with alpha, the picture of a cursor, with its hot spot
  Wave,    // WAVE file: the sounds
  Icon,    // 32-bit BMP with alpha, the picture of an icon
};

struct EmbeddedResource {
  const unsigned char* data;  // null when there is no such resource
  size_t size;
  int hotX;  // cursors: the hot spot; 0 otherwise
  int hotY;
};

// The bytes of resource number resourceId of the given kind; data is null when missing.
EmbeddedResource FindEmbeddedResource(ResourceKind kind, int resourceId);
