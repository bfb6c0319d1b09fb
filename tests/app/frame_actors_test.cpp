// A stage through the frame and render callbacks: the player, the enemy waves and the two-attack boss in their places.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/platform.h"
#include "stg/mBulletManager.h"
#include "stg/xBoss.h"
#include "stg/xPlayer.h"
#include "stg/xSourceManager.h"
#include "tests/app/app_fixture.h"

namespace {

class ActorWiringTest : public app::test::GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    // The ship stands still under the enemies' fire: it must not die.
    hge->Ini_SetInt("STG", "ILoveRuvo", 1);
    linkGameData();
    for (const char* script : {"actors_stage.vkscript", "actors_attack1.vkscript", "actors_attack2.vkscript"}) {
      std::filesystem::copy_file(std::string(VELMORA_TEST_DATA "/stg/") + script, script);
    }
    startGame();
  }
};

TEST_F(ActorWiringTest, AStagePlaysItsWavesAndATwoAttackBoss) {
  system->changeState(STATE_STG, true, "actors_stage.vkscript");
  frames(60);
  ASSERT_EQ(system->getState(), STATE_STG);
  xPlayer* player = xPlayer::getInstance();
  EXPECT_TRUE(player->inPlay());
  frames(200);
  EXPECT_FLOAT_EQ(player->getY(), 520);
  xSourceManager* enemies = xSourceManager::getInstance();
  ASSERT_GT(enemies->sourceCount(), 0u);
  EXPECT_GT(quadsOf(enemies->sources.back()->sprite->sprite->sprite->GetTexture()), 0);
  EXPECT_GT(quadsOf(player->sprite->sprite->sprite->GetTexture()), 0);
  EXPECT_GT(gBulletManager->bulletCount(), 0u);  // the enemies shoot

  // The boss comes, starts its first attack and shoots through its own script.
  xBoss* boss = xBoss::getInstance();
  frames(1400 - 260);  // the stage makes it at its 1200th frame and starts it 70 later
  ASSERT_TRUE(boss->isActive());
  EXPECT_EQ(boss->attackIndex, 0);
  EXPECT_GT(quadsOf(boss->sprite->sprite->sprite->GetTexture()), 0);
  boss->hit(1000);
  EXPECT_EQ(boss->attackIndex, 1);
  EXPECT_TRUE(boss->magicCircleOn);  // set by the stage's "onBossLossLife"
  frames(31);
  EXPECT_FLOAT_EQ(boss->currentLife(), 400);

  // A scene over the stage: the boss and the player are updated, the enemies are not.
  system->changeState(STATE_AVG_IN_STG, false, "");
  float enemyY = enemies->sourceCount() ? enemies->sources.back()->y : 0;
  std::size_t bullets = gBulletManager->bulletCount();
  frames(8);
  if (enemies->sourceCount()) {
    EXPECT_FLOAT_EQ(enemies->sources.back()->y, enemyY);
  }
  EXPECT_GT(gBulletManager->bulletCount(), bullets);  // the spell card keeps shooting
  system->changeState(STATE_STG, false, "");
  // The spell card's bullets burst through a function bound in the boss's own script.
  frames(150);
  int burst = 0;  // rice of colour 6, made only by the bound function
  for (std::size_t i = 0; i < gBulletManager->bulletCount(); ++i) {
    const mBulletRect& r = gBulletManager->bulletAt(i)->texRect;
    burst += r.x == 96 && r.y == 16;
  }
  EXPECT_GT(burst, 0);

  boss->hit(1000);
  EXPECT_TRUE(boss->dying);
  frames(6 * 5 + 1);
  EXPECT_FALSE(boss->exists());
  EXPECT_TRUE(engine::recordedMessageBoxes().empty());
}

}  // namespace
