// The sound manager: music changes with their title display, effects, voices, background sound, volumes.
#include "core/xSoundManager.h"

#include <algorithm>

#include "base/resource_path.h"
#include "core/config.h"
#include "core/xSystem.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xTextBox.h"

namespace {

xSoundManager* gSound = nullptr;

constexpr float kTitleFadeStep = 1.0f / 120;
constexpr int kTitleFadeFrames = 120;
constexpr int kTitleMoveFrames = 180;
constexpr int kFirstTitleFrames = 300;
constexpr int kChangedTitleFrames = 180;
constexpr float kTitleY = 580;

int clampVolume(int volume) { return std::clamp(volume, 0, 100); }

std::string enginePath(const std::string& name, int category) {
  return WStringToString(GetResourcePath(name, category));
}

}  // namespace

xSoundManager* xSoundManager::getInstance() {
  if (!gSound) gSound = new xSoundManager();
  return gSound;
}

xSoundManager* xSoundManager::existing() { return gSound; }

void xSoundManager::destroy() {
  delete gSound;
  gSound = nullptr;
}

xSoundManager::xSoundManager() : engine(hgeCreate(HGE_VERSION)) {
  xTextBoxManager* boxes = xTextBoxManager::getInstance();
  const std::string uiFont = core::readConfigString(engine, CFG_STR_UI_FONT);
  titleBoxIndex = boxes->addTextBox(uiFont, gfx::BoxArea{300, 570, 500, 30});
  if (xTextBox* box = boxes->getTextBox(titleBoxIndex)) {
    if (!box->font) core::reportUnusableString(CFG_STR_UI_FONT, uiFont, "no such font");
    box->revealOn = false;
    box->fadeInOn = true;
    box->fadeFrames = kTitleFadeFrames;
    box->fadeStep = kTitleFadeStep;
    box->revealCounter.start(10, true);
  }
  for (ConfigItem volume : {CFG_BGM_VOLUME, CFG_SE_VOLUME, CFG_VOICE_VOLUME, CFG_BGSOUND_VOLUME})
    core::reportUnusableInt(engine, volume, 0, 100, "not a volume 0-100");
  bgmVolume = core::readConfigInt(engine, CFG_BGM_VOLUME);
  seVolume = core::readConfigInt(engine, CFG_SE_VOLUME);
  voiceVolume = core::readConfigInt(engine, CFG_VOICE_VOLUME);
  bgSoundVolume = core::readConfigInt(engine, CFG_BGSOUND_VOLUME);
  voiceEnabled = core::readConfigInt(engine, CFG_ENABLE_VOICE) > 0;
}

xSoundManager::~xSoundManager() {
  // Each live effect once: an id registered twice freed its old effect then.
  for (auto& [id, effect] : effects) engine->Effect_Free(effect);
  effects.clear();
  if (musicChannel != 0) engine->Channel_Stop(musicChannel);
  if (musicStream != 0) engine->Stream_Free(musicStream);
  saveVolumes();
  engine->Release();
}

HSTREAM xSoundManager::loadMusic(const std::string& name) {
  return engine->Stream_Load(enginePath(name, RES_MUSIC).c_str());
}

HEFFECT xSoundManager::loadEffect(const std::string& name, int category) {
  return engine->Effect_Load(enginePath(name, category).c_str());
}

void xSoundManager::setBackgroundMusic(const std::string& name, bool loop) {
  if (musicStream != 0) {
    pendingMusic = name;
    pendingLoop = loop;
    pendingCounter = 1;
    engine->Channel_SlideTo(musicChannel, 1.0f, 0, -101, -1.0f);
    return;
  }
  engine->Channel_Stop(musicChannel);
  engine->Stream_Free(musicStream);
  pendingCounter = 0;
  musicStream = loadMusic(name);
  musicChannel = engine->Stream_Play(musicStream, loop, bgmVolume);
  engine->Channel_SlideTo(musicChannel, 1.0f, bgmVolume, -101, -1.0f);
  showTitle("BGM ~ ", name, kFirstTitleFrames);
}

