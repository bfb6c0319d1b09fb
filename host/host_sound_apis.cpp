// Registration of the sound host functions: music, sound effects, voices, the background sound and the volumes.
//
// A bad group id is logged with the function's own log name. Volumes that
// scripts set are kept within 0..100 and written to config.ini at shutdown.
#include <cstdint>
#include <iterator>
#include <string>

#include "core/xSoundManager.h"
#include "host/host_call.h"
#include "host/host_registration.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

xSoundManager* sound() { return xSoundManager::getInstance(); }

// "htSetBackgroundMusic"(file: string): plays the music file (data/music), looped; music already
// playing fades out over a second first.
void host_SetBackgroundMusic(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetBackgroundMusic")) return;
  sound()->setBackgroundMusic(call.stringArg(0), true);
}

// "htSetBackgroundMusicEx"(file: string, loop: int): plays the music file, looped when loop >= 1.
void host_SetBackgroundMusicEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetBackgroundMusicEx")) return;
  std::string file = call.stringArg(0);
  sound()->setBackgroundMusic(file, call.intArg(1) >= 1);
}

// "htGetCurrBackgroundMusicLength"() -> float: the current music's length in seconds.
void host_GetCurrBackgroundMusicLength(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_GetCurrBackgroundMusicLength")) return;
  xSoundManager* s = sound();
  call.returnFloat(s->engine->Channel_GetLength(s->musicChannel));
}

// "htStopBackgroundMusic"(): stops the music.
void host_StopBackgroundMusic(ThreadIndex, GroupId) { sound()->stopBackgroundMusic(); }

// "htAddSoundEffect"(id: int, file: string): loads the sound effect file under id; an id already
// registered gives up its old effect.
void host_AddSoundEffect(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_AddSoundEffect")) return;
  std::int32_t id = call.intArg(0);
  sound()->addSoundEffect(id, call.stringArg(1));
}

// "htPlaySoundEffect"(id: int): plays effect id at the effect volume.
// An id that was never registered plays nothing.
void host_PlaySoundEffect(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::ErrorLoading, "host_PlaySoundEffect")) sound()->playSoundEffect(call.intArg(0));
}

// "htPlaySoundEffectEx"(id: int, volume: int): plays effect id at volume (0-100), whatever the
// effect volume is.
void host_PlaySoundEffectEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_PlaySoundEffectEx")) return;
  std::int32_t id = call.intArg(0);
  sound()->playSoundEffect(id, call.intArg(1));
}

// "htPlaySoundEffectOut"(file: string): plays the sound file once at the effect volume.
void host_PlaySoundEffectOut(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_PlaySoundEffectOut")) return;
  sound()->playSoundEffectOut(call.stringArg(0));
}

// "htSetSoundEffectVolume"(volume: int): the effect volume, 0-100; effects already playing keep
// theirs.
void host_SetSoundEffectVolume(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSoundEffectVolume")) return;
  sound()->setSoundEffectVolume(call.intArg(0));
}

// "htSetBackgroundMusicVolume"(volume: int): the music volume, 0-100, at once.
void host_SetBackgroundMusicVolume(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::ErrorLoading, "host_SetBackgroundMusicVolume")) {
    sound()->setBackgroundMusicVolume(call.intArg(0));
  }
}

// "htSetVoiceVolume"(volume: int): the voice volume, 0-100, for the next voice.
void host_SetVoiceVolume(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::ErrorLoading, "host_SetVoiceVolume")) sound()->setVoiceVolume(call.intArg(0));
}

// "htSetBGSoundVolume"(volume: int): the background sound's volume, 0-100.
void host_SetBGSoundVolume(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::ErrorLoading, "host_SetBGSoundVolume")) sound()->setBGSoundVolume(call.intArg(0));
}

// "htPlayVoice"(file: string): plays the voice file (data/voice) when voices are on.
void host_PlayVoice(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::ErrorLoading, "host_PlayVoice")) sound()->playVoice(call.stringArg(0));
}

// "htSetBGSound"(file: string): plays the background sound file (data/se), looped, at the
// background sound volume.
// Logs under its older name "host_PlayBGSound".
void host_SetBGSound(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::ErrorLoading, "host_PlayBGSound")) sound()->setBGSound(call.stringArg(0));
}

// "htStopBGSound"(): stops the background sound.
void host_StopBGSound(ThreadIndex, GroupId) { sound()->stopBGSound(); }

// DO NOT REORDER: registration order; a later group registering one of
// these names would replace it.
constexpr host::HostEntry kSoundAPIs[] = {
    {"htSetBackgroundMusic", host_SetBackgroundMusic},
    {"htSetBackgroundMusicEx", host_SetBackgroundMusicEx},
    {"htGetCurrBackgroundMusicLength", host_GetCurrBackgroundMusicLength},
    {"htStopBackgroundMusic", host_StopBackgroundMusic},
    {"htAddSoundEffect", host_AddSoundEffect},
    {"htPlaySoundEffect", host_PlaySoundEffect},
    {"htPlaySoundEffectEx", host_PlaySoundEffectEx},
    {"htPlaySoundEffectOut", host_PlaySoundEffectOut},
    {"htSetSoundEffectVolume", host_SetSoundEffectVolume},
    {"htSetBackgroundMusicVolume", host_SetBackgroundMusicVolume},
    {"htSetVoiceVolume", host_SetVoiceVolume},
    {"htSetBGSoundVolume", host_SetBGSoundVolume},
    {"htPlayVoice", host_PlayVoice},
    {"htSetBGSound", host_SetBGSound},
    {"htStopBGSound", host_StopBGSound},
};
static_assert(std::size(kSoundAPIs) == 15);

}  // namespace

void RegisterHostSoundAPIs() { host::registerHostTable(kSoundAPIs); }
