// The player under scripted keys: moves with the slow key, volleys on their cadence, bombs, the death window, respawn and game over.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/headless/headless.h"
#include "stg/mPlayerBullet.h"
#include "tests/core/sound_fixture.h"
#include "tests/stg/actor_fixture.h"

namespace {

using engine::headless::keyDown;
using engine::headless::keyUp;
using stg::test::ActorTest;
using stg::test::records;

constexpr int kShoot = 'Z', kBomb = 'X', kSlow = HGEK_SHIFT;

constexpr const char* kStage = R"(
host htRecord(tag, a, b, c, d);
func onPlayerLossLife() { htRecord("loss", 0, 0, 0, 0); }
func onPlayerDie() { htRecord("die", 0, 0, 0, 0); }
)";

class PlayerTest : public ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    focusScript(kStage);
    xSystem::getInstance()->setState(STATE_STG);
    sound_ = xSoundManager::getInstance();
    sound_->addSoundEffect(10003, "shoot.wav");
    sound_->addSoundEffect(10005, "flame.wav");
    realSound_ = sound_->engine;
    recorder_ = std::make_unique<RecordingHge>(realSound_);
    sound_->engine = recorder_.get();
    player_ = xPlayer::getInstance();
  }
  void TearDown() override {
    sound_->engine = realSound_;
    ActorTest::TearDown();
  }
  // The frame's work: input, then the player.
  void run(long frames, const std::function<void(long)>& extra = nullptr) {
    runFrames(frames, [&](long frame) {
      xInputManager::getInstance()->update();
      player_->update();
      if (extra) extra(frame);
    });
  }
  int played(int id) const {
    int n = 0;
    for (const SoundCall& c : recorder_->named("Effect_PlayEx")) n += c.handle == sound_->effects[id];
    return n;
  }
  std::vector<mBullet*> shots() const {
    std::vector<mBullet*> out;
    for (std::size_t i = 0; i < player_->shots->bulletCount(); ++i) out.push_back(player_->shots->bulletAt(i));
    return out;
  }

  xPlayer* player_ = nullptr;
  xSoundManager* sound_ = nullptr;
  HGE* realSound_ = nullptr;
  std::unique_ptr<RecordingHge> recorder_;
};

TEST_F(PlayerTest, EntersMovesWithTheSlowKeyAndFiresOnItsCadence) {
  EXPECT_FLOAT_EQ(player_->getX(), 400);  // no ship before the stage makes it
  EXPECT_FLOAT_EQ(player_->getY(), 300);
  player_->create();
  run(40);
  EXPECT_FLOAT_EQ(player_->getX(), 400);
  EXPECT_FLOAT_EQ(player_->getY(), 520);

  keyDown(40, HGEK_RIGHT);
  keyDown(50, HGEK_UP);
  keyDown(50, kSlow);
  keyUp(60, HGEK_RIGHT);
  keyUp(60, HGEK_UP);
  keyUp(60, kSlow);
  run(10);
  EXPECT_FLOAT_EQ(player_->getX(), 450);
  run(10);
  EXPECT_NEAR(player_->getX(), 450 + 14.142135f, 1e-3);
  EXPECT_NEAR(player_->getY(), 520 - 14.142135f, 1e-3);
  EXPECT_TRUE(player_->slowMode);

  // Power 4: seven fan shots over 50 degrees and the centre shot, every
  // second frame, with the sound every sixth.
  player_->power = 4;
  keyDown(60, kShoot);
  run(1);
  ASSERT_EQ(shots().size(), 8u);
  EXPECT_FLOAT_EQ(shots()[0]->movement.vy, -16);
  EXPECT_NEAR(shots()[1]->movement.heading, degreesToRadians(250) - 2 * 3.1415927f, 1e-4);
  EXPECT_NEAR(shots()[7]->movement.heading, degreesToRadians(300) - 2 * 3.1415927f, 1e-4);
  run(11);
  EXPECT_EQ(shots().size(), 6 * 8u);
  EXPECT_EQ(played(10003), 2);

  // Weaving fires, and sounds, on every frame.
  keyDown(72, '2');
  run(6);
  EXPECT_EQ(player_->shotType, 2);
  EXPECT_EQ(played(10003), 2 + 6);
}

// Down held from the first update would pin the ship at the field's bottom.
TEST_F(PlayerTest, TheStageEntryGlidesInBeforeTheShipCanBeSteeredAsAfterARespawn) {
  player_->create();
  keyDown(0, HGEK_DOWN);
  std::vector<float> ys;
  run(33, [&](long) { ys.push_back(player_->getY()); });
  for (int k = 1; k <= 30; ++k) EXPECT_NEAR(ys[std::size_t(k - 1)], 650 - 130.0f * float(k) / 30, 1e-3) << k;
  EXPECT_FLOAT_EQ(ys[30], 520);
  EXPECT_FLOAT_EQ(ys[31], 525);
  EXPECT_FLOAT_EQ(ys[32], 530);
  EXPECT_FLOAT_EQ(player_->getX(), 400);
}

