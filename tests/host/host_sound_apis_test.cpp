// The sound host functions called from a compiled script: the engine calls they make, the volumes, bad groups.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/host_registration.h"
#include "tests/core/sound_fixture.h"
#include "tests/engine/audio_fixture.h"
#include "tests/stg/actor_fixture.h"

namespace {

using script::GroupId;

// Every name, in registration order.
constexpr const char* kDeclarations = R"(
host htSetBackgroundMusic(f); host htSetBackgroundMusicEx(f, l); host htGetCurrBackgroundMusicLength();
host htStopBackgroundMusic(); host htAddSoundEffect(i, f); host htPlaySoundEffect(i); host htPlaySoundEffectEx(i, v);
host htPlaySoundEffectOut(f); host htSetSoundEffectVolume(v); host htSetBackgroundMusicVolume(v);
host htSetVoiceVolume(v); host htSetBGSoundVolume(v); host htPlayVoice(f); host htSetBGSound(f); host htStopBGSound();
)";

constexpr const char* kScript = R"(
func music() { htSetBackgroundMusic("one.mp3"); }
func once() { htSetBackgroundMusicEx("two.mp3", 0); }
func looped() { htSetBackgroundMusicEx("one.mp3", 2); }
func length() { return htGetCurrBackgroundMusicLength(); }
func stopMusic() { htStopBackgroundMusic(); }
func effects() {
  htAddSoundEffect(3, "hit.wav"); htAddSoundEffect(3, "shoot.wav");
  htPlaySoundEffect(3); htPlaySoundEffect(4); htPlaySoundEffectEx(3, 30); htPlaySoundEffectEx(4, 30);
  htPlaySoundEffectOut("a.wav");
}
func volumes() { htSetBackgroundMusicVolume(150); htSetSoundEffectVolume(-5); htSetVoiceVolume(77); htSetBGSoundVolume(101); }
func quieter() { htSetBackgroundMusicVolume(-5); }
func voice() { htPlayVoice("v.wav"); }
func ambience() { htSetBGSound("bird.wav"); }
func stopAmbience() { htStopBGSound(); }
)";

// The script focused; the sound manager's engine calls recorded.
class HostSoundTest : public stg::test::ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    std::filesystem::create_directories("data/music");
    std::filesystem::copy_file(audio_test::mp3FixturePath(), "data/music/one.mp3");
    std::filesystem::copy_file(audio_test::mp3FixturePath(), "data/music/two.mp3");
    dir_.write("data/voice/v.wav", audio_test::makeWav(0.5));
    engine::clearPathCache();
    RegisterHostSoundAPIs();
    focusScript(std::string(kDeclarations) + kScript);
    sound_ = xSoundManager::getInstance();
    real_ = sound_->engine;
    rec_ = std::make_unique<RecordingHge>(real_);
    sound_->engine = rec_.get();
  }
  void TearDown() override {
    if (xSoundManager::existing() == sound_) sound_->engine = real_;
    ActorTest::TearDown();
  }
  const vm_value& call(const char* func) {
    xScriptManager* scripts = xScriptManager::getInstance();
    EXPECT_TRUE(scripts->callFunc(func, scripts->focusedGroup(), scripts->focusedThread())) << func;
    return scripts->getScriptGroup(scripts->focusedGroup())->getThread(scripts->focusedThread())->retval();
  }
  void updates(int n) {
    for (int i = 0; i < n; ++i) sound_->update();
  }

  xSoundManager* sound_ = nullptr;
  HGE* real_ = nullptr;
  std::unique_ptr<RecordingHge> rec_;
};

