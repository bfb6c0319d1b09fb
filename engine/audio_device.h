// The sound device under the channel bookkeeping: what actually makes noise.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace engine {

// A mixer with a fixed set of effect channels and one music slot. The
// bookkeeping in audio.cpp decides which mixer channel plays what, so the
// device never picks a channel by itself and a finished channel stays
// reserved until the bookkeeping has noticed it (no race with the mixer).
// Samples and music are opaque pointers owned by the device.
class SoundDevice {
 public:
  // Effect channels the device mixes at once.
  static constexpr int kChannels = 64;
  // The channel number that means the music slot.
  static constexpr int kMusic = -1;

  virtual ~SoundDevice() = default;

  // A whole file decoded into memory; null if it cannot be decoded.
  virtual void* loadSample(const std::vector<unsigned char>& bytes) = 0;
  virtual void freeSample(void* sample) = 0;
  // Music read from [path] (UTF-8) while it plays; null if it cannot be opened.
  virtual void* openMusic(const std::string& path) = 0;
  virtual void freeMusic(void* music) = 0;

  // Starts [sample] on effect channel [channel] (0..kChannels-1), replacing
  // whatever was there. False if the mixer refused.
  [[nodiscard]] virtual bool playSample(int channel, void* sample, bool loop) = 0;
  // Starts [music] in the music slot, replacing the music there.
  [[nodiscard]] virtual bool playMusic(void* music, bool loop) = 0;

  // [channel] is an effect channel or kMusic. Volume 0..100, pan -100..100.
  virtual void setVolume(int channel, int volume) = 0;
  virtual void setPan(int channel, int pan) = 0;
  virtual void pause(int channel) = 0;
  virtual void resume(int channel) = 0;
  virtual void halt(int channel) = 0;
  // False once the sound on [channel] has ended (a paused one still counts).
  virtual bool isPlaying(int channel) = 0;

  // Halts everything and closes the device; the samples and music must
  // already be freed.
  virtual void close() = 0;
};

// Opens SDL2_mixer at 44100 Hz stereo. Null (after one message through
// logError) when the device cannot open.
std::unique_ptr<SoundDevice> openSdlSoundDevice();

}  // namespace engine
