// The enemy bullets' places in start-up, the frame and render order, and the state machine's switches.
#include <gtest/gtest.h>

#include <memory>

#include "stg/mBulletManager.h"
#include "tests/app/app_fixture.h"

namespace {

using BulletWiringTest = app::test::StartedGameTest;

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

bool drawn(const mBullet* b) { return BulletWiringTest::renderQuadsOf(b->sprite->sprite->GetTexture()) > 0; }

TEST_F(BulletWiringTest, BulletsMoveOnlyInAStageAreDrawnUnderPausesAndGoWithTheSetUps) {
  ASSERT_NE(gBulletManager, nullptr);  // made by host registration

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
  update(xSystem::kSwitchFrame - 1);
  EXPECT_EQ(gBulletManager->bulletCount(), 0u);
  EXPECT_TRUE(gBulletManager->active);

  shoot();
  switchTo(STATE_TITLE);
  EXPECT_EQ(gBulletManager->bulletCount(), 0u);
  system->startNewGame();
  EXPECT_TRUE(gBulletManager->active);
}

}  // namespace