TEST_F(HostSoundTest, MusicEffectsVoicesAmbienceAndVolumes) {
  call("music");
  call("once");
  updates(xSoundManager::kMusicChangeFrames);
  call("looped");
  updates(xSoundManager::kMusicChangeFrames);
  std::vector<SoundCall> pieces = rec_->named("Stream_Play");
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(rec_->named("Stream_Load")[1].file, "data/music/two.mp3");
  EXPECT_TRUE(pieces[0].loop);
  EXPECT_FALSE(pieces[1].loop);  // 0 plays once, any count from 1 loops
  EXPECT_TRUE(pieces[2].loop);
  EXPECT_NEAR(call("length").floatValue, 1.0f, 0.05f);
  const HCHANNEL playing = sound_->musicChannel;
  call("stopMusic");
  EXPECT_FALSE(real_->Channel_IsPlaying(playing));

  // Registering an id again frees its first effect; id 4 plays nothing; the
  // Ex volume holds whatever the effect volume is.
  rec_->calls.clear();
  call("effects");
  std::vector<SoundCall> loads = rec_->named("Effect_Load");
  ASSERT_EQ(loads.size(), 3u);
  EXPECT_EQ(rec_->named("Effect_Free")[0].handle, loads[0].handle);
  std::vector<SoundCall> plays = rec_->named("Effect_PlayEx");
  ASSERT_EQ(plays.size(), 3u);
  EXPECT_EQ(plays[0].handle, loads[1].handle);
  EXPECT_EQ(plays[0].volume, sound_->seVolume);
  EXPECT_EQ(plays[1].handle, loads[1].handle);
  EXPECT_EQ(plays[1].volume, 30);
  EXPECT_EQ(loads[2].file, "data/se/a.wav");

  rec_->calls.clear();
  call("volumes");
  call("quieter");
  EXPECT_EQ(sound_->seVolume, 0);
  EXPECT_EQ(sound_->voiceVolume, 77);
  EXPECT_EQ(sound_->bgSoundVolume, 100);
  EXPECT_EQ(sound_->bgmVolume, 0);
  std::vector<SoundCall> applied = rec_->named("Channel_SetVolume");
  ASSERT_EQ(applied.size(), 2u);
  EXPECT_EQ(applied[0].volume, 100);  // 150 held to 100, applied at once
  EXPECT_EQ(applied[1].volume, 0);

  rec_->calls.clear();
  sound_->voiceEnabled = true;
  call("voice");
  call("ambience");
  EXPECT_EQ(rec_->ops(), (std::vector<std::string>{"Effect_Load data/voice/v.wav", "Effect_PlayEx",
                                                   "Effect_Load data/se/bird.wav", "Effect_PlayEx"}));
  EXPECT_EQ(rec_->calls[1].volume, 77);
  EXPECT_TRUE(rec_->calls[3].loop);
  call("stopAmbience");
  EXPECT_FALSE(real_->Channel_IsPlaying(sound_->bgSoundChannel));
}

TEST_F(HostSoundTest, ABadGroupIsLoggedByNameAndPlaysNothing) {
  call("music");
  call("ambience");
  rec_->calls.clear();
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  const script::ThreadIndex thread = xScriptManager::getInstance()->focusedThread();
  std::string text = kDeclarations;
  for (std::size_t at = text.find("host "); at != std::string::npos; at = text.find("host ", at + 1)) {
    std::string name = text.substr(at + 5, text.find('(', at) - at - 5);
    if (name == "htStopBackgroundMusic" || name == "htStopBGSound") continue;  // below
    EXPECT_EQ(registry->callFunc(name, GroupId{9}, thread), 1) << name;
  }
  EXPECT_TRUE(rec_->calls.empty());
  EXPECT_EQ(sound_->effects.size(), 0u);
  EXPECT_EQ(sound_->bgmVolume, 100);
  const std::string log = this->log();
  for (const char* logName :
       {"host_SetBackgroundMusic", "host_SetBackgroundMusicEx", "host_GetCurrBackgroundMusicLength",
        "host_AddSoundEffect", "host_PlaySoundEffect", "host_PlaySoundEffectEx", "host_PlaySoundEffectOut",
        "host_SetSoundEffectVolume", "host_SetBackgroundMusicVolume", "host_SetVoiceVolume", "host_SetBGSoundVolume",
        "host_PlayVoice", "host_PlayBGSound"}) {
    EXPECT_NE(log.find(std::string(logName) + ": Error loading script manager 9\n"), std::string::npos) << logName;
  }

  // The two stops take no group.
  registry->callFunc("htStopBackgroundMusic", GroupId{9}, thread);
  registry->callFunc("htStopBGSound", GroupId{9}, thread);
  EXPECT_FALSE(real_->Channel_IsPlaying(sound_->musicChannel));
  EXPECT_FALSE(real_->Channel_IsPlaying(sound_->bgSoundChannel));
}

}  // namespace
