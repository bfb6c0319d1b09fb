// The bullet manager: appear and clear sequences, hits at the edge, bounces, the unset screen, sheets.
#include "stg/mBulletManager.h"

#include <gtest/gtest.h>

#include "tests/stg/bullet_fixture.h"

namespace {

using stg::test::BulletTest;

float width(const hgeQuad& q) { return q.v[1].x - q.v[0].x; }

TEST_F(BulletTest, FreshBulletGrowsInOverTenDrawnFramesAndAClearedOneGoesOnThe31stUpdate) {
  mBulletManager* m = enemy();
  mBullet* keep = shoot(200, 100);
  keep->immortal = true;
  mBullet* b = shoot(100, 100);  // heading down: drawn unrotated
  std::vector<hgeQuad> quads = frame(m);
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_NEAR(width(quads[1]), 1.6f, 1e-4);  // one tween step before the first draw
  EXPECT_EQ(quads[1].v[0].col >> 24, DWORD(0.11f * 255));
  for (int i = 0; i < 9; ++i) quads = frame(m);
  EXPECT_NEAR(width(quads[1]), 16, 1e-4);
  EXPECT_EQ(quads[1].v[0].col >> 24, 255u);

  m->clearBullets(false);
  EXPECT_FALSE(keep->cleared);
  EXPECT_FALSE(b->hittable);
  for (int i = 0; i < 30; ++i) frame(m);
  EXPECT_TRUE(b->exists);
  EXPECT_EQ(frame(m).size(), 1u);  // faded to nothing on the 31st
  EXPECT_FALSE(b->exists);
  ASSERT_EQ(m->getCurrent(), b);
  m->active = false;  // the dead are deleted even when the walk does not run
  m->update();
  EXPECT_EQ(m->bulletCount(), 1u);
  EXPECT_EQ(m->getCurrent(), nullptr);
  shoot(300, 100);  // shot after the update, as boss scripts do: no full-size first frame
  quads = capture([m] { m->render(); });
  EXPECT_NEAR(width(quads[1]), 1.6f, 1e-4);
  EXPECT_EQ(quads[1].v[0].col >> 24, DWORD(0.11f * 255));
  m->clearBullets(true);
  EXPECT_TRUE(keep->cleared);
}

TEST_F(BulletTest, PlayerIsHitOnlyInsideTheStrictTwentyPixelBoxAndTheRadius) {
  world_.playerX = world_.playerY = 300;
  mBullet* hit = shoot(281, 281, 0, 0);
  hit->hitRadiusSq = 30 * 30;
  mBullet* wide = shoot(320, 300, 0, 0);  // dx = 20: never, whatever the radius
  wide->hitRadiusSq = 1e6f;
  mBullet* small = shoot(290, 290, 0, 0);  // in the box, outside radius 8
  enemy()->update();
  enemy()->update();
  EXPECT_EQ(world_.playerHits, 1);
  EXPECT_TRUE(hit->cleared);
  EXPECT_TRUE(wide->hittable);
  EXPECT_TRUE(small->hittable);
  world_.playerHasSprite = false;  // then the player counts as standing at (400, 300)
  EXPECT_TRUE(shoot(400, 299, 0, 0)->hittable);
  enemy()->update();
  EXPECT_EQ(world_.playerHits, 2);
}

TEST_F(BulletTest, BulletsBounceOffTheInclusiveEdgesSpendingOneBouncePerFrameOutside) {
  mBulletManager* m = enemy();
  m->setScreenRect(0, 0, 100, 100);
  mBullet* left = shoot(5, 50, -10, 0);
  left->reflectCount = 1;
  mBullet* edge = shoot(90, 50, 10, 0);
  mBullet* bottom = shoot(50, 95, 0, 10);  // no bottom bounce: does not turn, but pays
  bottom->reflectCount = 3;
  mBullet* forever = shoot(50, 95, 0, 10);
  forever->reflectCount = -1;
  forever->reflectBottom = true;
  mBullet* paused = shoot(50, 50);
  paused->pauseEnd = 1;  // stands still for two updates
  paused->lifeTime = 3;
  m->update();
  EXPECT_FLOAT_EQ(left->movement.vx, 10);
  EXPECT_FLOAT_EQ(left->movement.heading, 0);
  EXPECT_TRUE(edge->exists);  // exactly on x2
  EXPECT_FLOAT_EQ(forever->movement.vy, -10);
  EXPECT_FLOAT_EQ(bottom->movement.vy, 10);
  m->update();
  m->update();
  EXPECT_EQ(bottom->reflectCount, 0);
  EXPECT_TRUE(bottom->exists);
  EXPECT_FLOAT_EQ(paused->y, 51);
  m->update();
  EXPECT_FALSE(bottom->exists);
  EXPECT_FALSE(bottom->cleared);  // gone without fading
  EXPECT_TRUE(paused->cleared);   // its life is over
  for (int i = 0; i < 8; ++i) m->update();
  EXPECT_FALSE(left->exists);  // left through x2 = 100 with no bounce left
  for (int i = 0; i < 100; ++i) m->update();
  EXPECT_TRUE(forever->exists);
}

TEST_F(BulletTest, ScreenNeverSetKillsEveryBulletAtItsFirstMoveAndSaysSoOnce) {
  mBulletManager own("sheet.png");
  mBullet* b = shoot(100, 100, 0, 1, &own);
  b->reflectCount = 5;
  own.update();
  EXPECT_FALSE(b->exists);
  shoot(100, 100, 0, 1, &own);
  own.update();
  own.update();
  EXPECT_EQ(own.bulletCount(), 0u);
  EXPECT_EQ(logCount("no bullet screen rect set"), 1);
}

TEST_F(BulletTest, ShootingWithoutASheetDiscardsTheBulletAndIdentifiersReadByColumn) {
  mBulletManager bare;
  EXPECT_EQ(bare.addBullet(std::make_unique<mBullet>()), nullptr);
  EXPECT_EQ(bare.getCurrent(), nullptr);
  EXPECT_EQ(bare.bulletCount(), 0u);
  bare.update();
  bare.render();
  EXPECT_EQ(logCount("BulletManager: no bullet texture initialized\n"), 2);
  EXPECT_EQ(logCount("bullet discarded"), 1);

  mBulletManager::addBulletIdent(5, 10, 20, 16, 8, 3);
  float radiusSq = -1;
  mBulletRect r = mBulletManager::getBulletIdentRect(5, 2, radiusSq);
  EXPECT_EQ(r.x, 42);
  EXPECT_EQ(r.h, 8);
  EXPECT_EQ(radiusSq, 9);
  // The column is read unsigned: -1 is the last column of all.
  EXPECT_FLOAT_EQ(mBulletManager::getBulletIdentRect(5, -1, radiusSq).x, 10 + 4294967295.0f * 16);
  radiusSq = -1;
  EXPECT_EQ(mBulletManager::getBulletIdentRect(6, 0, radiusSq).w, 0);
  EXPECT_EQ(radiusSq, -1);
  EXPECT_EQ(logCount("mBulletManager::getBulletIdentRect: invalid identifier 6\n"), 1);
}

TEST_F(BulletTest, NewSheetKeepsTheOldTextureAliveUntilTheLastBulletDrawnFromItIsGone) {
  mBulletManager* m = enemy();
  mBullet* b = shoot(100, 100);
  HTEXTURE old = b->sprite->sprite->GetTexture();
  mBulletManager::setTexture("other.png");
  float radiusSq = 0;
  EXPECT_EQ(mBulletManager::getBulletIdentRect(1, 0, radiusSq).w, 0);  // identifiers emptied
  EXPECT_EQ(frame(m)[0].tex, old);
  EXPECT_EQ(hge_->Texture_GetWidth(old), 64);
  mBulletManager::addBulletIdent(1, 0, 0, 16, 16, 8);
  mBullet* fresh = shoot(50, 50);
  b->exists = false;
  std::vector<hgeQuad> quads = frame(m);
  EXPECT_EQ(hge_->Texture_GetWidth(old), 0);  // freed with its last bullet
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].tex, fresh->sprite->sprite->GetTexture());
  EXPECT_NE(quads[0].tex, old);
}

}  // namespace