TEST_F(PlayerTest, ABombClearsTheBulletsShakesAndFiresSixSalvos) {
  mBulletManager::setTexture("treg.png");
  player_->create();
  player_->bombs = 1;
  run(35);
  keyDown(35, kBomb);
  keyUp(36, kBomb);
  keyDown(290, kBomb);  // no bomb left
  run(260, [&](long) {
    auto b = std::make_unique<mBullet>();
    b->x = 10;
    mBulletManager::getInstance()->addBullet(std::move(b));
  });
  EXPECT_EQ(player_->bombs, 0);
  EXPECT_FALSE(player_->bombing());
  EXPECT_EQ(played(10005), 6);
  xSystem* system = xSystem::getInstance();
  EXPECT_EQ(system->shakeFrames, 120);
  EXPECT_EQ(system->shakeMode, 2);
  EXPECT_FLOAT_EQ(system->shakeAmplitude, 10);
  // Bullets shot during the bomb were cleared; those after it were not.
  mBulletManager* enemy = mBulletManager::getInstance();
  EXPECT_TRUE(enemy->bulletAt(0)->cleared);
  EXPECT_FALSE(enemy->bulletAt(enemy->bulletCount() - 1)->cleared);
}

TEST_F(PlayerTest, TheBombWindowRespawnAndGameOver) {
  player_->create();
  player_->lives = 1;
  player_->bombs = 2;
  run(40, [&](long frame) {
    if (frame == 39) player_->hit();  // after the frame's update: 19 updates later is the last chance
  });
  keyDown(58, kBomb);
  keyUp(59, kBomb);
  run(20);
  EXPECT_FALSE(player_->dying());
  EXPECT_TRUE(player_->bombing());
  EXPECT_EQ(player_->bombs, 1);
  player_->hit();  // not while bombing
  EXPECT_FALSE(player_->dying());

  run(400);  // bomb and invincibility over
  player_->hit();
  keyDown(479, kBomb);  // 20 updates after the hit: too late
  keyUp(480, kBomb);
  run(60);
  EXPECT_TRUE(player_->dying());
  EXPECT_TRUE(recorded("loss").empty());
  run(1);  // the 61st update brings the ship back
  EXPECT_FALSE(player_->dying());
  EXPECT_EQ(player_->lives, 0);
  EXPECT_EQ(player_->bombs, 3);
  EXPECT_EQ(recorded("loss").size(), 1u);
  EXPECT_EQ(score_.comboRestarts, 2);  // create, and the life lost
  player_->hit();  // invincible after the respawn
  EXPECT_FALSE(player_->dying());

  run(200);
  player_->hit();
  run(61);
  EXPECT_EQ(xSystem::getInstance()->getState(), STATE_GAMEOVER);
  EXPECT_EQ(player_->lives, 0);
  EXPECT_FALSE(player_->inPlay());
  ASSERT_EQ(records().size(), 3u);
  EXPECT_EQ(records()[1].tag, "die");
  EXPECT_EQ(records()[2].tag, "loss");
  player_->hit();  // out of play
  EXPECT_FALSE(player_->dying());
}

TEST_F(PlayerTest, AResetDuringADeathOrABombCostsNothingLater) {
  player_->create();
  player_->bombs = 2;
  run(40);
  player_->hit();
  run(10);
  player_->criticalX2Count = 0;
  EXPECT_FLOAT_EQ(player_->criticalChance(), 0.04f);
  player_->reset();
  EXPECT_FALSE(player_->dying());
  EXPECT_EQ(player_->criticalX2Count, -1);
  EXPECT_FLOAT_EQ(player_->sprite->sprite->color.a, 1);
  EXPECT_FLOAT_EQ(player_->sprite->sprite->scaleX, 1);
  player_->create();
  run(100);
  EXPECT_FALSE(player_->dying());  // the old death does not carry on
  EXPECT_TRUE(recorded("loss").empty());

  // Keys are read again by create: a new shoot key takes effect.
  hge_->Ini_SetInt("Key", "Shoot", 'C');
  player_->reset();
  player_->create();
  keyDown(150, 'C');
  run(1);
  EXPECT_EQ(player_->shots->bulletCount(), 4u);
}

TEST_F(PlayerTest, TheBossBodyHitsWithinTwentyPixelsAndAPowerBelowZeroFiresAsZero) {
  dir_.write("attack.vkscript", "func init() { }\n");
  xBoss* boss = xBoss::getInstance();
  boss->create("Boss", "boss.png", 0, 0, 64, 64, 1);
  boss->addAttackScript("attack.vkscript", 10, 0, 0, false);
  boss->start();
  player_->create();
  player_->power = -5;
  keyDown(40, kShoot);
  boss->setPos(420, 500);  // 20 pixels off on both axes: no hit
  run(41);
  EXPECT_FALSE(player_->dying());
  ASSERT_EQ(shots().size(), 4u);  // the centre shot and a fan of three
  for (const mBullet* shot : shots()) EXPECT_TRUE(std::isfinite(shot->movement.vx));
  boss->setPos(419, 501);
  run(1);
  EXPECT_TRUE(player_->dying());
}

TEST_F(PlayerTest, NeverHitWithTheInvincibilitySettingAndAnyPowerFiresAFiniteBoundedFan) {
  xPlayer::resetForTests();
  hge_->Ini_SetInt("STG", "ILoveRuvo", 1);
  player_ = xPlayer::getInstance();
  player_->create();
  player_->hit();
  EXPECT_FALSE(player_->dying());

  // Scripts and scenes set the power without bound: a huge one fires the
  // largest fan (power 1000: the centre shot and 1002 more), not a flood or
  // an overflowed count; one that is not a number fires as 0.
  run(40);
  keyDown(40, kShoot);
  player_->power = 1e30f;
  run(1);
  EXPECT_EQ(shots().size(), 1u + 1003u);
  run(1);
  player_->power = std::nanf("");
  run(1);
  ASSERT_EQ(shots().size(), 1u + 1003u + 4u);
  for (const mBullet* shot : shots()) {
    EXPECT_TRUE(std::isfinite(shot->movement.vx) && std::isfinite(shot->movement.vy));
  }
}

}  // namespace
