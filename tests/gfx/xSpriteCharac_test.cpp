// Sprite characters: poses by move direction and speed, animation frame timing and their ends.
#include "gfx/xSpriteCharac.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/gfx/gfx_fixture.h"

namespace {

class CharacTest : public gfx::test::HeadlessEngineTest {
 protected:
  void SetUp() override {
    HeadlessEngineTest::SetUp();
    sheet_ = std::make_unique<xSprite>(makeTexture(512, 512), 0, 0, 512, 512);
  }
  void TearDown() override {
    sheet_.reset();
    HeadlessEngineTest::TearDown();
  }
  // The x of the texture rectangle the character shows; poses and frames
  // below are told apart by it.
  static float shownX(const xSpriteCharac& c) {
    float x, y, w, h;
    c.sprite->sprite->GetTextureRect(&x, &y, &w, &h);
    return x;
  }
  std::unique_ptr<xSpriteCharacWithAnim> animated() {
    auto c = std::make_unique<xSpriteCharacWithAnim>(*sheet_, 0, 0, 32, 32);
    c->setMoveRects(100, 0, 32, 32, 200, 0, 32, 32);
    c->poses[3].x = 300;
    c->poses[4].x = 400;
    return c;
  }
  // Adds animation [id] of [frames] frames at x = 10, 20, ...
  static void addFrames(xSpriteCharacWithAnim& c, int id, std::uint32_t length, int frames) {
    c.addAnim(id, length);
    for (int i = 1; i <= frames; ++i) c.addAnimFrame(id, 10.0f * i, 0, 32, 32);
  }
  static std::vector<float> shownOverUpdates(xSpriteCharac& c, int updates) {
    std::vector<float> shown;
    for (int i = 0; i < updates; ++i) {
      c.update();
      shown.push_back(shownX(c));
    }
    return shown;
  }

  std::unique_ptr<xSprite> sheet_;
};

TEST_F(CharacTest, FramesLastDurationPlusOneUpdatesAndAOneShotFallsBackToPoseZero) {
  auto c = animated();
  addFrames(*c, 7, 40, 4);  // duration 10
  c->setAnim(7);
  EXPECT_EQ(shownX(*c), 10);
  std::vector<float> shown = shownOverUpdates(*c, 45);
  std::vector<float> expected;
  for (float frame : {10.0f, 20.0f, 30.0f}) expected.insert(expected.end(), 11, frame);
  expected.insert(expected.end(), 10, 40.0f);
  expected.insert(expected.end(), 2, 0.0f);  // the 44th update ends it on pose 0
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(c->current, xSpriteCharacWithAnim::kNone);
  EXPECT_EQ(c->frameAt(0), nullptr);

  // Fewer game frames than animation frames: a new frame every update, and a loop wraps.
  addFrames(*c, 8, 2, 3);
  c->playAnim(8, 0, true);
  EXPECT_EQ(c->frameDuration, 0);
  // The wrap shows frame 0 in the update that leaves the last frame, so the
  // last frame of a loop shows one update less (here none).
  EXPECT_EQ(shownOverUpdates(*c, 4), (std::vector<float>{10, 20, 10, 10}));
  ASSERT_NE(c->frameAt(2), nullptr);
  EXPECT_EQ(c->frameAt(2)->x, 30);
  EXPECT_EQ(c->frameAt(3), nullptr);
  EXPECT_EQ(c->frameAt(-1), nullptr);
}

TEST_F(CharacTest, PlayAnimKeepsOrReplacesTheStoredLength) {
  auto c = animated();
  addFrames(*c, 1, 40, 4);
  c->playAnim(1, 0, false);
  EXPECT_EQ(c->frameDuration, 10);
  c->playAnim(1, 8, false);
  EXPECT_EQ(c->frameDuration, 2);
  c->setAnim(1);
  EXPECT_EQ(c->frameDuration, 2);  // replaced for good
  c->addAnim(2, 10);               // no frames: setAnim does nothing, adding stops the current one
  EXPECT_EQ(c->current, xSpriteCharacWithAnim::kNone);
  c->setAnim(2);
  EXPECT_EQ(c->current, xSpriteCharacWithAnim::kNone);
  c->setAnim(99);
  EXPECT_EQ(c->current, xSpriteCharacWithAnim::kNone);
}

TEST_F(CharacTest, AnimatedPoseFollowsTheStepSpeedWithSlowUpToTwoPixels) {
  auto c = animated();
  struct Case {
    float dx;
    float pose;
  };
  for (Case k : {Case{20, 400}, Case{21, 200}, Case{-20, 300}, Case{-21, 100}}) {
    c->setPos(0, 0);
    c->moveTo(10, k.dx, 0);
    c->update();
    EXPECT_EQ(shownX(*c), k.pose) << "dx " << k.dx;
    shownOverUpdates(*c, 12);
    EXPECT_EQ(shownX(*c), 0) << "after the move, dx " << k.dx;
  }
  // setPose outside 0..4 is ignored; inside it shows at once.
  c->setPose(5);
  c->setPose(-1);
  EXPECT_EQ(shownX(*c), 0);
  c->setPose(2);
  EXPECT_EQ(shownX(*c), 200);
}

TEST_F(CharacTest, PlainCharacterJumpsWithoutPoseAndShowsLeftWhileMovingLeft) {
  xSpriteCharac c(*sheet_, 0, 0, 32, 32);
  c.setMoveRects(100, 0, 32, 32, 200, 0, 32, 32);
  c.moveTo(1, 50, 60);
  c.update();
  EXPECT_EQ(c.sprite->x, 50);
  EXPECT_EQ(c.sprite->y, 60);
  EXPECT_EQ(c.currentPose, 0);
  c.moveTo(0, 70, 60);  // 0 frames places at once too, never dividing by zero
  EXPECT_EQ(c.sprite->x, 70);
  c.moveTo(4, 30, 60);
  c.update();
  EXPECT_EQ(c.currentPose, 1);
  EXPECT_FLOAT_EQ(c.sprite->x, 60);
  c.update();  // the pose chosen last update shows now
  EXPECT_EQ(shownX(c), 100);
  shownOverUpdates(c, 5);
  EXPECT_FLOAT_EQ(c.sprite->x, 30);
  EXPECT_EQ(c.currentPose, 0);
}

}  // namespace
