// The background's places in start-up, the frame and render order, and the state set-ups, with the game's own data.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/headless/headless.h"
#include "stg/xBackgroundManager.h"
#include "tests/app/app_fixture.h"

namespace {

class BackgroundWiringTest : public app::test::StartedGameTest {
 protected:
  void SetUp() override {
    StartedGameTest::SetUp();
    bg = xBackgroundManager::getInstance();
  }

  xBackgroundManager* bg = nullptr;
};

TEST_F(BackgroundWiringTest, StartUpShowsTheTitleSkyAndLoadsTheFrameAndTheSea) {
  ASSERT_NE(bg->background, nullptr);
  EXPECT_NE(bg->background->sprite, nullptr);
  EXPECT_EQ(bg->mode, stg::kModeStill);
  EXPECT_TRUE(bg->uiFrameEnabled);
  EXPECT_NE(bg->uiFrame->sprite, nullptr);
  EXPECT_NE(bg->fog->sprite, nullptr);
  EXPECT_TRUE(bg->sea.ready());
}

TEST_F(BackgroundWiringTest, AStageFrameStepsTheBackgroundTwiceAndADrawnFrameScrollsItOnce) {
  bg->set2DBackground("fog.png", 2, stg::kModeScroll);
  bg->addBackgroundCover("ui.png", 0.25f, 0, 0, 0, stg::kModeTurn);
  system->setState(STATE_STG);
  FrameFunc();
  EXPECT_FLOAT_EQ(bg->covers[0].sprite->rotation, 0.5f);
  system->setState(STATE_AVG_IN_STG);
  FrameFunc();
  EXPECT_FLOAT_EQ(bg->covers[0].sprite->rotation, 0.75f);
  EXPECT_FLOAT_EQ(bg->scrollRect.y, 600);
  RenderFunc();
  EXPECT_FLOAT_EQ(bg->scrollRect.y, 598);

  // The background under the scene, the interface frame over it.
  const auto& quads = engine::headless::recordedQuads();
  ASSERT_FALSE(quads.empty());
  EXPECT_EQ(quads[0].tex, bg->background->sprite->GetTexture());
  HTEXTURE frame = bg->uiFrame->sprite->GetTexture();
  auto framed = std::find_if(quads.begin(), quads.end(), [&](const hgeQuad& q) { return q.tex == frame; });
  ASSERT_NE(framed, quads.end());
  EXPECT_GT(framed - quads.begin(), 1);  // after the background and the turning cover
  system->setState(STATE_AVG);
  RenderFunc();
  for (const hgeQuad& q : engine::headless::recordedQuads()) EXPECT_NE(q.tex, frame);
}

TEST_F(BackgroundWiringTest, StateSetUpsClearTheLayers) {
  bg->fogEnabled = true;
  bg->fogSpeed = 3;
  system->changeState(STATE_AVG, false, "");
  EXPECT_FALSE(bg->fogEnabled);
  EXPECT_EQ(bg->fogSpeed, 0);

  bg->addBackgroundCover("ui.png", 0, 0, 0, 0, stg::kModeStill);
  bg->setSCBackground("ui.png", 64, 64, 2);
  switchTo(STATE_STG);
  EXPECT_TRUE(bg->covers.empty());
  EXPECT_EQ(bg->scBackground, nullptr);

  bg->seaEnabled = bg->fogEnabled = true;
  bg->addBackgroundCover("ui.png", 0, 0, 0, 0, stg::kModeStill);
  switchTo(STATE_AVG);  // the scene file is missing; the layers go all the same
  EXPECT_FALSE(bg->seaEnabled);
  EXPECT_FALSE(bg->fogEnabled);
  EXPECT_TRUE(bg->covers.empty());

  bg->setSCBackground("ui.png", 64, 64, 2);
  system->startNewGame();
  EXPECT_EQ(bg->scBackground, nullptr);

  bg->set2DBackground("fog.png", 2, stg::kModeScroll);
  switchTo(STATE_TITLE);
  EXPECT_EQ(bg->mode, stg::kModeStill);
  EXPECT_EQ(bg->background->sprite->GetHeight(), 600);  // the title sky, not the fog
}

}  // namespace
