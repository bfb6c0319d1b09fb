// The sound manager's engine calls: the music change with its title, effects by id, voices, background sound, saved volumes.
#include "core/xSoundManager.h"

#include <fstream>

#include "core/process_exit.h"
#include "gfx/xTextBox.h"
#include "tests/core/core_fixture.h"
#include "tests/core/sound_fixture.h"
#include "tests/engine/audio_fixture.h"

namespace {

class SoundTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    std::ifstream tone(audio_test::mp3FixturePath(), std::ios::binary);
    std::string mp3((std::istreambuf_iterator<char>(tone)), std::istreambuf_iterator<char>());
    for (const char* name : {"first.mp3", "second", "third.mp3"}) dir_.write(std::string("data/music/") + name, mp3);
    const std::string wav = audio_test::makeWav(0.5);
    for (const char* name : {"data/se/a.wav", "data/se/b.wav", "data/se/wind.wav", "data/voice/v.wav"}) {
      dir_.write(name, wav);
    }
    engine::clearPathCache();
  }
  void TearDown() override {
    if (sound_) sound_->engine = real_;
    CoreTest::TearDown();
  }
  // The manager, its engine calls recorded from here on.
  xSoundManager* makeManager() {
    startEngine();
    sound_ = xSoundManager::getInstance();
    real_ = sound_->engine;
    recorder_ = std::make_unique<RecordingHge>(real_);
    sound_->engine = recorder_.get();
    return sound_;
  }
  xTextBox* titleBox() const { return xTextBoxManager::getInstance()->getTextBox(sound_->titleBoxIndex); }
  std::wstring titleText() const {
    std::wstring text;
    if (xTextBox* box = titleBox())
      for (const TextBoxChar& c : box->chars) text += c.text;
    return text;
  }

  xSoundManager* sound_ = nullptr;
  HGE* real_ = nullptr;
  std::unique_ptr<RecordingHge> recorder_;
};

TEST_F(SoundTest, TheFirstMusicStartsAtOnceLaterOnesAfterAOneSecondFade) {
  xSoundManager* sound = makeManager();
  RecordingHge& rec = *recorder_;
  sound->setBackgroundMusic("first.mp3", true);
  EXPECT_EQ(rec.ops(), (std::vector<std::string>{"Channel_Stop", "Stream_Free", "Stream_Load data/music/first.mp3",
                                                 "Stream_Play", "Channel_SlideTo"}));
  EXPECT_TRUE(rec.named("Stream_Play")[0].loop);
  EXPECT_EQ(rec.named("Stream_Play")[0].volume, 100);
  EXPECT_EQ(rec.named("Channel_SlideTo")[0].volume, 100);
  EXPECT_EQ(titleText(), L"BGM ~ first");
  EXPECT_EQ(sound->titleCounter.limit, 300u);
  EXPECT_FLOAT_EQ(titleBox()->x, 500) << "outside a stage";
  const HCHANNEL first = sound->musicChannel;
  const HSTREAM firstStream = sound->musicStream;
  ASSERT_TRUE(real_->Channel_IsPlaying(first));

  rec.calls.clear();
  sound->setBackgroundMusicVolume(150);
  sound->setBackgroundMusicVolume(60);
  sound->setBackgroundMusic("second", false);
  for (int i = 0; i < 30; ++i) sound->update();
  // A second request while one is pending takes its place and waits again.
  sound->setBackgroundMusic("third.mp3", true);
  EXPECT_EQ(rec.ops(), (std::vector<std::string>{"Channel_SetVolume", "Channel_SetVolume", "Channel_SlideTo",
                                                 "Channel_SlideTo"}));
  EXPECT_EQ(rec.calls[0].volume, 100);
  EXPECT_EQ(rec.calls[1].volume, 60);
  EXPECT_EQ(rec.calls[2].handle, first);
  EXPECT_EQ(rec.calls[2].volume, 0);
  EXPECT_FLOAT_EQ(rec.calls[2].seconds, 1.0f);
  rec.calls.clear();
  for (int i = 1; i <= 60; ++i) sound->update();
  EXPECT_TRUE(rec.calls.empty()) << "nothing before the 61st update";
  sound->update();
  EXPECT_EQ(rec.ops(), (std::vector<std::string>{"Channel_Stop", "Stream_Free", "Stream_Load data/music/third.mp3",
                                                 "Stream_Play", "Channel_Resume"}));
  EXPECT_EQ(rec.calls[0].handle, first);
  EXPECT_EQ(rec.calls[1].handle, firstStream);
  EXPECT_EQ(rec.named("Stream_Play")[0].volume, 60);
  EXPECT_TRUE(rec.named("Stream_Play")[0].loop);
  EXPECT_FALSE(real_->Channel_IsPlaying(first));
  EXPECT_TRUE(real_->Channel_IsPlaying(sound->musicChannel));
  EXPECT_EQ(sound->pendingCounter, 0);
  EXPECT_EQ(titleText(), L"BGM - third");

  // The title stays 180 updates, then fades out.
  for (int i = 0; i < 180; ++i) sound->update();
  EXPECT_FALSE(titleBox()->fadeOutOn);
  sound->update();
  EXPECT_TRUE(titleBox()->fadeOutOn);
  EXPECT_EQ(sound->titleCounter.state, xFrameCounter::kOff);

  // A name without "." is shown whole, at the play field's edge in a stage.
  xSystem::getInstance()->setState(STATE_STG);
  sound->setBackgroundMusic("second", false);
  for (int i = 0; i < 61; ++i) sound->update();
  EXPECT_EQ(titleText(), L"BGM - second");
  EXPECT_FLOAT_EQ(titleBox()->x, 175);
  EXPECT_FALSE(rec.named("Stream_Play").back().loop);
}

