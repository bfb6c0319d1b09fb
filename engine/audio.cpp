// Channel bookkeeping shared by the silent and the SDL2_mixer sound: handles, volumes, slides, ends.
#include "engine/audio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/audio_device.h"
#include "engine/audio_handles.h"
#include "engine/audio_probe.h"
#include "engine/platform.h"

namespace engine {
namespace {

constexpr int kNoMixer = -2;  // a stopped channel holds no mixer channel
// Float frame times summed over a second may fall a hair short of it.
constexpr double kTimeEpsilon = 1e-6;

enum class PlayState { Playing, Paused, Stopped };

struct Slide {
  bool active = false;
  double time = 0;
  double elapsed = 0;
  int fromVolume = 0, toVolume = 0;
  int fromPan = 0, toPan = 0;
};

struct Channel {
  HEFFECT effect = 0;
  HSTREAM stream = 0;
  int mixer = kNoMixer;  // effect channel number or SoundDevice::kMusic
  PlayState state = PlayState::Playing;
  bool loop = false;
  double length = 0;
  double elapsed = 0;
  int volume = 100;
  int pan = 0;
  float pitch = 1.0f;
  Slide slide;
  std::uint64_t serial = 0;  // start order, to find the oldest effect channel
};

struct Effect {
  void* sample = nullptr;
  double length = 0;
};

struct Stream {
  void* music = nullptr;
  double length = 0;
  HCHANNEL channel = 0;  // its latest channel, kept readable while the stream lives
};

int clampVolume(int volume) { return std::clamp(volume, 0, 100); }
int clampPan(int pan) { return std::clamp(pan, -100, 100); }

class AudioMixer final : public Audio {
 public:
  explicit AudioMixer(std::unique_ptr<SoundDevice> device) : device_(std::move(device)) {
    live_.reserve(HandleTable<Channel>::kMaxSlots);
  }
  ~AudioMixer() override { shutdown(); }

  void update(float dt) override;
  void shutdown() override;

  HEFFECT effectLoad(const char* filename) override;
  void effectFree(HEFFECT eff) override;
  HCHANNEL effectPlay(HEFFECT eff, int volume, int pan, float pitch, bool loop) override;
  HSTREAM streamLoad(const char* filename) override;
  void streamFree(HSTREAM stream) override;
  HCHANNEL streamPlay(HSTREAM stream, bool loop, int volume) override;

  void channelSetPanning(HCHANNEL chn, int pan) override;
  void channelSetVolume(HCHANNEL chn, int volume) override;
  void channelSetPitch(HCHANNEL chn, float pitch) override;
  void channelPause(HCHANNEL chn) override;
  void channelResume(HCHANNEL chn) override;
  void channelStop(HCHANNEL chn) override;
  bool channelIsPlaying(HCHANNEL chn) override;
  float channelGetLength(HCHANNEL chn) override;
  float channelGetPos(HCHANNEL chn) override;
  void channelSlideTo(HCHANNEL chn, float time, int volume, int pan, float pitch) override;
  bool channelIsSliding(HCHANNEL chn) override;
  int channelGetVolume(HCHANNEL chn) override;

 private:
  // A channel that is playing or paused; null for stopped or stale handles.
  Channel* liveChannel(HCHANNEL chn);
  [[nodiscard]] bool readSound(const char* call, const char* filename,
                               std::vector<unsigned char>& bytes, double& length);
  int takeMixerChannel();
  HCHANNEL startChannel(Channel channel, void* sound);
  void stopChannel(HCHANNEL chn);
  void endLive(std::size_t liveIndex);
  void applyVolume(Channel& c, int volume);
  void applyPan(Channel& c, int pan);
  void stepSlide(Channel& c, double dt);

