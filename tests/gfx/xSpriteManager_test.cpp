// The scripts' sprite table: ids, replacement, drawing at a point, and scheduled deletion firing once.
#include <gtest/gtest.h>

#include "gfx/xSpriteManager.h"
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class xSpriteManagerTest : public gfx::test::HeadlessEngineTest {
 protected:
  void SetUp() override {
    HeadlessEngineTest::SetUp();
    xSpriteManager::resetForTests();
    gfx::test::writePng("data/graphic/a.png", 8, 8);
    gfx::test::writePng("data/graphic/b.png", 16, 4);
  }
  void TearDown() override {
    xSpriteManager::resetForTests();
    HeadlessEngineTest::TearDown();
  }
  ScopedTempDir dir_;
};

TEST_F(xSpriteManagerTest, IdsHoldOneSpriteEach) {
  xSpriteManager* table = xSpriteManager::getInstance();
  table->addSprite(5, "a.png");
  table->addSprite(5, "b.png");
  xSprite* sprite = table->findSprite(5);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->sprite->GetWidth(), 16);
  EXPECT_EQ(table->findSprite(6), nullptr);

  sprite->setScale(2, 3);
  sprite->setPos(500, 500);  // not used: the caller gives the place
  auto quads = capture([&] { table->renderSpriteAt(5, 10, 20); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_FLOAT_EQ(quads[0].v[2].x, 10 + 32);
  EXPECT_FLOAT_EQ(quads[0].v[2].y, 20 + 12);
  sprite->setColor(0x00FFFFFF);
  EXPECT_TRUE(capture([&] { table->renderSpriteAt(5, 10, 20); }).empty());

  table->deleteSprite(5);
  EXPECT_EQ(table->findSprite(5), nullptr);
  table->update();  // a deleted id is passed over
}

TEST_F(xSpriteManagerTest, ScheduledDeletionFiresOnceOnThe61stUpdate) {
  xSpriteManager* table = xSpriteManager::getInstance();
  table->addSprite(3, "a.png");
  table->addSprite(4, "a.png");
  table->deleteSpriteEx(3, 60);
  table->deleteSpriteEx(4, 0);  // never counts: dropped, nothing deleted
  for (int i = 0; i < 60; ++i) table->update();
  EXPECT_NE(table->findSprite(3), nullptr);
  table->update();
  EXPECT_EQ(table->findSprite(3), nullptr);
  EXPECT_EQ(table->pendingDeleteCount(), 0u);

  table->addSprite(3, "b.png");  // a later sprite under the same id stays
  for (int i = 0; i < 200; ++i) table->update();
  EXPECT_NE(table->findSprite(3), nullptr);
  EXPECT_NE(table->findSprite(4), nullptr);
}

}  // namespace
