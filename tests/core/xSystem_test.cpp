// The state machine's faded switches, the error box's return to the title, and the configuration items.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/xLogFile.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "core/xTimer.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "tests/core/sound_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class SystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::options().backend = engine::Backend::Headless;
    hge_ = hgeCreate(HGE_VERSION);
    ASSERT_TRUE(hge_->System_Initiate());
    xLogFile::resetForTests();
    engine::recordedMessageBoxes().clear();
  }
  void TearDown() override {
    xSystem::resetForTests();
    xLogFile::resetForTests();
    hge_->System_Shutdown();
    hge_->Release();
  }
  xSystem* makeSystem() {
    xSystem* system = xSystem::getInstance();
    system->setupTitleBackground();
    engine::recordedMessageBoxes().clear();  // the logo's, with no data folder here
    return system;
  }
  // Runs updates until the faded switch is over.
  static void finishSwitch(xSystem* system) {
    for (int i = 0; i < 200 && system->transitionCounter != xSystem::kNoTransition; ++i) system->update();
  }

  ScopedTempDir dir_;
  HGE* hge_ = nullptr;
};

TEST_F(SystemTest, StartValues) {
  xSystem* system = xSystem::getInstance();
  EXPECT_EQ(system->getState(), GameState(-1));
  EXPECT_EQ(system->previousState, STATE_TITLE);
  EXPECT_EQ(system->transitionCounter, -1);
  EXPECT_EQ(system->titlePage, 0);
  EXPECT_EQ(system->difficulty, 0);
  EXPECT_EQ(system->mainScriptGroup, -1);
  EXPECT_EQ(system->stageScriptName, "");
  EXPECT_EQ(system->savedMusicVolume, 100);
  system->setupTitleBackground();
  EXPECT_EQ(system->getState(), STATE_TITLE);
}

TEST_F(SystemTest, FadedSwitchTakesEffectInTheSixtiethUpdate) {
  xSystem* system = makeSystem();
  system->changeState(STATE_AVG_IN_STG, true, "");
  for (int frame = 1; frame < 60; ++frame) {
    system->update();
    ASSERT_EQ(system->getState(), STATE_TITLE) << frame;
  }
  // 59 steps of 1/60 from 0.01.
  EXPECT_NEAR(system->blackCover->color.a, 0.01f + 59.0f / 60.0f, 1e-4);
  system->update();
  EXPECT_EQ(system->getState(), STATE_AVG_IN_STG);
  EXPECT_EQ(system->transitionCounter, -1);
  for (int frame = 0; frame < 61; ++frame) system->update();
  EXPECT_FLOAT_EQ(system->blackCover->color.a, 0.0f);
}

TEST_F(SystemTest, ANewFadedRequestRestartsTheCounter) {
  xSystem* system = makeSystem();
  system->changeState(STATE_STG, true, "");
  for (int i = 0; i < 30; ++i) system->update();
  system->changeState(STATE_AVG_IN_STG, true, "");
  for (int i = 0; i < 59; ++i) system->update();
  EXPECT_EQ(system->getState(), STATE_TITLE);
  system->update();
  EXPECT_EQ(system->getState(), STATE_AVG_IN_STG);
}

TEST_F(SystemTest, SwitchWithoutFadeIsImmediate) {
  xSystem* system = makeSystem();
  system->changeState(STATE_GAMEOVER, false, "x");
  EXPECT_EQ(system->getState(), STATE_GAMEOVER);
  EXPECT_EQ(system->scriptName, "x");
  EXPECT_EQ(system->transitionCounter, -1);
  // The dark cover rises by 0.02 a frame from 0.01, overshoots, and lands on 0.6.
  for (int i = 0; i < 30; ++i) system->update();
  EXPECT_NE(system->darkCover->color.a, 0.6f);
  system->update();
  EXPECT_FLOAT_EQ(system->darkCover->color.a, 0.6f);
}

TEST_F(SystemTest, ErrorBoxFadesBackToTheTitleOnce) {
  xSystem* system = makeSystem();
  system->changeState(STATE_STG, false, "");
  ShowErrorBox("first %d", 1);
  EXPECT_EQ(system->pendingState, STATE_TITLE);
  EXPECT_EQ(system->transitionCounter, 0);
  for (int i = 0; i < 10; ++i) {
    system->update();
    ShowErrorBox("again %d", i);
  }
  // Later errors are logged, and do not restart the fade.
  EXPECT_EQ(engine::recordedMessageBoxes().size(), 1u);
  EXPECT_EQ(system->transitionCounter, 10);
  EXPECT_NE(dir_.read("log.txt").find("again 9"), std::string::npos);
  finishSwitch(system);
  EXPECT_EQ(system->getState(), STATE_TITLE);
  ShowErrorBox("after");
  EXPECT_EQ(engine::recordedMessageBoxes().size(), 2u);
}