  std::unique_ptr<SoundDevice> device_;  // null when silent
  bool closed_ = false;
  HandleTable<Effect> effects_{HandleKind::Effect, 64};
  HandleTable<Stream> streams_{HandleKind::Stream, 16};
  HandleTable<Channel> channels_{HandleKind::Channel, 256};
  std::vector<HCHANNEL> live_;  // playing or paused channels
  // Which channel holds each mixer channel. The silent mode keeps the same
  // limit, so both modes drop the same sounds when too many play at once.
  HCHANNEL mixerOwner_[SoundDevice::kChannels] = {};
  HCHANNEL musicOwner_ = 0;
  std::uint64_t nextSerial_ = 1;
};

// ---- loading ----

bool AudioMixer::readSound(const char* call, const char* filename, std::vector<unsigned char>& bytes,
                           double& length) {
  if (closed_ || filename == nullptr) return false;
  int error = 0;
  if (!readFile(filename, bytes, &error)) {
    logError(call, "cannot read " + displayPath(filename) + ": " + fileErrorText(error));
    return false;
  }
  // The mixer divides by these sizes, and decodes a whole effect at its own
  // rate: a file that lies about them, or would swell past memory, must not reach it.
  const bool decodedWhole = std::string_view(call) == "Effect_Load";
  if (const std::string problem = soundFileProblem(bytes, decodedWhole); !problem.empty()) {
    logError(call, displayPath(filename) + ": " + problem);
    return false;
  }
  const auto measured = soundFileLength(bytes);
  length = measured.value_or(0);
  // The silent mode has nothing but the headers to go by; the device may
  // still play formats whose length they do not tell.
  if (!measured && !device_) {
    logError(call, "not a WAV, MP3 or Ogg Vorbis file: " + displayPath(filename));
    return false;
  }
  return true;
}

HEFFECT AudioMixer::effectLoad(const char* filename) {
  std::vector<unsigned char> bytes;
  Effect effect;
  if (!readSound("Effect_Load", filename, bytes, effect.length)) return 0;
  if (device_) {
    effect.sample = device_->loadSample(bytes);
    if (effect.sample == nullptr) {
      logError("Effect_Load", "cannot decode " + displayPath(filename));
      return 0;
    }
  }
  const HEFFECT handle = effects_.add(effect);
  if (handle == 0 && device_) device_->freeSample(effect.sample);
  return handle;
}

void AudioMixer::effectFree(HEFFECT eff) {
  Effect* effect = effects_.find(eff);
  if (effect == nullptr) return;
  for (std::size_t i = live_.size(); i-- > 0;) {
    if (channels_.find(live_[i])->effect == eff) endLive(i);
  }
  if (device_) device_->freeSample(effect->sample);
  effects_.release(eff, false);
}

HSTREAM AudioMixer::streamLoad(const char* filename) {
  std::vector<unsigned char> bytes;
  Stream stream;
  if (!readSound("Stream_Load", filename, bytes, stream.length)) return 0;
  if (device_) {
    // The bytes were read only to measure: the device streams from the file.
    stream.music = device_->openMusic(resolveRegularFile(filename));
    if (stream.music == nullptr) {
      logError("Stream_Load", "cannot open " + displayPath(filename));
      return 0;
    }
  }
  const HSTREAM handle = streams_.add(stream);
  if (handle == 0 && device_) device_->freeMusic(stream.music);
  return handle;
}

void AudioMixer::streamFree(HSTREAM handle) {
  Stream* stream = streams_.find(handle);
  if (stream == nullptr) return;
  stopChannel(stream->channel);
  channels_.release(stream->channel, true);
  if (device_) device_->freeMusic(stream->music);
  streams_.release(handle, false);
}

// ---- starting and ending channels ----

// A free mixer channel, or the one of the oldest effect still sounding.
int AudioMixer::takeMixerChannel() {
  for (int i = 0; i < SoundDevice::kChannels; ++i) {
    if (mixerOwner_[i] == 0) return i;
  }
  int oldest = 0;
  for (int i = 1; i < SoundDevice::kChannels; ++i) {
    if (channels_.find(mixerOwner_[i])->serial < channels_.find(mixerOwner_[oldest])->serial) oldest = i;
  }
  stopChannel(mixerOwner_[oldest]);
  return oldest;
}

HCHANNEL AudioMixer::startChannel(Channel channel, void* sound) {
  channel.serial = nextSerial_++;
  if (device_) {
    const int mixer = channel.mixer;
    device_->setVolume(mixer, channel.volume);
    const bool started = mixer == SoundDevice::kMusic ? device_->playMusic(sound, channel.loop)
                                                      : device_->playSample(mixer, sound, channel.loop);
    if (!started) return 0;
    if (channel.pan != 0) device_->setPan(mixer, channel.pan);
  }
  const HCHANNEL handle = channels_.add(channel);
  if (handle == 0) {
    if (device_) device_->halt(channel.mixer);
    return 0;
  }
  if (channel.mixer == SoundDevice::kMusic) {
    musicOwner_ = handle;
  } else {
    mixerOwner_[channel.mixer] = handle;
  }
  live_.push_back(handle);
  return handle;
}

HCHANNEL AudioMixer::effectPlay(HEFFECT eff, int volume, int pan, float pitch, bool loop) {
  const Effect* effect = effects_.find(eff);
  if (effect == nullptr) return 0;
  Channel channel;
  channel.effect = eff;
  channel.mixer = takeMixerChannel();
  channel.loop = loop;
  channel.length = effect->length;
  channel.volume = clampVolume(volume);
  channel.pan = clampPan(pan);
  channel.pitch = pitch > 0 ? pitch : 1.0f;
  return startChannel(channel, effect->sample);
}

HCHANNEL AudioMixer::streamPlay(HSTREAM handle, bool loop, int volume) {
  Stream* stream = streams_.find(handle);
  if (stream == nullptr) return 0;
  // One music at a time: a new one ends the one before.
  stopChannel(musicOwner_);
  stopChannel(stream->channel);
  channels_.release(stream->channel, true);
  stream->channel = 0;
  Channel channel;
  channel.stream = handle;
  channel.mixer = SoundDevice::kMusic;
  channel.loop = loop;
  channel.length = stream->length;
  channel.volume = clampVolume(volume);
  stream->channel = startChannel(channel, stream->music);
  return stream->channel;
}

void AudioMixer::stopChannel(HCHANNEL chn) {
  if (liveChannel(chn) == nullptr) return;
  const auto it = std::find(live_.begin(), live_.end(), chn);
  endLive(static_cast<std::size_t>(it - live_.begin()));
}

// Ends the channel at live_[liveIndex]: halts its sound, frees its mixer
// channel and, for an effect, lets its slot be reused. A stream's channel
// stays readable (its length, say) until the stream is freed or replayed.
void AudioMixer::endLive(std::size_t liveIndex) {
  const HCHANNEL handle = live_[liveIndex];
  Channel& c = *channels_.find(handle);
  if (device_) device_->halt(c.mixer);
  if (c.mixer == SoundDevice::kMusic) {
    musicOwner_ = 0;
  } else {
    mixerOwner_[c.mixer] = 0;
  }
  c.mixer = kNoMixer;
  c.state = PlayState::Stopped;
  c.slide.active = false;
  live_[liveIndex] = live_.back();
  live_.pop_back();
  if (c.effect != 0) channels_.release(handle, true);
}

// ---- per frame ----

void AudioMixer::update(float dt) {
  if (closed_ || !(dt > 0)) return;
  for (std::size_t i = live_.size(); i-- > 0;) {
    Channel& c = *channels_.find(live_[i]);
    if (c.state != PlayState::Playing) continue;
    c.elapsed += dt;
    stepSlide(c, dt);
    // With a device the mixer alone knows when a sound has ended; it is
    // polled here, never told through a callback on the mixer's thread.
    const bool ended = device_ ? !device_->isPlaying(c.mixer)
                               : !c.loop && c.elapsed + kTimeEpsilon >= c.length;
    if (ended) {
      endLive(i);
    } else if (c.loop && c.length > 0 && c.elapsed >= c.length) {
      c.elapsed = std::fmod(c.elapsed, c.length);
    }
  }
}

void AudioMixer::stepSlide(Channel& c, double dt) {
  Slide& s = c.slide;
  if (!s.active) return;
  s.elapsed += dt;
  const bool done = s.elapsed + kTimeEpsilon >= s.time;
  const double t = done ? 1.0 : s.elapsed / s.time;
  applyVolume(c, static_cast<int>(std::lround(s.fromVolume + (s.toVolume - s.fromVolume) * t)));
  applyPan(c, static_cast<int>(std::lround(s.fromPan + (s.toPan - s.fromPan) * t)));
  if (done) s.active = false;
}

void AudioMixer::applyVolume(Channel& c, int volume) {
  if (volume == c.volume) return;
  c.volume = volume;
  if (device_) device_->setVolume(c.mixer, volume);
}

void AudioMixer::applyPan(Channel& c, int pan) {
  if (pan == c.pan) return;
  c.pan = pan;
  if (device_) device_->setPan(c.mixer, pan);
}

void AudioMixer::shutdown() {
  if (closed_) return;
  while (!live_.empty()) endLive(live_.size() - 1);
  if (device_) {
    effects_.forEach([this](HEFFECT, Effect& e) { device_->freeSample(e.sample); });
    streams_.forEach([this](HSTREAM, Stream& s) { device_->freeMusic(s.music); });
    device_->close();
    device_.reset();
  }
  effects_.clear();
  streams_.clear();
  channels_.clear();
  closed_ = true;
}

// ---- channel calls ----

Channel* AudioMixer::liveChannel(HCHANNEL chn) {
  Channel* c = channels_.find(chn);
  return c != nullptr && c->state != PlayState::Stopped ? c : nullptr;
}

void AudioMixer::channelSetPanning(HCHANNEL chn, int pan) {
  if (Channel* c = liveChannel(chn)) applyPan(*c, clampPan(pan));
}

// A slide in progress goes on and overrides this volume.
void AudioMixer::channelSetVolume(HCHANNEL chn, int volume) {
  if (Channel* c = liveChannel(chn)) applyVolume(*c, clampVolume(volume));
}

// Kept for the record only: neither device changes the playing speed.
void AudioMixer::channelSetPitch(HCHANNEL chn, float pitch) {
  Channel* c = liveChannel(chn);
  if (c != nullptr && pitch > 0) c->pitch = pitch;
}

void AudioMixer::channelPause(HCHANNEL chn) {
  Channel* c = liveChannel(chn);
  if (c == nullptr || c->state != PlayState::Playing) return;
  c->state = PlayState::Paused;
  if (device_) device_->pause(c->mixer);
}

// Only a paused channel resumes; a stopped one cannot be restarted.
void AudioMixer::channelResume(HCHANNEL chn) {
  Channel* c = liveChannel(chn);
  if (c == nullptr || c->state != PlayState::Paused) return;
  c->state = PlayState::Playing;
  if (device_) device_->resume(c->mixer);
}

void AudioMixer::channelStop(HCHANNEL chn) { stopChannel(chn); }

bool AudioMixer::channelIsPlaying(HCHANNEL chn) {
  const Channel* c = liveChannel(chn);
  return c != nullptr && c->state == PlayState::Playing;
}

// Also answered for a stopped channel while its handle is not stale.
float AudioMixer::channelGetLength(HCHANNEL chn) {
  const Channel* c = channels_.find(chn);
  return c != nullptr ? static_cast<float>(c->length) : 0.0f;
}

float AudioMixer::channelGetPos(HCHANNEL chn) {
  const Channel* c = liveChannel(chn);
  if (c == nullptr) return 0.0f;
  return static_cast<float>(c->length > 0 ? std::min(c->elapsed, c->length) : c->elapsed);
}

void AudioMixer::channelSlideTo(HCHANNEL chn, float time, int volume, int pan, float pitch) {
  Channel* c = liveChannel(chn);
  if (c == nullptr) return;
  if (pitch > 0) c->pitch = pitch;  // -1 leaves it; the devices ignore it anyway
  Slide& s = c->slide;
  s.fromVolume = c->volume;
  s.toVolume = volume == -1 ? c->volume : clampVolume(volume);
  s.fromPan = c->pan;
  s.toPan = pan == -101 ? c->pan : clampPan(pan);
  s.time = time > 0 ? time : 0;
  s.elapsed = 0;
  s.active = true;
  if (!(time > 0)) stepSlide(*c, 0);  // no time: jump to the target at once
}

bool AudioMixer::channelIsSliding(HCHANNEL chn) {
  const Channel* c = liveChannel(chn);
  return c != nullptr && c->slide.active;
}

int AudioMixer::channelGetVolume(HCHANNEL chn) {
  const Channel* c = channels_.find(chn);
  return c != nullptr ? c->volume : -1;
}

}  // namespace

std::unique_ptr<Audio> Audio::create(bool silent) {
  if (silent) return std::make_unique<AudioMixer>(nullptr);
  // Without a device the game runs silent; openSdlSoundDevice has said why
  // on stderr, where a player would not look.
  std::unique_ptr<SoundDevice> device = openSdlSoundDevice();
  if (!device) writeGameLog("No audio device could be opened: the game runs without sound");
  return std::make_unique<AudioMixer>(std::move(device));
}

}  // namespace engine
