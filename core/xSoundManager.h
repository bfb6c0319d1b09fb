// Everything audible: the music with its title display, sound effects, voices, the background sound, the volumes.
#pragma once

#include <map>
#include <string>

#include "engine/hge.h"
#include "gfx/xFrameCounter.h"

// Single instance, created on first use and deleted by the entry point after
// the loop (the destructor writes the four volumes to config.ini). Stepped
// once per frame, third in the frame callback. Every handle starts at 0 and
// the engine ignores calls on 0, so stopping what never started is harmless.
class xSoundManager {
 public:
  // Frames of the one-second fade before a requested piece replaces the music.
  static constexpr int kMusicChangeFrames = 61;

  static xSoundManager* getInstance();
  // The instance when it exists, else null (never creates it).
  static xSoundManager* existing();
  // Deletes the instance (saving the volumes); the next getInstance makes a new one.
  static void destroy();

  // The first piece of the run starts at once; every later one after a
  // one-second fade of the current one, in the 61st update after the request.
  void setBackgroundMusic(const std::string& name, bool loop);
  void update();

  // Loads "data/se/" + [name] under [id], freeing an effect the id held.
  void addSoundEffect(int id, const std::string& name);
  // Plays effect [id] at the effect volume, or at [volume]; an id that was
  // never registered plays nothing.
  void playSoundEffect(int id);
  void playSoundEffect(int id, int volume);
  // A one-shot effect by file name (the previous one is freed first), at
  // the effect volume or at full volume.
  void playSoundEffectOut(const std::string& name);
  void playSoundEffectOutFull(const std::string& name);
  // Frees the previous voice; plays "data/voice/" + [name] only when voices are enabled.
  void playVoice(const std::string& name);
  // The looped background sound; the previous channel is not stopped.
  void setBGSound(const std::string& name);
  void stopBGSound();
  // Silences the music; the stream stays loaded.
  void stopBackgroundMusic();
  // Volumes are kept within 0..100. The music volume applies to the playing
  // music at once, the others to sounds started afterwards.
  void setBackgroundMusicVolume(int volume);
  void setSoundEffectVolume(int volume);
  void setVoiceVolume(int volume);
  void setBGSoundVolume(int volume);
  // Slides the music channel's volume; bgmVolume is unchanged.
  void slideBackgroundMusicVolume(float seconds, int volume);
  // Writes the four volumes to config.ini.
  void saveVolumes();

  // Registered effects by id.
  std::map<int, HEFFECT> effects;
  HGE* engine;
  HSTREAM musicStream = 0;
  HCHANNEL musicChannel = 0;
  int titleBoxIndex = -1;       // the music-title text box
  xFrameCounter titleCounter;   // how long the title stays before it fades
  std::string pendingMusic;
  bool pendingLoop = false;
  int bgmVolume = 100;
  int pendingCounter = 0;       // updates since a change was requested; 0 none
  HEFFECT bgSoundEffect = 0;
  HCHANNEL bgSoundChannel = 0;
  HEFFECT voiceEffect = 0;
  HEFFECT oneShotEffect = 0;
  int seVolume = 20;
  int voiceVolume = 40;
  int bgSoundVolume = 40;
  bool voiceEnabled = true;

 private:
  xSoundManager();
  ~xSoundManager();
  HSTREAM loadMusic(const std::string& name);
  HEFFECT loadEffect(const std::string& name, int category);
  void playOneShot(const std::string& name, int volume);
  // Shows [label] and the music name without its extension for [frames].
  void showTitle(const char* label, const std::string& name, int frames);
};
