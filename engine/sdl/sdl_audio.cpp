// The SDL2_mixer sound device: decoded effects on numbered channels, music streamed from its file.
#include <SDL.h>
#include <SDL_mixer.h>

#include <utility>

#include "engine/audio_device.h"
#include "engine/platform.h"

namespace engine {
namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
constexpr int kChunkFrames = 1024;  // about 23 ms of latency at 44100 Hz

int mixVolume(int volume) { return volume * MIX_MAX_VOLUME / 100; }

class SdlSoundDevice final : public SoundDevice {
 public:
  ~SdlSoundDevice() override { close(); }

  // Failures are reported once per process: a machine without sound would
  // otherwise repeat the same warning for every engine it creates.
  [[nodiscard]] bool open() {
    static bool warned = false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      if (!std::exchange(warned, true)) logError("SDL_InitSubSystem(SDL_INIT_AUDIO)", SDL_GetError());
      return false;
    }
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kOutputChannels, kChunkFrames) != 0) {
      if (!std::exchange(warned, true)) logError("Mix_OpenAudio", Mix_GetError());
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    // Missing MP3 support is not fatal: WAV still plays, MP3 files fail to load.
    if ((Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0 && !std::exchange(warned, true)) {
      logError("Mix_Init(MIX_INIT_MP3)", Mix_GetError());
    }
    Mix_AllocateChannels(kChannels);
    open_ = true;
    return true;
  }

  void* loadSample(const std::vector<unsigned char>& bytes) override {
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (rw == nullptr) return nullptr;
    return Mix_LoadWAV_RW(rw, 1);
  }
  void freeSample(void* sample) override { Mix_FreeChunk(static_cast<Mix_Chunk*>(sample)); }

  void* openMusic(const std::string& path) override { return Mix_LoadMUS(path.c_str()); }
  void freeMusic(void* music) override { Mix_FreeMusic(static_cast<Mix_Music*>(music)); }

  bool playSample(int channel, void* sample, bool loop) override {
    return Mix_PlayChannel(channel, static_cast<Mix_Chunk*>(sample), loop ? -1 : 0) == channel;
  }
  bool playMusic(void* music, bool loop) override {
    // Loop count 1 means "play once" in every SDL_mixer 2 release.
    return Mix_PlayMusic(static_cast<Mix_Music*>(music), loop ? -1 : 1) == 0;
  }

  void setVolume(int channel, int volume) override {
    if (channel == kMusic) {
      Mix_VolumeMusic(mixVolume(volume));
    } else {
      Mix_Volume(channel, mixVolume(volume));
    }
  }
  // SDL_mixer pans effect channels only; the music stays centred. The panning
  // effect is dropped by the mixer whenever a channel ends, so the
  // bookkeeping sets it again after every start.
  void setPan(int channel, int pan) override {
    if (channel == kMusic) return;
    const int left = pan <= 0 ? 255 : 255 * (100 - pan) / 100;
    const int right = pan >= 0 ? 255 : 255 * (100 + pan) / 100;
    Mix_SetPanning(channel, static_cast<Uint8>(left), static_cast<Uint8>(right));
  }
  void pause(int channel) override { channel == kMusic ? Mix_PauseMusic() : Mix_Pause(channel); }
  void resume(int channel) override { channel == kMusic ? Mix_ResumeMusic() : Mix_Resume(channel); }
  void halt(int channel) override {
    if (channel == kMusic) {
      Mix_HaltMusic();
    } else {
      Mix_HaltChannel(channel);
    }
  }
  bool isPlaying(int channel) override {
    return channel == kMusic ? Mix_PlayingMusic() != 0 : Mix_Playing(channel) != 0;
  }

  void close() override {
    if (!open_) return;
    open_ = false;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

 private:
  bool open_ = false;
};

}  // namespace

std::unique_ptr<SoundDevice> openSdlSoundDevice() {
  auto device = std::make_unique<SdlSoundDevice>();
  if (!device->open()) return nullptr;
  return device;
}

}  // namespace engine
