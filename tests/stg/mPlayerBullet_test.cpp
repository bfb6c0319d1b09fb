// Player shots and bombs: the boss box edges, enemy hits, the shrinking fade, the bomb's particles.
#include "stg/mPlayerBullet.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/stg/bullet_fixture.h"

namespace {

class PlayerShotTest : public stg::test::BulletTest {
 protected:
  void SetUp() override {
    BulletTest::SetUp();
    shots_ = std::make_unique<mBulletManager>("sheet.png");
    shots_->setScreenRect(125, -50, 725, 650);
    world_.bossVisible = world_.bossFighting = true;  // at (300, 100)
  }
  void TearDown() override {
    shots_.reset();
    BulletTest::TearDown();
  }
  template <class Shot = mPlayerBullet>
  Shot* fire(float x, float y, float vy = 0, std::unique_ptr<Shot> shot = std::make_unique<Shot>()) {
    shot->texRect = {0, 0, 16, 16};
    shot->x = x;
    shot->y = y;
    shot->movement.vy = vy;
    return static_cast<Shot*>(shots_->addBullet(std::move(shot)));
  }

  std::unique_ptr<mBulletManager> shots_;
};

TEST_F(PlayerShotTest, ShotsHitTheBossBoxEdgesOnlyDamageAFightingBossAndShrinkAway) {
  mPlayerBullet* corner = fire(320, 144);  // tests (320, 124): the box's corner
  mPlayerBullet* top = fire(280, 112);     // tests (280, 92)
  mPlayerBullet* outside = fire(320.5f, 144);
  mPlayerBullet* enemyHit = fire(500, 400);
  world_.enemyX = 500;
  corner->damage = 3;
  shots_->update();
  EXPECT_EQ(world_.bossDamage, (std::vector<float>{3, 1}));
  EXPECT_EQ(world_.scoreHits, 2);
  EXPECT_TRUE(top->cleared);
  EXPECT_TRUE(outside->hittable);
  EXPECT_TRUE(enemyHit->cleared);
  EXPECT_FLOAT_EQ(corner->sprite->scaleX, 29.0f / 30);
  EXPECT_EQ(capture([this] { shots_->render(); })[0].v[0].col, 0x90FFFFFFu);

  world_.bossFighting = false;  // visible, not fighting: the shot goes, no damage
  mPlayerBullet* absorbed = fire(300, 125, -5);
  shots_->update();
  EXPECT_TRUE(absorbed->cleared);
  EXPECT_FLOAT_EQ(absorbed->y, 120);  // moved before its test, then stands while it fades
  EXPECT_EQ(world_.bossDamage.size(), 2u);
  world_.bossVisible = false;
  EXPECT_TRUE(fire(300, 120)->hittable);
  for (int i = 0; i < 28; ++i) shots_->update();
  EXPECT_TRUE(corner->exists);
  EXPECT_FLOAT_EQ(absorbed->y, 120);
  shots_->update();  // the corner shot's 31st update
  EXPECT_FALSE(corner->exists);
}

TEST_F(PlayerShotTest, BombHitsOnceFliesOnEmittingAndItsParticlesFinishAfterTheEdge) {
  std::string psi(128, '\0');  // "playerBomb.psi": 120 particles a second for ever, living 10 s
  const float fields[] = {-1, 10, 10};
  std::int32_t rate = 120;
  std::memcpy(&psi[4], &rate, 4);
  std::memcpy(&psi[8], fields, sizeof fields);
  dir_.write("data/particle/playerBomb.psi", psi);
  gfx::test::writePng("data/graphic/particles.png", 128, 32);
  engine::clearPathCache();
  auto second = std::make_unique<mPlayerBomb>();
  mPlayerBomb* bomb = fire<mPlayerBomb>(280, 180, -80);  // at y = 100 after its first move
  ASSERT_NE(pixelsOf(bomb->texture.get()), nullptr);
  EXPECT_EQ(pixelsOf(bomb->texture.get()), pixelsOf(second->texture.get()));  // one picture for every bomb
  bomb->damage = 20;
  bomb->particles->FireAt(280, 180);
  shots_->update();
  EXPECT_EQ(world_.bossDamage, (std::vector<float>{20}));
  EXPECT_EQ(world_.scoreHits, 20);
  EXPECT_FALSE(bomb->hittable);
  EXPECT_FALSE(bomb->cleared);
  EXPECT_EQ(capture([this] { shots_->render(); }).size(), 2u);  // its particles only

  shots_->update();  // y = 20
  shots_->update();  // y = -60: outside, cleared
  ASSERT_TRUE(bomb->cleared);
  shots_->update();  // the first cleared update still emits...
  shots_->update();  // ...the second stops the emission
  int alive = bomb->particles->GetParticlesAlive();
  EXPECT_EQ(alive, 10);
  for (int i = 0; i < 28; ++i) shots_->update();
  EXPECT_EQ(bomb->particles->GetParticlesAlive(), alive);
  EXPECT_TRUE(bomb->exists);
  shots_->update();
  EXPECT_FALSE(bomb->exists);
}

}  // namespace
