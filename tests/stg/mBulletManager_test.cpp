// The bullet manager: appear and clear sequences, hits at the edge, bounces, windows, scripts called from the walk, sheets.
#include "stg/mBulletManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "tests/stg/bullet_fixture.h"

namespace {

using stg::test::BulletTest;

float quadWidth(const hgeQuad& q) { return q.v[1].x - q.v[0].x; }
DWORD alphaOf(const hgeQuad& q) { return q.v[0].col >> 24; }

TEST_F(BulletTest, FreshBulletGrowsInOverTenDrawnFramesAndAClearedOneGoesOnThe31stUpdate) {
  mBulletManager* m = enemy();
  mBullet* keep = shoot(200, 100);
  keep->immortal = true;
  mBullet* b = shoot(100, 100);  // heading down: drawn unrotated
  std::vector<hgeQuad> quads = frame(m);
  ASSERT_EQ(quads.size(), 2u);
  // One tween step before the first draw: scale 0.1, alpha 0.11.
  EXPECT_NEAR(quadWidth(quads[1]), 1.6f, 1e-4);
  EXPECT_EQ(alphaOf(quads[1]), DWORD(0.11f * 255));
  for (int i = 0; i < 9; ++i) quads = frame(m);
  EXPECT_NEAR(quadWidth(quads[1]), 16, 1e-4);
  EXPECT_EQ(alphaOf(quads[1]), 255u);

  m->clearBullets(false);
  EXPECT_TRUE(keep->hittable);
  EXPECT_FALSE(keep->cleared);
  EXPECT_FALSE(b->hittable);
  for (int i = 0; i < 30; ++i) frame(m);
  EXPECT_TRUE(b->exists);
  quads = frame(m);
  EXPECT_FALSE(b->exists);
  EXPECT_EQ(m->bulletCount(), 2u);  // still listed until the next update
  EXPECT_EQ(quads.size(), 1u);      // faded to nothing
  ASSERT_EQ(m->getCurrent(), b);
  m->active = false;  // dead ones are deleted even when the walk does not run
  m->update();
  EXPECT_EQ(m->bulletCount(), 1u);
  EXPECT_EQ(m->getCurrent(), nullptr);
  EXPECT_EQ(m->bulletAt(0), keep);

  // A forced clearing takes the immortal one too.
  m->active = true;
  m->clearBullets(true);
  EXPECT_TRUE(keep->cleared);
}

TEST_F(BulletTest, PlayerIsHitOnlyInsideTheStrictTwentyPixelBoxAndTheRadius) {
  mBulletManager* m = enemy();
  world_.playerX = world_.playerY = 300;
  mBullet* hit = shoot(281, 281, 0, 0);
  hit->hitRadiusSq = 30 * 30;
  mBullet* wide = shoot(320, 300, 0, 0);  // dx = 20: never, whatever the radius
  wide->hitRadiusSq = 1e6f;
  mBullet* small = shoot(290, 290, 0, 0);  // inside the box, outside radius 8
  m->update();
  EXPECT_EQ(world_.playerHits, 1);
  EXPECT_FALSE(hit->hittable);
  EXPECT_TRUE(hit->cleared);
  EXPECT_TRUE(wide->hittable);
  EXPECT_TRUE(small->hittable);
  m->update();
  EXPECT_EQ(world_.playerHits, 1);  // a spent bullet hits no more

  // Without a player sprite the player counts as standing at (400, 300).
  world_.playerHasSprite = false;
  mBullet* centre = shoot(400, 299, 0, 0);
  m->update();
  EXPECT_EQ(world_.playerHits, 2);
  EXPECT_TRUE(centre->cleared);
}

TEST_F(BulletTest, BulletsBounceOffTheInclusiveScreenEdgesAndSpendOneBouncePerFrameOutside) {
  mBulletManager* m = enemy();
  m->setScreenRect(0, 0, 100, 100);
  mBullet* left = shoot(5, 50, -10, 0);
  left->reflectCount = 1;
  mBullet* edge = shoot(90, 50, 10, 0);
  mBullet* bottom = shoot(50, 95, 0, 10);
  bottom->reflectCount = 3;
  mBullet* forever = shoot(50, 95, 0, 10);
  forever->reflectCount = -1;
  forever->reflectBottom = true;
  m->update();
  EXPECT_FLOAT_EQ(left->movement.vx, 10);
  EXPECT_FLOAT_EQ(left->movement.heading, 0);
  EXPECT_EQ(left->reflectCount, 0);
  EXPECT_TRUE(edge->exists);  // exactly on x2
  EXPECT_FLOAT_EQ(bottom->movement.vy, 10);
  EXPECT_EQ(bottom->reflectCount, 2);
  EXPECT_FLOAT_EQ(forever->movement.vy, -10);
  edge->exists = false;
  m->update();
  m->update();
  EXPECT_TRUE(bottom->exists);
  EXPECT_EQ(bottom->reflectCount, 0);
  m->update();
  EXPECT_FALSE(bottom->exists);
  EXPECT_FALSE(bottom->cleared);  // no fade
  for (int i = 0; i < 7; ++i) m->update();
  EXPECT_TRUE(left->exists);
  m->update();  // x = 105 with no bounce left
  EXPECT_FALSE(left->exists);
  EXPECT_FALSE(left->cleared);
  for (int i = 0; i < 100; ++i) m->update();
  EXPECT_TRUE(forever->exists);
  EXPECT_EQ(m->bulletCount(), 1u);
}

TEST_F(BulletTest, PauseHoldsTheBulletAndAnExpiredLifeFadesIt) {
  mBulletManager* m = enemy();
  mBullet* b = shoot(100, 100);
  b->pauseEnd = 1;  // the first two updates
  b->lifeTime = 3;
  m->update();
  m->update();
  EXPECT_FLOAT_EQ(b->y, 100);
  m->update();
  EXPECT_FLOAT_EQ(b->y, 101);
  EXPECT_FALSE(b->cleared);
  m->update();
  EXPECT_TRUE(b->cleared);
  EXPECT_FALSE(b->hittable);
}

TEST_F(BulletTest, ScreenRectangleNeverSetKillsEveryBulletAtItsFirstMoveWithOneLogLine) {
  mBulletManager* m = enemy();
  mBulletManager own("sheet.png");
  mBullet* a = shoot(100, 100, 0, 1, &own);
  mBullet* b = shoot(100, 100, 0, 1, &own);
  b->reflectCount = 5;
  own.update();
  EXPECT_FALSE(a->exists);
  EXPECT_FALSE(b->exists);
  shoot(100, 100, 0, 1, &own);
  own.update();
  own.update();
  EXPECT_EQ(own.bulletCount(), 0u);
  EXPECT_EQ(logCount("no bullet screen rect set"), 1);
  EXPECT_EQ(m->bulletCount(), 0u);
}

TEST_F(BulletTest, ShootingWithoutASheetDiscardsTheBulletAndIdentifiersReadByColumn) {
  mBulletManager* m = mBulletManager::getInstance();
  ASSERT_EQ(gBulletManager, m);
  EXPECT_EQ(m->addBullet(std::make_unique<mBullet>()), nullptr);
  EXPECT_EQ(m->getCurrent(), nullptr);
  EXPECT_EQ(m->bulletCount(), 0u);
  m->update();
  m->render();
  EXPECT_EQ(logCount("BulletManager: no bullet texture initialized\n"), 2);
  EXPECT_EQ(logCount("bullet discarded"), 1);

  mBulletManager::addBulletIdent(5, 10, 20, 16, 8, 3);
  float radiusSq = -1;
  mBulletRect r = mBulletManager::getBulletIdentRect(5, 2, radiusSq);
  EXPECT_EQ(r.x, 42);
  EXPECT_EQ(r.y, 20);
  EXPECT_EQ(r.w, 16);
  EXPECT_EQ(r.h, 8);
  EXPECT_EQ(radiusSq, 9);
  // The column is read unsigned: -1 is the last column of all.
  r = mBulletManager::getBulletIdentRect(5, -1, radiusSq);
  EXPECT_FLOAT_EQ(r.x, 10 + 4294967295.0f * 16);
  radiusSq = -1;
  r = mBulletManager::getBulletIdentRect(6, 0, radiusSq);
  EXPECT_EQ(r.w, 0);
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
  std::vector<hgeQuad> quads = frame(m);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].tex, old);
  EXPECT_EQ(hge_->Texture_GetWidth(old), 64);

  mBulletManager::addBulletIdent(1, 0, 0, 16, 16, 8);
  mBullet* fresh = shoot(50, 50);
  EXPECT_NE(fresh->sprite->sprite->GetTexture(), old);
  b->exists = false;
  m->update();
  EXPECT_EQ(m->bulletCount(), 1u);
  EXPECT_EQ(hge_->Texture_GetWidth(old), 0);  // freed with its last bullet
  quads = frame(m);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].tex, fresh->sprite->sprite->GetTexture());
}

}  // namespace
