// Backgrounds as drawn: scroll and wrap rectangles, places by state, covers, fog, the spell-card strip, fades and the sea.
#include "stg/xBackgroundManager.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/stg/background_fixture.h"

namespace {

constexpr float kEps = 1e-4f;

class BackgroundManagerTest : public stg::test::BackgroundTest {
 protected:
  std::vector<hgeQuad> draw() {
    return capture([] { background()->render(); });
  }
  std::vector<hgeQuad> drawTimes(int times) {
    for (int i = 1; i < times; ++i) draw();
    return draw();
  }
};

// The quad's place on screen and the rows of the texture it shows, of [textureHeight].
void expectRows(const hgeQuad& q, float x, float y, float h, float firstRow, float textureHeight) {
  EXPECT_NEAR(q.v[0].x, x, kEps);
  EXPECT_NEAR(q.v[0].y, y, kEps);
  EXPECT_NEAR(q.v[2].y, y + h, kEps);
  EXPECT_NEAR(q.v[0].ty, firstRow / textureHeight, kEps);
  EXPECT_NEAR(q.v[2].ty, (firstRow + h) / textureHeight, kEps);
}

TEST_F(BackgroundManagerTest, AScrollingBackgroundWrapsAtTheImageTopAndStartsAgain) {
  enterState(STATE_STG);
  background()->set2DBackground("bg.png", 2, stg::kModeScroll);  // 1200 rows
  auto quads = draw();
  ASSERT_EQ(quads.size(), 1u);
  expectRows(quads[0], 100, 20, 600, 598, 1200);  // at the play field's corner
  EXPECT_NEAR(quads[0].v[2].x, 550, kEps);
  quads = drawTimes(299);
  ASSERT_EQ(quads.size(), 1u);
  expectRows(quads[0], 100, 20, 600, 0, 1200);
  // Past the top the bottom of the image fills the gap.
  quads = draw();
  ASSERT_EQ(quads.size(), 2u);
  expectRows(quads[0], 100, 20, 600, -2, 1200);
  expectRows(quads[1], 100, 20, 2, 1198, 1200);
  quads = drawTimes(299);  // a whole screen past the top
  ASSERT_EQ(quads.size(), 2u);
  expectRows(quads[1], 100, 20, 600, 600, 1200);
  quads = draw();
  ASSERT_EQ(quads.size(), 1u);
  expectRows(quads[0], 100, 20, 600, 598, 1200);
}

TEST_F(BackgroundManagerTest, ScrollingFollowsDrawnFramesAndCoversUseTheBackgroundSpeed) {
  enterState(STATE_STG);
  xBackgroundManager* bg = background();
  bg->set2DBackground("bg.png", 3, stg::kModeScroll);
  bg->addBackgroundCover("bg.png", 50, 30, 40, 0, stg::kModeScroll);
  for (int i = 0; i < 10; ++i) bg->update();
  EXPECT_EQ(bg->scrollRect.y, 600);
  auto quads = draw();
  ASSERT_EQ(quads.size(), 2u);
  expectRows(quads[0], 100, 20, 600, 597, 1200);
  expectRows(quads[1], 30, 40, 600, 597, 1200);  // at its own place, at 3 not 50
}

TEST_F(BackgroundManagerTest, TheBackgroundSitsOnThePlayFieldOnlyInStageScenes) {
  xBackgroundManager* bg = background();
  bg->set2DBackground("cover.png", 0, stg::kModeScroll);
  EXPECT_EQ(bg->mode, stg::kModeStill);  // no speed, no scrolling
  struct Case {
    GameState state, previous;
    float x, y;
  };
  for (Case c : {Case{STATE_TITLE, STATE_TITLE, 0, 0}, Case{STATE_STG, STATE_TITLE, 100, 20},
                 Case{STATE_GAMEOVER, STATE_STG, 100, 20}, Case{STATE_SCOREBOARD, STATE_STG, 100, 20},
                 Case{STATE_AVG, STATE_STG, 0, 0}, Case{STATE_PAUSE, STATE_AVG, 0, 0},
                 Case{STATE_PAUSE, STATE_AVG_IN_STG, 100, 20}, Case{STATE_PAUSE, STATE_SCOREBOARD, 100, 20}}) {
    enterState(c.state, c.previous);
    auto quads = draw();
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].v[0].x, c.x) << c.state << " after " << c.previous;
    EXPECT_EQ(quads[0].v[0].y, c.y) << c.state << " after " << c.previous;
  }
  bg->set2DBackground(nullptr, 1, stg::kModeScroll);
  EXPECT_TRUE(draw().empty());
}

TEST_F(BackgroundManagerTest, TheFogWrapsHalfATexelTallerAtThePlayFieldCorner) {
  enterState(STATE_TITLE);  // the fog keeps to the play field whatever the state
  xBackgroundManager* bg = background();
  bg->fogEnabled = true;
  bg->fogSpeed = 2;
  auto quads = drawTimes(300);
  ASSERT_EQ(quads.size(), 1u);
  expectRows(quads[0], 100, 20, 600, 0, 1200);
  EXPECT_NEAR(quads[0].v[0].tx, 300.0f / 750, kEps);
  EXPECT_EQ(quads[0].v[0].col, 0xEEFFFFFFu);
  quads = draw();
  ASSERT_EQ(quads.size(), 2u);
  expectRows(quads[0], 100, 20, 600, -2, 1200);
  expectRows(quads[1], 100, 20, 2.5f, 1198, 1200);
  quads = drawTimes(299);
  ASSERT_EQ(quads.size(), 2u);
  expectRows(quads[1], 100, 20, 600.5f, 600, 1200);
  expectRows(draw()[0], 100, 20, 600, 598, 1200);
}

