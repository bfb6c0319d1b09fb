// The score's and the items' places in start-up, the frame and render order, the retry, the new game and the stage set-up, with the game's own data.
#include <gtest/gtest.h>

#include "stg/score_file.h"
#include "stg/xItemManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "tests/app/app_fixture.h"

namespace {

class ScoreWiringTest : public app::test::GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    linkGameData();
    ASSERT_EQ(stg::writeScoreFile("score.dat", 3000000000u), stg::ScoreWriteStatus::Ok);
    startGame();
    score = xScoreManager::getInstance();
    items = xItemManager::getInstance();
  }

  xScoreManager* score = nullptr;
  xItemManager* items = nullptr;
};

TEST_F(ScoreWiringTest, StartUpLoadsTheHighScoreARetryRestoresTheStageStartAndANewGameResetsTheRun) {
  EXPECT_EQ(score->highScore, 3000000000u);
  EXPECT_TRUE(items->texture) << "the demo's items.png";
  EXPECT_NE(score->board->sprite, nullptr) << "the demo's UI/scoreboard.png";

  score->score = 500;
  score->stage = 2;
  score->saveStageStart();
  score->addHit(7);
  system->hooks.retryStage();
  EXPECT_EQ(score->score, 500u);
  EXPECT_EQ(score->stageHits, 0u);
  EXPECT_EQ(score->comboHits, 0u);

  score->addHit(7);
  system->startNewGame();
  EXPECT_EQ(score->score, 0u);
  EXPECT_EQ(score->stage, 1);
  EXPECT_EQ(score->highScore, 3000000000u);
}

TEST_F(ScoreWiringTest, AStageFrameMovesAndCollectsItemsAndTheBoardClosesTheStage) {
  system->setState(STATE_STG);
  xPlayer* player = xPlayer::getInstance();
  player->create();
  player->sprite->setPos(400, 500);
  const int lives = player->lives;
  items->addItem(4, 400, 300);
  items->addItem(3, 400, 502);
  score->addHit(1);
  FrameFunc();
  EXPECT_NEAR(items->items.front().y, 298.05f, 1e-4);
  EXPECT_EQ(player->lives, lives + 1);
  EXPECT_EQ(score->comboCounter.count, 1u) << "the combo window ran one frame";
  EXPECT_EQ(renderQuadsOf(items->texture.get()), 2);
  system->setState(STATE_AVG_IN_STG);
  FrameFunc();
  EXPECT_NEAR(items->items.front().y, 298.05f, 1e-4) << "items stand still under a scene";
  system->setState(STATE_STG);

  score->stageClear();
  update(100);
  EXPECT_EQ(system->getState(), STATE_SCOREBOARD);
  EXPECT_EQ(renderQuadsOf(score->board->sprite->GetTexture()), 2) << "the board is drawn twice in its state";
  update(xScoreManager::kBoardEndFrame - 100);
  EXPECT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(score->stage, 2);

  // The next stage's set-up takes the items away.
  switchTo(STATE_STG);
  EXPECT_TRUE(items->items.empty());
}

}  // namespace
