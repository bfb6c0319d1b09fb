// The scene player's places in start-up, the frame and render callbacks and the scene set-up, with the game's own data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avg/xAVG.h"
#include "avg/xAVGScriptReader.h"
#include "engine/platform.h"
#include "gfx/xSprite.h"
#include "stg/xBackgroundManager.h"
#include "stg/xPlayer.h"
#include "tests/app/app_fixture.h"

namespace {

std::string fixture(const char* name) { return std::string(VELMORA_TEST_DATA) + "/avg/" + name; }

using SceneWiringTest = app::test::StartedGameTest;

TEST_F(SceneWiringTest, TheSceneStateReadsItsFileAtTheSwitchAndDrawsItsPicturesOrGoesBackToTheTitle) {
  const std::string scene = fixture("app_scene.txt");
  system->changeState(STATE_AVG, true, scene);
  update(xSystem::kSwitchFrame - 1);
  xAVG* player = xAVG::getInstance();
  EXPECT_FALSE(player->active);
  update();
  ASSERT_TRUE(player->active);
  ASSERT_EQ(player->images.size(), 1u);
  // SETBG reached the background through the stage link.
  xBackgroundManager* bg = xBackgroundManager::getInstance();
  EXPECT_EQ(bg->background->sprite->GetHeight(), 600);
  EXPECT_EQ(bg->mode, stg::kModeStill);
  update();
  EXPECT_EQ(player->images[0].sprite->color.a, 1.0f) << "updated in the scene state";
  EXPECT_GT(renderQuadsOf(player->images[0].sprite->sprite->GetTexture()), 0);

  system->changeState(STATE_AVG, true, "missing.txt");
  update(xSystem::kSwitchFrame);
  EXPECT_EQ(engine::recordedMessageBoxes(),
            (std::vector<std::string>{"Fatal Error: Error loading AVGScript missing.txt"}));
  EXPECT_NE(log().find("xSystem: Error loading AVGScript missing.txt\n"), std::string::npos);
  EXPECT_EQ(system->getState(), STATE_TITLE);
  EXPECT_EQ(system->scriptName, "");
  EXPECT_FALSE(player->active);
}

TEST_F(SceneWiringTest, ASceneOverAStageChangesThePlayerRunsInTheFrameAndReturnsToTheStage) {
  xPlayer* player = xPlayer::getInstance();
  player->lives = 3;
  player->power = 1;
  system->setState(STATE_STG);
  ASSERT_TRUE(xAVGScriptReader::getInstance()->readFile(fixture("app_stage.txt")));
  system->changeState(STATE_AVG_IN_STG, false, "app_stage.txt");
  xAVG::getInstance()->buildOrders();
  xAVG::getInstance()->start();
  EXPECT_EQ(player->lives, 5);
  EXPECT_EQ(player->bombs, 7);
  EXPECT_EQ(player->power, xPlayer::kMaxPower);
  update();
  EXPECT_EQ(system->getState(), STATE_AVG_IN_STG);
  update();
  EXPECT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(system->scriptName, "");
}

}  // namespace