// Covers of the fog's own picture share its one decoded copy with the fog
// layer; clearing them must leave the fog its picture.
TEST_F(BackgroundManagerTest, CoversOfTheFogPictureShareItAndClearingThemLeavesTheFog) {
  xBackgroundManager* bg = background();
  for (int i = 0; i < 3; ++i) bg->addBackgroundCover("fog.png", 0, 0, 0, 0, stg::kModeStill);
  const DWORD* fogPixels = pixelsOf(bg->fog->texture.get());
  ASSERT_NE(fogPixels, nullptr);
  for (const auto& cover : bg->covers) EXPECT_EQ(pixelsOf(cover.sprite->texture.get()), fogPixels);
  bg->clearBackgroundCover();
  bg->fogEnabled = true;
  auto quads = draw();
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].tex, bg->fog->texture.get());
  EXPECT_EQ(hge_->Texture_GetWidth(quads[0].tex), 750);
  EXPECT_EQ(pixelsOf(quads[0].tex), fogPixels);
}

TEST_F(BackgroundManagerTest, FadesAndTurningStepPerUpdate) {
  enterState(STATE_STG);
  xBackgroundManager* bg = background();
  bg->set2DBackground("cover.png", 0.1f, stg::kModeTurn);  // 100 x 50
  bg->addBackgroundCover("cover.png", 0, 0, 0, 20, stg::kModeStill);
  bg->addBackgroundCover("cover.png", 0, 0, 0, -5, stg::kModeStill);
  EXPECT_FLOAT_EQ(bg->covers[0].sprite->color.a, 0.01f);
  EXPECT_FLOAT_EQ(bg->covers[1].sprite->color.a, 1);  // a negative count shows it at once
  bg->setBackgroundAlpha(0.5f);
  for (int i = 0; i < 3; ++i) bg->update();
  EXPECT_NEAR(bg->background->rotation, 0.3f, 1e-6);
  // Turned about the screen centre, whatever the state.
  const hgeQuad turned = draw()[0];
  EXPECT_NEAR((turned.v[0].x + turned.v[2].x) / 2, 400, 1e-3);
  EXPECT_NEAR((turned.v[0].y + turned.v[2].y) / 2, 300, 1e-3);
  for (int i = 3; i < 20; ++i) bg->update();
  EXPECT_FLOAT_EQ(bg->background->color.a, 0.5f);
  EXPECT_FLOAT_EQ(bg->covers[0].sprite->color.a, 1);
  bg->clearBackgroundCover();
  EXPECT_EQ(draw().size(), 1u);
}

TEST_F(BackgroundManagerTest, TheSpellCardStripFadesInAtTheDefaultPlayField) {
  enterState(STATE_STG);
  xBackgroundManager* bg = background();
  bg->setSCBackground("sc.png", 64, 64, 4);  // 256 x 64
  ASSERT_EQ(bg->scBackground->anims.size(), 1u);
  const xAnimation& strip = bg->scBackground->anims[0];
  EXPECT_EQ(strip.length, 400u);
  ASSERT_EQ(strip.frames.size(), 4u);
  EXPECT_EQ(strip.frames[3].x, 192);
  EXPECT_EQ(bg->scBackground->current, xSpriteCharacWithAnim::kNone);  // recorded, not playing
  EXPECT_FLOAT_EQ(bg->scBackground->sprite->color.a, 0.01f);
  for (int i = 0; i < 45; ++i) bg->update();
  EXPECT_FLOAT_EQ(bg->scBackground->sprite->color.a, 1);
  auto quads = draw();
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].v[0].x, 175);  // not the configured corner (100, 20)
  EXPECT_EQ(quads[0].v[0].y, 0);
  EXPECT_NEAR(quads[0].v[2].tx, 0.25f, kEps);
  bg->setSCBackgroundAlpha(0);
  for (int i = 0; i <= 30; ++i) bg->update();
  EXPECT_TRUE(draw().empty());
  bg->setSCBackground("sc.png", 1, 1, 2000000000);
  EXPECT_LE(bg->scBackground->anims[0].frames.size(), 1024u);
  bg->setSCBackground(nullptr, 64, 64, 4);
  EXPECT_EQ(bg->scBackground, nullptr);
}

TEST_F(BackgroundManagerTest, TheSeaRunsOnlyWhileEnabledBetweenCoversAndFog) {
  enterState(STATE_STG);
  xBackgroundManager* bg = background();
  bg->set2DBackground("cover.png", 0, stg::kModeStill);
  bg->fogEnabled = true;
  bg->update();
  EXPECT_EQ(bg->sea.seqId, 0);
  EXPECT_EQ(draw().size(), 2u);
  bg->seaEnabled = true;
  bg->update();
  EXPECT_EQ(bg->sea.seqId, 4);  // 14:00 by default
  auto quads = draw();
  ASSERT_GT(quads.size(), 200u);
  EXPECT_EQ(quads[0].v[0].x, 100);                // the background first
  EXPECT_EQ(quads[1].v[2].x, 800);                // then the sky across the window
  EXPECT_EQ(quads.back().v[0].col, 0xEEFFFFFFu);  // and the fog over the sea
}

}  // namespace
