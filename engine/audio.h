// Sound effects, streamed music and channels behind the engine object.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/hge.h"

namespace engine {

// The HGE sound calls, forwarded by the engine object. Handles of effects,
// streams and channels are unique within the process and carry a
// generation, so a call on a stale handle touches nothing. Volumes are
// clamped to 0..100, pans to -100..100. Every call with handle 0 is a no-op.
class Audio {
 public:
  // [silent]: keep the full bookkeeping (lengths, volumes, slides,
  // playing/stopped on the engine's clock) without opening an audio device.
  // A window-backend device that cannot open warns once and runs silent.
  static std::unique_ptr<Audio> create(bool silent);
  virtual ~Audio() = default;

  // Advances slides and ends finished channels by [dt] seconds of the
  // engine's clock; called once per frame.
  virtual void update(float dt) = 0;
  // Stops and frees everything; later calls are harmless no-ops.
  virtual void shutdown() = 0;

  virtual HEFFECT effectLoad(const char* filename) = 0;
  virtual void effectFree(HEFFECT eff) = 0;
  virtual HCHANNEL effectPlay(HEFFECT eff, int volume, int pan, float pitch, bool loop) = 0;
  virtual HSTREAM streamLoad(const char* filename) = 0;
  virtual void streamFree(HSTREAM stream) = 0;
  virtual HCHANNEL streamPlay(HSTREAM stream, bool loop, int volume) = 0;

  virtual void channelSetPanning(HCHANNEL chn, int pan) = 0;
  virtual void channelSetVolume(HCHANNEL chn, int volume) = 0;
  virtual void channelSetPitch(HCHANNEL chn, float pitch) = 0;
  virtual void channelPause(HCHANNEL chn) = 0;
  virtual void channelResume(HCHANNEL chn) = 0;
  virtual void channelStop(HCHANNEL chn) = 0;
  virtual bool channelIsPlaying(HCHANNEL chn) = 0;
  virtual float channelGetLength(HCHANNEL chn) = 0;
  virtual float channelGetPos(HCHANNEL chn) = 0;
  virtual void channelSlideTo(HCHANNEL chn, float time, int volume, int pan, float pitch) = 0;
  virtual bool channelIsSliding(HCHANNEL chn) = 0;
  // Current volume of a live channel, -1 for a stale handle (for tests).
  virtual int channelGetVolume(HCHANNEL chn) = 0;
};

}  // namespace engine
