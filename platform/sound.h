// Short sounds: the program's own clips and sound files. No OS headers here.
#pragma once

#include <cstdint>

// Flags of PlaySoundNamed (the values of PlaySoundA's SND_ASYNC and SND_RESOURCE).
constexpr uint32_t SoundAsync = 0x1;
constexpr uint32_t SoundResource = 0x40004;

// Plays a sound (PlaySoundA with no module). With SoundResource, name carries the resource
// number in place of a pointer, as Windows' MAKEINTRESOURCE does (see SoundResourceName);
// otherwise it is a file name. With SoundAsync the call returns at once, else when the
// sound has played. 1 when the sound was played, 0 otherwise.
int PlaySoundNamed(const char* name, uint32_t flags);

// The name that stands for resource number id.
inline const char* SoundResourceName(int id) {
  // The number stands in the pointer itself, never dereferenced.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  return reinterpret_cast<const char*>(static_cast<uintptr_t>(id));
}
