// The enemy bullets' places in start-up, the frame and render order, and the state machine's switches.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/game_loop.h"
#include "base/xLogFile.h"
#include "core/xSystem.h"
#include "engine/headless/headless.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "script/manager/xScriptManager.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/mBulletManager.h"
#include "stg/xBackgroundManager.h"
#include "tests/support/temp_dir.h"

namespace {

class BulletWiringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::options().backend = engine::Backend::Headless;
    hge_ = hgeCreate(HGE_VERSION);
    hge = hge_;  // the entry point's, which the frame callback reads
    ASSERT_TRUE(hge_->System_Initiate());
    hge_->System_SetState(HGE_INIFILE, "config.ini");
    reset();
    std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data", "data");
    std::filesystem::copy_file(VELMORA_SOURCE_DIR "/data/initialize.vkscript", "initialize.vkscript");
    engine::clearPathCache();
    GameStartUp();
    system_ = xSystem::getInstance();
  }
  void TearDown() override {
    reset();
    hge_->System_Shutdown();
    hge_->Release();
    hge = nullptr;
  }
  static void reset() {
    mBulletManager::resetForTests();
    xBackgroundManager::resetForTests();
    xSystem::resetForTests();
    xScriptManager::resetForTests();
    xHostAPIManager::resetForTests();
    xLogFile::resetForTests();
    engine::recordedMessageBoxes().clear();
  }
  // A bullet of the demo sheet falling one pixel a frame from (400, 100).
  static mBullet* shoot() {
    mBulletManager::setTexture("bullets.png");
    gBulletManager->setScreenRect(175, 0, 625, 600);
    auto b = std::make_unique<mBullet>();
    b->texRect = {0, 0, 16, 16};
    b->x = 400;
    b->y = 100;
    b->movement.vy = 1;
    return gBulletManager->addBullet(std::move(b));
  }
  bool drawsBullet(const mBullet* b) {
    RenderFunc();
    HTEXTURE sheet = b->sprite->sprite->GetTexture();
    const auto& quads = engine::headless::recordedQuads();
    return std::any_of(quads.begin(), quads.end(), [&](const hgeQuad& q) { return q.tex == sheet; });
  }

  ScopedTempDir dir_;
  HGE* hge_ = nullptr;
  xSystem* system_ = nullptr;
};

TEST_F(BulletWiringTest, EnemyBulletsMoveOnlyInAStageButAreDrawnUnderThePauseAndGameOver) {
  ASSERT_NE(gBulletManager, nullptr);  // made by host registration
  mBullet* b = shoot();
  system_->setState(STATE_STG);
  FrameFunc();
  EXPECT_FLOAT_EQ(b->y, 101);
  EXPECT_TRUE(drawsBullet(b));
  for (GameState still : {STATE_PAUSE, STATE_GAMEOVER, STATE_AVG_IN_STG}) {
    system_->setState(still);
    system_->previousState = STATE_STG;
    FrameFunc();
    EXPECT_FLOAT_EQ(b->y, 101) << still;
    EXPECT_TRUE(drawsBullet(b)) << still;
  }
  system_->setState(STATE_TITLE);
  EXPECT_FALSE(drawsBullet(b));
}

TEST_F(BulletWiringTest, FadedSwitchesHoldTheBulletsAndTheSetUpsKillThem) {
  mBullet* b = shoot();
  system_->setState(STATE_STG);
  system_->changeState(STATE_STG, true, "");
  EXPECT_FALSE(gBulletManager->active);
  FrameFunc();
  EXPECT_FLOAT_EQ(b->y, 100);  // the old stage runs on under the cover, its bullets still
  for (int i = 1; i < xSystem::kSwitchFrame; ++i) FrameFunc();
  EXPECT_EQ(gBulletManager->bulletCount(), 0u);  // the stage set-up killed them...
  EXPECT_TRUE(gBulletManager->active);           // ...and woke the manager

  shoot();
  system_->changeState(STATE_TITLE, true, "");
  for (int i = 0; i < xSystem::kSwitchFrame; ++i) system_->update();
  EXPECT_EQ(gBulletManager->bulletCount(), 0u);
  EXPECT_FALSE(gBulletManager->active);
  system_->startNewGame();
  EXPECT_TRUE(gBulletManager->active);
}

}  // namespace
