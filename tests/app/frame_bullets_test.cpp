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

void reset() {
  mBulletManager::resetForTests();
  xBackgroundManager::resetForTests();
  xSystem::resetForTests();
  xScriptManager::resetForTests();
  xHostAPIManager::resetForTests();
  xLogFile::resetForTests();
}

// A bullet of the demo sheet falling one pixel a frame from (400, 100).
mBullet* shoot() {
  mBulletManager::setTexture("bullets.png");
  gBulletManager->setScreenRect(175, 0, 625, 600);
  auto b = std::make_unique<mBullet>();
  b->texRect = {0, 0, 16, 16};
  b->x = 400;
  b->y = 100;
  b->movement.vy = 1;
  return gBulletManager->addBullet(std::move(b));
}

bool drawn(const mBullet* b) {
  RenderFunc();
  const auto& quads = engine::headless::recordedQuads();
  HTEXTURE sheet = b->sprite->sprite->GetTexture();
  return std::any_of(quads.begin(), quads.end(), [&](const hgeQuad& q) { return q.tex == sheet; });
}

TEST(BulletWiringTest, BulletsMoveOnlyInAStageAreDrawnUnderPausesAndGoWithTheSetUps) {
  ScopedTempDir dir;
  engine::options().backend = engine::Backend::Headless;
  hge = hgeCreate(HGE_VERSION);  // the entry point's, which the callbacks read
  ASSERT_TRUE(hge->System_Initiate());
  reset();
  std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data", "data");
  std::filesystem::copy_file(VELMORA_SOURCE_DIR "/data/initialize.vkscript", "initialize.vkscript");
  engine::clearPathCache();
  GameStartUp();
  ASSERT_NE(gBulletManager, nullptr);  // made by host registration
  xSystem* system = xSystem::getInstance();

  mBullet* b = shoot();
  system->setState(STATE_STG);
  FrameFunc();
  EXPECT_FLOAT_EQ(b->y, 101);
  EXPECT_TRUE(drawn(b));
  system->previousState = STATE_STG;
  for (GameState still : {STATE_PAUSE, STATE_GAMEOVER, STATE_AVG_IN_STG}) {
    system->setState(still);
    FrameFunc();
    EXPECT_FLOAT_EQ(b->y, 101) << still;
    EXPECT_TRUE(drawn(b)) << still;
  }

  // A faded switch holds the bullets under the cover; the stage set-up kills them and wakes the manager.
  system->setState(STATE_STG);
  system->changeState(STATE_STG, true, "");
  EXPECT_FALSE(gBulletManager->active);
  FrameFunc();
  EXPECT_FLOAT_EQ(b->y, 101);
  for (int i = 1; i < xSystem::kSwitchFrame; ++i) FrameFunc();
  EXPECT_EQ(gBulletManager->bulletCount(), 0u);
  EXPECT_TRUE(gBulletManager->active);

  shoot();
  system->changeState(STATE_TITLE, true, "");
  for (int i = 0; i < xSystem::kSwitchFrame; ++i) system->update();
  EXPECT_EQ(gBulletManager->bulletCount(), 0u);
  system->startNewGame();
  EXPECT_TRUE(gBulletManager->active);

  reset();
  hge->System_Shutdown();
  hge->Release();
  hge = nullptr;
}

}  // namespace
