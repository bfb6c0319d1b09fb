// Player shots and bombs: the boss box edges, enemy hits, the shrinking fade, the bomb's particles.
#include "stg/mPlayerBullet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/stg/bullet_fixture.h"

namespace {

using stg::test::BulletTest;

class PlayerShotTest : public BulletTest {
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
  mPlayerBullet* fire(float x, float y) {
    auto b = std::make_unique<mPlayerBullet>();
    b->texRect = {0, 0, 16, 16};
    b->x = x;
    b->y = y;
    return static_cast<mPlayerBullet*>(shots_->addBullet(std::move(b)));
  }
  // "playerBomb.psi": 120 particles a second, endless, particles living 10 s.
  void writeBombFiles() {
    std::string psi(128, '\0');
    auto put = [&](int offset, auto v) { std::memcpy(psi.data() + offset, &v, 4); };
    put(4, std::int32_t{120});
    put(8, -1.0f);
    put(12, 10.0f);
    put(16, 10.0f);
    put(64, 1.0f);
    put(68, 1.0f);
    for (int c = 0; c < 8; ++c) put(88 + 4 * c, 1.0f);
    dir_.write("data/particle/playerBomb.psi", psi);
    gfx::test::writePng("data/graphic/particles.png", 128, 32);
    engine::clearPathCache();
  }

  std::unique_ptr<mBulletManager> shots_;
};

TEST_F(PlayerShotTest, ShotsHitTheBossBoxIncludingItsEdgesAndOnlyDamageAFightingBoss) {
  mPlayerBullet* right = fire(320, 144);   // tests (320, 124): the box's corner
  mPlayerBullet* top = fire(280, 112);     // tests (280, 92)
  mPlayerBullet* outside = fire(320.5f, 144);
  mPlayerBullet* enemyHit = fire(500, 400);
  world_.enemyHitX = 500;
  right->damage = 3;
  shots_->update();
  EXPECT_EQ(world_.bossDamage, (std::vector<float>{3, 1}));
  EXPECT_EQ(world_.scoreHits, 2);
  EXPECT_TRUE(right->cleared);
  EXPECT_FALSE(top->hittable);
  EXPECT_TRUE(outside->hittable);
  EXPECT_TRUE(enemyHit->cleared);
  EXPECT_EQ(world_.enemyShots.size(), 1u);

  // Visible but not fighting: the shot vanishes without damage; invisible: it passes.
  world_.bossFighting = false;
  mPlayerBullet* absorbed = fire(300, 120);
  world_.bossVisible = true;
  shots_->update();
  EXPECT_TRUE(absorbed->cleared);
  EXPECT_EQ(world_.bossDamage.size(), 2u);
  world_.bossVisible = false;
  mPlayerBullet* through = fire(300, 120);
  shots_->update();
  EXPECT_TRUE(through->hittable);
}

TEST_F(PlayerShotTest, AHitShotShrinksToNothingAndGoesOnThe31stUpdate) {
  mPlayerBullet* shot = fire(300, 120);
  shot->movement.vy = -5;
  shots_->update();
  ASSERT_TRUE(shot->cleared);
  EXPECT_FLOAT_EQ(shot->sprite->scaleX, 29.0f / 30);
  EXPECT_FLOAT_EQ(shot->y, 115);  // moved before its hit test
  for (int i = 0; i < 14; ++i) shots_->update();
  EXPECT_FLOAT_EQ(shot->sprite->scaleY, 15.0f / 30);
  EXPECT_FLOAT_EQ(shot->y, 115);  // a cleared shot stands still
  std::vector<hgeQuad> quads = capture([this] { shots_->render(); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].v[0].col, 0x90FFFFFFu);
  for (int i = 0; i < 15; ++i) shots_->update();
  EXPECT_TRUE(shot->exists);
  shots_->update();
  EXPECT_FALSE(shot->exists);
  shots_->update();
  EXPECT_EQ(shots_->bulletCount(), 0u);

  // Leaving the screen clears a shot too.
  mPlayerBullet* gone = fire(300, -49);
  gone->movement.vy = -5;
  shots_->update();
  EXPECT_TRUE(gone->cleared);
  EXPECT_EQ(world_.bossDamage.size(), 1u);
}

TEST_F(PlayerShotTest, BombHitsOnceFliesOnEmittingAndItsParticlesFinishAfterTheEdge) {
  writeBombFiles();
  auto made = std::make_unique<mPlayerBomb>();
  auto second = std::make_unique<mPlayerBomb>();
  ASSERT_TRUE(made->particles->loaded());
  EXPECT_NE(made->texture.get(), 0u);
  EXPECT_EQ(made->texture.get(), second->texture.get());  // one load for every bomb
  made->damage = 20;
  made->x = 280;
  made->y = 180;
  made->movement.vy = -80;  // at y = 100 after its first move
  made->particles->FireAt(280, 180);
  mPlayerBomb* bomb = static_cast<mPlayerBomb*>(shots_->addBullet(std::move(made)));
  shots_->update();
  EXPECT_EQ(world_.bossDamage, (std::vector<float>{20}));
  EXPECT_EQ(world_.scoreHits, 20);
  EXPECT_FALSE(bomb->hittable);
  EXPECT_FALSE(bomb->cleared);
  EXPECT_EQ(bomb->particles->GetParticlesAlive(), 2);
  EXPECT_EQ(capture([this] { shots_->render(); }).size(), 2u);  // particles only

  shots_->update();  // y = 20
  shots_->update();  // y = -60: outside, cleared
  ASSERT_TRUE(bomb->cleared);
  EXPECT_EQ(world_.scoreHits, 20);
  shots_->update();  // first cleared update: still emitting
  int alive = bomb->particles->GetParticlesAlive();
  EXPECT_EQ(alive, 8);
  shots_->update();  // second: emission stops, particles live on
  shots_->update();
  EXPECT_EQ(bomb->particles->GetParticlesAlive(), alive + 2);
  for (int i = 0; i < 27; ++i) shots_->update();
  EXPECT_TRUE(bomb->exists);
  shots_->update();
  EXPECT_FALSE(bomb->exists);
}

}  // namespace
