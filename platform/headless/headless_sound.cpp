// Sounds without audio: each request is recorded with what it would have played; nothing is
// played and nothing waits. Needs the program's resources and the C library only.
#include <cstdio>

#include "platform/headless/headless_state.h"
#include "platform/sound.h"

int PlaySoundNamed(const char* name, uint32_t flags) {
  HeadlessEvent event{HeadlessEvent::Kind::Sound};
  event.flags = flags;
  const auto value = reinterpret_cast<uintptr_t>(name);
  if ((flags & SoundResource) != 0 && value <= 0xFFFF) {
    // A resource number in place of a name, as MAKEINTRESOURCE makes it.
    event.resourceId = static_cast<int>(value);
    event.result = HasProgramResource(HeadlessResource::Wave, event.resourceId) ? 1 : 0;
  } else if ((flags & SoundResource) != 0) {
    event.text = name;  // a resource by name: the program has none
  } else if (name == nullptr) {
    event.result = 1;  // no name stops what plays, which always succeeds
  } else {
    event.text = name;
    std::FILE* file = std::fopen(name, "rb");
    if (file != nullptr) {
      std::fclose(file);
      event.result = 1;
    }
  }
  const int result = event.result;
  Record(event);
  return result;
}
