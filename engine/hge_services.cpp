// The engine object's service calls, forwarded: resources, INI, random numbers and sound.
#include "engine/hge_impl.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/platform.h"

namespace engine {

void* HgeImpl::Resource_Load(const char* filename, DWORD* size) {
  if (size) *size = 0;
  if (filename == nullptr) return nullptr;
  std::vector<unsigned char> bytes;
  int error = 0;
  if (!readFile(filename, bytes, &error)) {
    logError("Resource_Load", "cannot read " + displayPath(filename) + ": " + fileErrorText(error));
    return nullptr;
  }
  // One spare zero byte so text files can be read as C strings.
  auto* copy = static_cast<unsigned char*>(std::malloc(bytes.size() + 1));
  if (copy == nullptr) {
    logError("Resource_Load", "cannot read " + displayPath(filename) + ": " + std::strerror(ENOMEM));
    return nullptr;
  }
  if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
  copy[bytes.size()] = 0;
  if (size) *size = static_cast<DWORD>(bytes.size());
  return copy;
}

void HgeImpl::Resource_Free(void* res) {
  std::free(res);
}

// INI calls work before System_Initiate and after System_Shutdown: the
// sound manager writes its volumes from its destructor, after shutdown.
void HgeImpl::Ini_SetInt(const char* section, const char* name, int value) {
  if (section && name) ini_.setInt(section, name, value);
}

int HgeImpl::Ini_GetInt(const char* section, const char* name, int def_val) {
  return section && name ? ini_.getInt(section, name, def_val) : def_val;
}

void HgeImpl::Ini_SetFloat(const char* section, const char* name, float value) {
  if (section && name) ini_.setFloat(section, name, value);
}

float HgeImpl::Ini_GetFloat(const char* section, const char* name, float def_val) {
  return section && name ? ini_.getFloat(section, name, def_val) : def_val;
}

void HgeImpl::Ini_SetString(const char* section, const char* name, const char* value) {
  if (section && name) ini_.setString(section, name, value ? value : "");
}

const char* HgeImpl::Ini_GetString(const char* section, const char* name, const char* def_val) {
  const char* fallback = def_val ? def_val : "";
  iniValue_ = section && name ? ini_.getString(section, name, fallback) : std::string(fallback);
  return iniValue_.c_str();
}

// Seed 0 asks for a fresh seed: the clock in the window backend, the fixed
// (or --seed) seed headless, so headless runs stay repeatable.
void HgeImpl::Random_Seed(int seed) {
  if (seed == 0) {
    seedFromClockOrOption();
  } else {
    random_.seed(static_cast<std::uint32_t>(seed));
  }
}

int HgeImpl::Random_Int(int min, int max) {
  return random_.intIn(min, max);
}

float HgeImpl::Random_Float(float min, float max) {
  return random_.floatIn(min, max);
}

// Sound exists only between System_Initiate and System_Shutdown; outside
// that window every call is a no-op returning 0/false.
HEFFECT HgeImpl::Effect_Load(const char* filename, DWORD size) {
  if (!audio_ || filename == nullptr) return 0;
  if (size != 0) {
    logError("Effect_Load", "sounds in memory are not supported");
    return 0;
  }
  return audio_->effectLoad(filename);
}

void HgeImpl::Effect_Free(HEFFECT eff) {
  if (audio_) audio_->effectFree(eff);
}

HCHANNEL HgeImpl::Effect_Play(HEFFECT eff) {
  return audio_ ? audio_->effectPlay(eff, 100, 0, 1.0f, false) : 0;
}

HCHANNEL HgeImpl::Effect_PlayEx(HEFFECT eff, int volume, int pan, float pitch, bool loop) {
  return audio_ ? audio_->effectPlay(eff, volume, pan, pitch, loop) : 0;
}

HSTREAM HgeImpl::Stream_Load(const char* filename, DWORD size) {
  if (!audio_ || filename == nullptr) return 0;
  if (size != 0) {
    logError("Stream_Load", "music in memory is not supported");
    return 0;
  }
  return audio_->streamLoad(filename);
}

void HgeImpl::Stream_Free(HSTREAM stream) {
  if (audio_) audio_->streamFree(stream);
}

HCHANNEL HgeImpl::Stream_Play(HSTREAM stream, bool loop, int volume) {
  return audio_ ? audio_->streamPlay(stream, loop, volume) : 0;
}

void HgeImpl::Channel_SetPanning(HCHANNEL chn, int pan) {
  if (audio_) audio_->channelSetPanning(chn, pan);
}

void HgeImpl::Channel_SetVolume(HCHANNEL chn, int volume) {
  if (audio_) audio_->channelSetVolume(chn, volume);
}

void HgeImpl::Channel_SetPitch(HCHANNEL chn, float pitch) {
  if (audio_) audio_->channelSetPitch(chn, pitch);
}

void HgeImpl::Channel_Pause(HCHANNEL chn) {
  if (audio_) audio_->channelPause(chn);
}

void HgeImpl::Channel_Resume(HCHANNEL chn) {
  if (audio_) audio_->channelResume(chn);
}

void HgeImpl::Channel_Stop(HCHANNEL chn) {
  if (audio_) audio_->channelStop(chn);
}

bool HgeImpl::Channel_IsPlaying(HCHANNEL chn) {
  return audio_ ? audio_->channelIsPlaying(chn) : false;
}

float HgeImpl::Channel_GetLength(HCHANNEL chn) {
  return audio_ ? audio_->channelGetLength(chn) : 0.0f;
}

float HgeImpl::Channel_GetPos(HCHANNEL chn) {
  return audio_ ? audio_->channelGetPos(chn) : 0.0f;
}

void HgeImpl::Channel_SlideTo(HCHANNEL channel, float time, int volume, int pan, float pitch) {
  if (audio_) audio_->channelSlideTo(channel, time, volume, pan, pitch);
}

bool HgeImpl::Channel_IsSliding(HCHANNEL channel) {
  return audio_ ? audio_->channelIsSliding(channel) : false;
}

}  // namespace engine
