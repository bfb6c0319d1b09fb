// Items: their rise and fall out of the play field, the collection square, each kind's bonus once, and no collection out of play.
#include <gtest/gtest.h>

#include "tests/stg/score_fixture.h"

namespace {

using stg::test::ScoreTest;

class ItemTest : public ScoreTest {
 protected:
  void SetUp() override {
    ScoreTest::SetUp();
    items_ = xItemManager::getInstance();
  }
  void updates(int n) {
    for (int i = 0; i < n; ++i) items_->update();
  }
  xItemManager* items_ = nullptr;
};

TEST_F(ItemTest, AnItemRisesSlowsFallsAndGoesWhenItLeavesThePlayField) {
  items_->addItem(1, 400, 300);
  items_->addItem(6, 400, 300);
  items_->addItem(0, 400, 300);
  ASSERT_EQ(items_->items.size(), 1u) << "only kinds 1 to 5 exist";
  updates(1);
  EXPECT_NEAR(items_->items.front().y, 298.05f, 1e-4);
  updates(39);
  // At rest at the top: 2 + 1.95 + ... + 0.05 pixels above the start.
  EXPECT_NEAR(items_->items.front().y, 261.0f, 1e-3);
  EXPECT_NEAR(items_->items.front().movement.vy, 0.0f, 1e-4);
  // Then it falls back past its start and out of the 600-pixel field.
  updates(39);
  EXPECT_NEAR(items_->items.front().y, 300.0f, 1e-2);
  std::vector<hgeQuad> quads = capture([&] { items_->render(); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_NEAR(quads[0].v[0].x, 392.0f, 1e-3) << "drawn centred on the item";
  // 300 + 0.025 n (n + 1) - 2 n passes 600 on the 156th update.
  updates(76);
  EXPECT_EQ(items_->items.size(), 1u);
  updates(1);
  EXPECT_TRUE(items_->items.empty());
  items_->addItem(2, 400, 1);  // leaving through the top as well
  updates(1);
  EXPECT_TRUE(items_->items.empty());
}

TEST_F(ItemTest, EachKindGivesItsBonusOnceAndGoes19FramesAfterCollection) {
  xPlayer* player = playerAt(300, 400);
  player->power = 1;
  const int lives = player->lives, bombs = player->bombs;
  // Each starts 2 pixels below the player, so its first rise brings it in.
  for (int kind = 1; kind <= 5; ++kind) items_->addItem(kind, 300, 402);
  const std::size_t texts = xFloatingTextManager::getInstance()->size();
  updates(1);
  EXPECT_FLOAT_EQ(player->power, 1.1f);
  EXPECT_EQ(player->bombs, bombs + 1);
  EXPECT_EQ(player->lives, lives + 1);
  EXPECT_EQ(score_->multiplier, 2);
  EXPECT_EQ(score_->hitX2Timer, 0);
  EXPECT_EQ(voices(), 1);
  EXPECT_EQ(player->criticalX2Count, 0);
  EXPECT_EQ(xFloatingTextManager::getInstance()->size(), texts + 5);
  for (const stg::Item& item : items_->items) {
    EXPECT_EQ(item.collectTimer, 1);
    EXPECT_EQ(item.movement.vx, 0.0f);
    EXPECT_EQ(item.movement.vy, 0.0f);
  }
  updates(18);
  EXPECT_EQ(items_->items.size(), 5u);
  EXPECT_EQ(player->bombs, bombs + 1) << "a fading item gives nothing more";
  EXPECT_EQ(player->lives, lives + 1);
  updates(1);
  EXPECT_TRUE(items_->items.empty());
}

TEST_F(ItemTest, TheCollectionSquareIsFortyPixelsAroundThePlayer) {
  playerAt(300, 400);
  // After the first step each item is 1.95 pixels higher.
  items_->addItem(2, 280, 401.95f);     // on the left edge: in
  items_->addItem(2, 319.9f, 401.95f);  // just inside the right edge
  items_->addItem(2, 320, 401.95f);     // on the right edge: out
  items_->addItem(2, 300, 381.94f);     // just above the top edge: out
  updates(1);
  std::vector<int> timers;
  for (const stg::Item& item : items_->items) timers.push_back(item.collectTimer);
  EXPECT_EQ(timers, (std::vector<int>{1, 1, -1, -1}));
}

TEST_F(ItemTest, NothingIsCollectedWhileThePlayerIsOutOfPlay) {
  xPlayer* player = xPlayer::getInstance();
  const int lives = player->lives;
  items_->addItem(3, 400, 302);  // on the place a missing ship reads as
  updates(1);
  EXPECT_EQ(items_->items.front().collectTimer, -1);
  playerAt(400, 300)->hit();
  ASSERT_TRUE(player->dying());
  updates(1);
  EXPECT_EQ(items_->items.front().collectTimer, -1);
  EXPECT_EQ(player->lives, lives);
  items_->clear();
  EXPECT_TRUE(items_->items.empty());
}

}  // namespace
