// Sounds on SDL audio: the program's WAVE clips (embedded) and WAVE files, one at a time as
// PlaySoundA plays them; asynchronous or waited for. Without an audio device: silence and 0.
// SDL, POSIX descriptors, the resource table and the file-system seam only.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/file_system.h"
#include "platform/sdl/sdl_resources.h"
#include "platform/sound.h"

namespace {

// Larger sound files are not played: their samples would not be held in memory.
constexpr uint64_t kLargestFile = uint64_t{256} * 1024 * 1024;
constexpr Uint32 kPollMs = 5;

struct Audio {
  bool tried = false;
  SDL_AudioDeviceID device = 0;  // 0: none could be opened
  SDL_AudioSpec spec{};          // what the device plays
};

Audio& TheAudio() {
  static Audio audio;
  return audio;
}

// Keeps what the sound libraries print while they look for a device (ALSA's screen of errors
// on a machine without one) off standard error, which stays quiet in normal use. The device is
// opened on the main thread: SDL may fork (a D-Bus launcher, its message boxes), and a child of
// a process with a second thread inside a library can hang on a lock that thread held.
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
    if (nowhere >= 0) close(nowhere);
  }
  ~QuietStandardError() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

// The device, opened at the first sound; 0 when there is none. A failure is not tried again,
// so a machine without audio pays for the attempt once.
SDL_AudioDeviceID Device() {
  Audio& audio = TheAudio();
  if (audio.tried) return audio.device;
  audio.tried = true;
  const QuietStandardError quiet;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
  SDL_AudioSpec wanted{};
  wanted.freq = 22050;  // the clips' rate
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  audio.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &audio.spec, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (audio.device == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return audio.device;
}

struct WaveDeleter {
  void operator()(Uint8* samples) const { SDL_FreeWAV(samples); }
};

// Reads a WAVE stream (closed either way), converts it to the device's format and queues it in
// place of whatever plays. false when it cannot be read or converted.
bool Queue(SDL_AudioDeviceID device, SDL_RWops* stream) {
  if (stream == nullptr) return false;
  SDL_AudioSpec spec{};
  Uint8* raw = nullptr;
  Uint32 length = 0;
  if (SDL_LoadWAV_RW(stream, 1, &spec, &raw, &length) == nullptr) return false;
  const std::unique_ptr<Uint8, WaveDeleter> samples(raw);
  const SDL_AudioSpec& out = TheAudio().spec;
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, out.format, out.channels,
                        out.freq) < 0) {
    return false;
  }
  SDL_ClearQueuedAudio(device);
  if (cvt.needed == 0) return SDL_QueueAudio(device, samples.get(), length) == 0;
  if (length > kLargestFile) return false;
  const uint64_t room = uint64_t{length} * static_cast<uint64_t>(std::max(cvt.len_mult, 1));
  std::unique_ptr<Uint8[]> converted(new (std::nothrow) Uint8[static_cast<size_t>(room)]);
  if (!converted) return false;
  std::memcpy(converted.get(), samples.get(), length);
  cvt.buf = converted.get();
  cvt.len = static_cast<int>(length);
  if (SDL_ConvertAudio(&cvt) != 0) return false;
  return SDL_QueueAudio(device, converted.get(), static_cast<Uint32>(cvt.len_cvt)) == 0;
}

// Waits until what was queued has been played: the queue drained, then one device buffer.
void WaitUntilPlayed(SDL_AudioDeviceID device) {
  while (SDL_GetQueuedAudioSize(device) > 0) SDL_Delay(kPollMs);
  const SDL_AudioSpec& spec = TheAudio().spec;
  if (spec.freq > 0) SDL_Delay(static_cast<Uint32>(uint64_t{spec.samples} * 1000 / spec.freq));
}

SDL_RWops* OpenResource(uintptr_t id) {
  const EmbeddedResource wave = FindEmbeddedResource(ResourceKind::Wave, static_cast<int>(id));
  if (wave.data == nullptr) return nullptr;
  return SDL_RWFromConstMem(wave.data, static_cast<int>(wave.size));
}

// Only a regular file that can be read is opened (a FIFO would never end); '\' counts as '/'.
SDL_RWops* OpenFile(const char* name) {
  const FileProbeResult probe = ProbeFile(name);
  if (!probe.opened || (probe.sizeKnown && probe.size > kLargestFile)) return nullptr;
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  return SDL_RWFromFile(path.c_str(), "rb");
}

}  // namespace

int PlaySoundNamed(const char* name, uint32_t flags) {
  if (name == nullptr) {
    // No name stops what plays, which always succeeds.
    if (TheAudio().device != 0) SDL_ClearQueuedAudio(TheAudio().device);
    return 1;
  }
  const auto value = reinterpret_cast<uintptr_t>(name);
  const bool resource = (flags & SoundResource) != 0;
  // A resource by name: the program has only numbered ones.
  if (resource && value > 0xFFFF) return 0;
  const SDL_AudioDeviceID device = Device();
  if (device == 0) return 0;
  if (!Queue(device, resource ? OpenResource(value) : OpenFile(name))) return 0;
  SDL_PauseAudioDevice(device, 0);
  if ((flags & SoundAsync) == 0) WaitUntilPlayed(device);
  return 1;
}