TEST_F(SoundTest, EffectsVoicesAndTheBackgroundSound) {
  dir_.write("config.ini", "[System]\nSEVolume=30\nVoiceVolume=50\nBGSoundVolume=45\nEnableVoice=0\n");
  xSoundManager* sound = makeManager();
  RecordingHge& rec = *recorder_;
  EXPECT_FALSE(sound->voiceEnabled);

  sound->stopBGSound();  // before any background sound: a stop of the empty handle
  ASSERT_EQ(rec.calls.size(), 1u);
  EXPECT_EQ(rec.calls[0].handle, 0u);

  sound->addSoundEffect(5, "a.wav");
  const HEFFECT replaced = rec.calls.back().handle;
  sound->addSoundEffect(5, "b.wav");
  const HEFFECT effect5 = rec.calls.back().handle;
  sound->addSoundEffect(7, "a.wav");
  ASSERT_NE(replaced, 0u);
  EXPECT_EQ(rec.named("Effect_Free").size(), 1u);
  EXPECT_EQ(rec.named("Effect_Free")[0].handle, replaced) << "registering an id again frees its effect";

  rec.calls.clear();
  sound->playSoundEffect(5);
  sound->playSoundEffect(6);  // never registered
  sound->playSoundEffect(5, 70);
  ASSERT_EQ(rec.ops(), (std::vector<std::string>{"Effect_PlayEx", "Effect_PlayEx"}));
  EXPECT_EQ(rec.calls[0].handle, effect5);
  EXPECT_EQ(rec.calls[0].volume, 30);
  EXPECT_EQ(rec.calls[1].volume, 70);
  EXPECT_EQ(sound->effects.size(), 2u) << "an unknown id adds no entry";

  rec.calls.clear();
  sound->playVoice("v.wav");  // disabled: nothing
  sound->voiceEnabled = true;
  sound->playVoice("v.wav");
  sound->voiceEnabled = false;
  sound->playVoice("v.wav");  // frees the last voice, plays nothing
  EXPECT_EQ(rec.ops(), (std::vector<std::string>{"Effect_Load data/voice/v.wav", "Effect_PlayEx", "Effect_Free"}));
  EXPECT_EQ(rec.calls[1].volume, 50);
  EXPECT_EQ(sound->voiceEffect, 0u);

  rec.calls.clear();
  sound->playSoundEffectOut("a.wav");
  sound->setSoundEffectVolume(-5);
  sound->playSoundEffectOutFull("b.wav");
  EXPECT_EQ(rec.ops(), (std::vector<std::string>{"Effect_Load data/se/a.wav", "Effect_PlayEx", "Effect_Free",
                                                 "Effect_Load data/se/b.wav", "Effect_PlayEx"}));
  EXPECT_EQ(rec.calls[1].volume, 30);
  EXPECT_EQ(rec.calls[4].volume, 100);
  EXPECT_EQ(sound->seVolume, 0);

  rec.calls.clear();
  sound->setBGSound("wind.wav");
  EXPECT_EQ(rec.ops(), (std::vector<std::string>{"Effect_Load data/se/wind.wav", "Effect_PlayEx"}));
  EXPECT_TRUE(rec.calls[1].loop);
  EXPECT_EQ(rec.calls[1].volume, 45);
  EXPECT_TRUE(real_->Channel_IsPlaying(sound->bgSoundChannel));
  sound->stopBGSound();
  EXPECT_FALSE(real_->Channel_IsPlaying(sound->bgSoundChannel));

  // At exit every live effect is freed exactly once.
  rec.calls.clear();
  xSoundManager::destroy();
  sound_ = nullptr;
  std::map<HEFFECT, int> frees;
  for (const SoundCall& c : rec.named("Effect_Free")) ++frees[c.handle];
  EXPECT_EQ(frees.size(), 2u);
  EXPECT_EQ(frees[effect5], 1);
  EXPECT_EQ(frees.count(replaced), 0u);
  for (auto& [handle, n] : frees) EXPECT_EQ(n, 1) << handle;
}

TEST_F(SoundTest, VolumesAreSavedWhenTheManagerGoesAndOnAnImmediateExit) {
  dir_.write("config.ini", "[System]\nBGMVolume=55\n");
  xSoundManager* sound = makeManager();
  sound->setVoiceVolume(120);
  sound->setBGSoundVolume(15);
  xSoundManager::destroy();
  sound_ = nullptr;
  std::string config = dir_.read("config.ini");
  for (const char* line : {"BGMVolume=55", "SEVolume=20", "VoiceVolume=100", "BGSoundVolume=15"}) {
    EXPECT_NE(config.find(line), std::string::npos) << line << " in\n" << config;
  }

  dir_.write("config.ini", "");
  EXPECT_EXIT(
      {
        xSoundManager::getInstance()->setSoundEffectVolume(77);
        core::exitAtOnce();
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_NE(dir_.read("config.ini").find("SEVolume=77"), std::string::npos) << dir_.read("config.ini");
}

}  // namespace
