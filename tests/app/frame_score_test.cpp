// The score's and the items' places in start-up, the frame and render order, the retry, the new game and the stage set-up, with the game's own data.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/game_loop.h"
#include "base/xLogFile.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "engine/headless/headless.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "gfx/xFloatingText.h"
#include "script/manager/xScriptManager.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/mBulletManager.h"
#include "stg/score_file.h"
#include "stg/xBackgroundManager.h"
#include "stg/xBoss.h"
#include "stg/xItemManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "stg/xSourceManager.h"
#include "tests/support/temp_dir.h"

namespace {

class ScoreWiringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::options().backend = engine::Backend::Headless;
    hge = hgeCreate(HGE_VERSION);
    ASSERT_TRUE(hge->System_Initiate());
    hge->System_SetState(HGE_INIFILE, "config.ini");
    reset();
    std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data", "data");
    std::filesystem::copy_file(VELMORA_SOURCE_DIR "/data/initialize.vkscript", "initialize.vkscript");
    ASSERT_EQ(stg::writeScoreFile("score.dat", 3000000000u), stg::ScoreWriteStatus::Ok);
    engine::clearPathCache();
    GameStartUp();
    system = xSystem::getInstance();
    score = xScoreManager::getInstance();
    items = xItemManager::getInstance();
  }
  void TearDown() override {
    reset();
    hge->System_Shutdown();
    hge->Release();
    hge = nullptr;
  }
  static void reset() {
    xItemManager::resetForTests();
    xScoreManager::resetForTests();
    xPlayer::resetForTests();
    xBoss::resetForTests();
    xSourceManager::resetForTests();
    mBulletManager::resetForTests();
    xFloatingTextManager::resetForTests();
    xSoundManager::destroy();
    xBackgroundManager::resetForTests();
    xSystem::resetForTests();
    xScriptManager::resetForTests();
    xHostAPIManager::resetForTests();
    xLogFile::resetForTests();
  }
  // Quads of one drawn frame cut from [tex].
  static long drawnFrom(HTEXTURE tex) {
    RenderFunc();
    const auto& quads = engine::headless::recordedQuads();
    return std::count_if(quads.begin(), quads.end(), [&](const hgeQuad& q) { return q.tex == tex; });
  }

  ScopedTempDir dir_;
  xSystem* system = nullptr;
  xScoreManager* score = nullptr;
  xItemManager* items = nullptr;
};

TEST_F(ScoreWiringTest, StartUpLoadsTheHighScoreARetryRestoresTheStageStartAndANewGameResetsTheRun) {
  EXPECT_EQ(score->highScore, 3000000000u);
  EXPECT_TRUE(items->texture) << "the demo's items.png";
  EXPECT_NE(score->board->sprite, nullptr) << "the demo's UI/scoreboard.png";

  score->score = 500;
  score->stage = 2;
  score->saveStageStart();
  score->addHit(7);
  system->hooks.retryStage();
  EXPECT_EQ(score->score, 500u);
  EXPECT_EQ(score->stageHits, 0u);
  EXPECT_EQ(score->comboHits, 0u);

  score->addHit(7);
  system->startNewGame();
  EXPECT_EQ(score->score, 0u);
  EXPECT_EQ(score->stage, 1);
  EXPECT_EQ(score->highScore, 3000000000u);
}

TEST_F(ScoreWiringTest, AStageFrameMovesAndCollectsItemsAndTheBoardClosesTheStage) {
  system->setState(STATE_STG);
  xPlayer* player = xPlayer::getInstance();
  player->create();
  player->sprite->setPos(400, 500);
  const int lives = player->lives;
  items->addItem(4, 400, 300);
  items->addItem(3, 400, 502);
  score->addHit(1);
  FrameFunc();
  EXPECT_NEAR(items->items.front().y, 298.05f, 1e-4);
  EXPECT_EQ(player->lives, lives + 1);
  EXPECT_EQ(score->comboCounter.count, 1u) << "the combo window ran one frame";
  EXPECT_EQ(drawnFrom(items->texture.get()), 2);
  system->setState(STATE_AVG_IN_STG);
  FrameFunc();
  EXPECT_NEAR(items->items.front().y, 298.05f, 1e-4) << "items stand still under a scene";
  system->setState(STATE_STG);

  score->stageClear();
  for (int frame = 1; frame <= 100; ++frame) FrameFunc();
  EXPECT_EQ(system->getState(), STATE_SCOREBOARD);
  EXPECT_EQ(drawnFrom(score->board->sprite->GetTexture()), 2) << "the board is drawn twice in its state";
  for (int frame = 101; frame <= xScoreManager::kBoardEndFrame; ++frame) FrameFunc();
  EXPECT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(score->stage, 2);

  // The next stage's set-up takes the items away.
  system->changeState(STATE_STG, true, "");
  for (int i = 0; i < xSystem::kSwitchFrame; ++i) system->update();
  EXPECT_TRUE(items->items.empty());
}

}  // namespace