TEST_F(SystemTest, ConfigDefaultsWithoutAFile) {
  xSystem* system = makeSystem();
  EXPECT_EQ(system->getConfigInt(CFG_KEY_SHOOT), 90);
  EXPECT_EQ(system->getConfigInt(CFG_KEY_SLOW), 16);
  EXPECT_EQ(system->getConfigInt(CFG_BGM_VOLUME), 100);
  EXPECT_EQ(system->getConfigInt(CFG_SE_VOLUME), 20);
  EXPECT_EQ(system->getConfigInt(ConfigItem(8)), 0);
  EXPECT_EQ(system->getConfigInt(ConfigItem(43)), 0);
  EXPECT_EQ(system->getConfigString(CFG_STR_DEFINE_FILE), "defines.txt");
  EXPECT_EQ(system->getConfigString(ConfigStringItem(4)), "");
  EXPECT_FLOAT_EQ(system->stgRect.x1, 175);
  EXPECT_FLOAT_EQ(system->stgRect.x2, 625);
  EXPECT_FLOAT_EQ(system->windowRect.y2, 600);
}

TEST_F(SystemTest, ConfigReadsEveryTimeAndWritesKeepOtherLines) {
  dir_.write("config.ini",
             "; settings\n[system]\nbgmvolume=55\nUnknown=1\ninitScript=boot.vkscript\n[Key]\nShoot=65\n");
  xSystem* system = makeSystem();
  EXPECT_EQ(system->getConfigInt(CFG_BGM_VOLUME), 55);
  EXPECT_EQ(system->getConfigString(CFG_STR_INIT_SCRIPT), "boot.vkscript");
  EXPECT_EQ(system->getIniString("System", "InitScript", "x"), "boot.vkscript");
  system->setConfigInt(CFG_KEY_BOMB, 67);
  system->setConfigInt(ConfigItem(8), 5);
  std::string text = dir_.read("config.ini");
  EXPECT_NE(text.find("; settings"), std::string::npos);
  EXPECT_NE(text.find("Unknown=1"), std::string::npos);
  EXPECT_NE(text.find("Shoot=65"), std::string::npos);
  EXPECT_EQ(system->getConfigInt(CFG_KEY_BOMB), 67);
  dir_.write("config.ini", "[Key]\nBomb=70\n");
  EXPECT_EQ(system->getConfigInt(CFG_KEY_BOMB), 70);
}

// The sound manager's calls recorded while the state machine sets states up.
class SystemSoundTest : public SystemTest {
 protected:
  void TearDown() override {
    xSoundManager::destroy();
    xTimerManager::resetForTests();
    SystemTest::TearDown();
  }
};

TEST_F(SystemSoundTest, SetUpsMoveTheMusicStopTheBackgroundSoundAndClearTimers) {
  xSoundManager* sound = xSoundManager::getInstance();
  ScopedRecorder recorder(sound->engine);
  RecordingHge& rec = *recorder;
  xSystem* system = makeSystem();
  sound->bgmVolume = 70;
  system->changeState(STATE_GAMEOVER, false, "");
  EXPECT_EQ(system->savedMusicVolume, 70);
  ASSERT_EQ(rec.ops(), std::vector<std::string>{"Channel_SlideTo"});
  EXPECT_EQ(rec.calls[0].volume, 3);
  EXPECT_FLOAT_EQ(rec.calls[0].seconds, 1.0f);

  rec.calls.clear();
  xTimerManager::getInstance()->add(std::make_unique<xTimer>());
  system->changeState(STATE_STG, true, "");
  finishSwitch(system);
  EXPECT_EQ(xTimerManager::getInstance()->size(), 0u);
  EXPECT_EQ(rec.ops(), std::vector<std::string>{"Channel_Stop"}) << "the background sound";

  rec.calls.clear();
  system->startNewGame();
  ASSERT_FALSE(rec.calls.empty());
  EXPECT_EQ(rec.ops()[0], "Channel_SlideTo");
  EXPECT_EQ(rec.calls[0].volume, 0);

  rec.calls.clear();
  system->changeState(STATE_TITLE, true, "");
  finishSwitch(system);
  std::vector<std::string> ops = rec.ops();
  EXPECT_NE(std::find(ops.begin(), ops.end(), "Stream_Load data/music/Ka1-d.mp3"), ops.end());
  EXPECT_EQ(ops.back(), "Channel_Stop");

  rec.calls.clear();
  system->changeState(STATE_AVG, true, "scene.txt");
  finishSwitch(system);
  ASSERT_EQ(rec.named("Channel_SlideTo").size(), 1u);
  EXPECT_EQ(rec.named("Channel_SlideTo")[0].volume, 0);
}

}  // namespace