void xSoundManager::update() {
  titleCounter.step();
  if (titleCounter.state == xFrameCounter::kFired) {
    titleCounter.limit = 0;
    titleCounter.count = 0;
    titleCounter.state = xFrameCounter::kOff;
    if (xTextBox* box = xTextBoxManager::getInstance()->getTextBox(titleBoxIndex)) {
      box->fadeOutOn = true;
      box->fadeStep = kTitleFadeStep;
    }
  }
  if (pendingCounter == 0 || ++pendingCounter <= kMusicChangeFrames) return;
  engine->Channel_Stop(musicChannel);
  engine->Stream_Free(musicStream);
  musicStream = loadMusic(pendingMusic);
  musicChannel = engine->Stream_Play(musicStream, pendingLoop, bgmVolume);
  engine->Channel_Resume(musicChannel);
  showTitle("BGM - ", pendingMusic, kChangedTitleFrames);
  pendingCounter = 0;
}

void xSoundManager::showTitle(const char* label, const std::string& name, int frames) {
  xTextBox* box = xTextBoxManager::getInstance()->getTextBox(titleBoxIndex);
  if (!box) return;
  // In a stage the title sits at the play field's right edge.
  const bool inStage = xSystem::getInstance()->getState() == STATE_STG;
  box->x = inStage ? 175 : 500;
  box->y = kTitleY;
  std::wstring title = StringToWString(label + name.substr(0, name.find('.')));
  const int width = box->font ? box->font->GetTextSize(title.c_str()).width : 0;
  box->setText(title);
  box->moveTo(kTitleMoveFrames, float((inStage ? 610 : 790) - width), kTitleY);
  titleCounter.start(std::uint32_t(frames), true);
}

void xSoundManager::addSoundEffect(int id, const std::string& name) {
  auto found = effects.find(id);
  if (found != effects.end()) engine->Effect_Free(found->second);
  effects[id] = loadEffect(name, RES_SE);
}

void xSoundManager::playSoundEffect(int id) { playSoundEffect(id, seVolume); }

void xSoundManager::playSoundEffect(int id, int volume) {
  auto found = effects.find(id);
  if (found != effects.end()) engine->Effect_PlayEx(found->second, volume, 0, 1.0f, false);
}

void xSoundManager::playOneShot(const std::string& name, int volume) {
  if (oneShotEffect != 0) engine->Effect_Free(oneShotEffect);
  oneShotEffect = loadEffect(name, RES_SE);
  engine->Effect_PlayEx(oneShotEffect, volume, 0, 1.0f, false);
}

void xSoundManager::playSoundEffectOut(const std::string& name) { playOneShot(name, seVolume); }
void xSoundManager::playSoundEffectOutFull(const std::string& name) { playOneShot(name, 100); }

void xSoundManager::playVoice(const std::string& name) {
  if (voiceEffect != 0) engine->Effect_Free(voiceEffect);
  voiceEffect = 0;
  if (!voiceEnabled) return;
  voiceEffect = loadEffect(name, RES_VOICE);
  engine->Effect_PlayEx(voiceEffect, voiceVolume, 0, 1.0f, false);
}

void xSoundManager::setBGSound(const std::string& name) {
  if (bgSoundEffect != 0) engine->Effect_Free(bgSoundEffect);
  bgSoundEffect = loadEffect(name, RES_SE);
  bgSoundChannel = engine->Effect_PlayEx(bgSoundEffect, bgSoundVolume, 0, 1.0f, true);
}

void xSoundManager::stopBGSound() { engine->Channel_Stop(bgSoundChannel); }
void xSoundManager::stopBackgroundMusic() { engine->Channel_Stop(musicChannel); }

void xSoundManager::setBackgroundMusicVolume(int volume) {
  bgmVolume = clampVolume(volume);
  engine->Channel_SetVolume(musicChannel, bgmVolume);
}

void xSoundManager::setSoundEffectVolume(int volume) { seVolume = clampVolume(volume); }
void xSoundManager::setVoiceVolume(int volume) { voiceVolume = clampVolume(volume); }
void xSoundManager::setBGSoundVolume(int volume) { bgSoundVolume = clampVolume(volume); }

void xSoundManager::slideBackgroundMusicVolume(float seconds, int volume) {
  engine->Channel_SlideTo(musicChannel, seconds, volume, -101, -1.0f);
}

void xSoundManager::saveVolumes() {
  core::writeConfigInt(engine, CFG_BGM_VOLUME, bgmVolume);
  core::writeConfigInt(engine, CFG_SE_VOLUME, seVolume);
  core::writeConfigInt(engine, CFG_VOICE_VOLUME, voiceVolume);
  core::writeConfigInt(engine, CFG_BGSOUND_VOLUME, bgSoundVolume);
}
