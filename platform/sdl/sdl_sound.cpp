// Sounds on SDL audio: the program's WAVE clips (embedded) and WAVE files, one at a time as
// PlaySoundA plays them; asynchronous or waited for. Without an audio device: silence and 0.
// The device is opened in the background at the first sound. SDL, POSIX descriptors, the
// resource table and the file-system seam only.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "platform/file_system.h"
#include "platform/sdl/sdl_resources.h"
#include "platform/sound.h"

namespace {

// Larger sound files are not played: their samples would not be held in memory.
constexpr uint64_t kLargestFile = uint64_t{256} * 1024 * 1024;
constexpr Uint32 kPollMs = 5;

// The device is opened on a thread of its own: opening it can take a noticeable part of a
// second (and on a machine without sound, the sound libraries' attempts), which must not hold
// up the first picture.
struct Audio {
  enum class State { Unopened, Opening, Ready };
  std::mutex lock;
  std::condition_variable opened;
  State state = State::Unopened;
  std::thread opener;
  SDL_AudioDeviceID device = 0;  // 0: none could be opened
  SDL_AudioSpec spec{};          // what the device plays
  // The last asynchronous sound asked for while the device was being opened.
  bool pending = false;
  bool pendingResource = false;
  uintptr_t pendingId = 0;
  std::string pendingFile;
};

Audio& TheAudio() {
  static Audio audio;
  return audio;
}

// Keeps what the sound libraries print while they look for a device (ALSA's screen of errors
// on a machine without one) off standard error, which stays quiet in normal use. For that
// moment standard error goes nowhere for the whole process.
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

bool Queue(SDL_AudioDeviceID device, SDL_RWops* stream);
SDL_RWops* OpenResource(uintptr_t id);
SDL_RWops* OpenFile(const char* name);

// The opener thread: the device, then the sound that waited for it. A failure is not tried
// again, so a machine without audio pays for the attempt once.
void OpenDevice() {
  SDL_AudioDeviceID device = 0;
  SDL_AudioSpec spec{};
  {
    const QuietStandardError quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
      SDL_AudioSpec wanted{};
      wanted.freq = 22050;  // the clips' rate
      wanted.format = AUDIO_S16SYS;
      wanted.channels = 2;
      wanted.samples = 1024;
      device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec, SDL_AUDIO_ALLOW_ANY_CHANGE);
      if (device == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
  }
  Audio& audio = TheAudio();
  std::unique_lock<std::mutex> held(audio.lock);
  audio.device = device;
  audio.spec = spec;
  audio.state = Audio::State::Ready;
  const bool play = audio.pending && device != 0;
  const bool resource = audio.pendingResource;
  const uintptr_t id = audio.pendingId;
  const std::string file = std::move(audio.pendingFile);
  audio.pending = false;
  held.unlock();
  audio.opened.notify_all();
  if (play && Queue(device, resource ? OpenResource(id) : OpenFile(file.c_str()))) {
    SDL_PauseAudioDevice(device, 0);
  }
  // SDL keeps this thread's error text in storage that only its own threads free on their way.
  SDL_TLSCleanup();
}

// At exit the opener must be done before SDL is shut down (registered after the window's
// SDL_Quit, so it runs first).
void JoinOpener() {
  Audio& audio = TheAudio();
  if (audio.opener.joinable()) audio.opener.join();
}

// Starts opening the device unless that has begun; the caller holds the lock.
void StartOpening(Audio& audio) {
  if (audio.state != Audio::State::Unopened) return;
  audio.state = Audio::State::Opening;
  try {
    audio.opener = std::thread(OpenDevice);
    std::atexit(JoinOpener);
  } catch (const std::system_error&) {
    audio.state = Audio::State::Ready;  // no thread: no sound
  }
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
  Audio& audio = TheAudio();
  std::unique_lock<std::mutex> held(audio.lock);
  if (name == nullptr) {
    // No name stops what plays, which always succeeds.
    audio.pending = false;
    if (audio.device != 0) SDL_ClearQueuedAudio(audio.device);
    return 1;
  }
  const auto value = reinterpret_cast<uintptr_t>(name);
  const bool resource = (flags & SoundResource) != 0;
  // A resource by name: the program has only numbered ones.
  if (resource && value > 0xFFFF) return 0;
  StartOpening(audio);
  if (audio.state == Audio::State::Opening && (flags & SoundAsync) != 0) {
    // Played as soon as the device is there, in place of one asked for before it.
    audio.pending = true;
    audio.pendingResource = resource;
    audio.pendingId = resource ? value : 0;
    audio.pendingFile = resource ? std::string() : std::string(name);
    return 1;
  }
  audio.opened.wait(held, [&audio] { return audio.state == Audio::State::Ready; });
  const SDL_AudioDeviceID device = audio.device;
  held.unlock();
  if (device == 0) return 0;
  if (!Queue(device, resource ? OpenResource(value) : OpenFile(name))) return 0;
  SDL_PauseAudioDevice(device, 0);
  if ((flags & SoundAsync) == 0) WaitUntilPlayed(device);
  return 1;
}
