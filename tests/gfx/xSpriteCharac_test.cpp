// Sprite characters: poses by move direction and speed, animation frame timing and their ends.
#include "gfx/xSpriteCharac.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/gfx/gfx_fixture.h"

namespace {

// Poses and frames are told apart by the x of the texture rectangle shown:
// pose 0 at 0, poses 1-4 at 100-400, animation frames at 10, 20, ...
class CharacTest : public gfx::test::HeadlessEngineTest {
 protected:
  void SetUp() override {
    HeadlessEngineTest::SetUp();
    sheet_ = std::make_unique<xSprite>(makeTexture(512, 512), 0, 0, 512, 512);
    c_ = std::make_unique<xSpriteCharacWithAnim>(*sheet_, 0, 0, 32, 32);
    c_->setMoveRects(100, 0, 32, 32, 200, 0, 32, 32);
    c_->poses[3].x = 300;
    c_->poses[4].x = 400;
  }
  void TearDown() override {
    c_.reset();
    sheet_.reset();
    HeadlessEngineTest::TearDown();
  }
  static float shown(const xSpriteCharac& c) {
    float x, y, w, h;
    c.sprite->sprite->GetTextureRect(&x, &y, &w, &h);
    return x;
  }
  static std::vector<float> shownOver(xSpriteCharac& c, int updates) {
    std::vector<float> out;
    for (int i = 0; i < updates; ++i) {
      c.update();
      out.push_back(shown(c));
    }
    return out;
  }
  void addFrames(int id, std::uint32_t length, int frames) {
    c_->addAnim(id, length);
    for (int i = 1; i <= frames; ++i) c_->addAnimFrame(id, 10.0f * i, 0, 32, 32);
  }

  std::unique_ptr<xSprite> sheet_;
  std::unique_ptr<xSpriteCharacWithAnim> c_;
};

TEST_F(CharacTest, FramesLastDurationPlusOneUpdatesAndAOneShotFallsBackToPoseZero) {
  addFrames(7, 40, 4);  // duration 10
  c_->setAnim(7);
  std::vector<float> expected;
  for (float frame : {10.0f, 20.0f, 30.0f}) expected.insert(expected.end(), 11, frame);
  expected.insert(expected.end(), 10, 40.0f);
  expected.insert(expected.end(), 2, 0.0f);  // the 44th update ends it on pose 0
  EXPECT_EQ(shownOver(*c_, 45), expected);
  EXPECT_EQ(c_->frameAt(0), nullptr);

  // Fewer game frames than frames: duration 0. The wrap shows frame 0 in the
  // update that leaves the last frame, so a loop's last frame shows one update less.
  addFrames(8, 2, 3);
  c_->playAnim(8, 0, true);
  EXPECT_EQ(shownOver(*c_, 4), (std::vector<float>{10, 20, 10, 10}));
  EXPECT_EQ(c_->frameAt(2)->x, 30);
  EXPECT_EQ(c_->frameAt(3), nullptr);
  c_->playAnim(8, 9, false);  // a new length is kept for good
  c_->setAnim(8);
  EXPECT_EQ(c_->frameDuration, 3);
}

TEST_F(CharacTest, AnimatedPoseFollowsTheStepSpeedWithSlowUpToTwoPixels) {
  for (auto [dx, pose] : {std::pair{20.0f, 400.0f}, {21.0f, 200.0f}, {-20.0f, 300.0f}, {-21.0f, 100.0f}}) {
    c_->setPos(0, 0);
    c_->moveTo(10, dx, 0);
    c_->update();
    EXPECT_EQ(shown(*c_), pose) << dx;
    shownOver(*c_, 12);
    EXPECT_EQ(shown(*c_), 0) << dx;
  }
  c_->setPose(5);  // outside 0..4: ignored
  c_->setPose(2);
  EXPECT_EQ(shown(*c_), 200);
}

TEST_F(CharacTest, PlainCharacterJumpsWithoutPoseAndShowsLeftWhileMovingLeft) {
  xSpriteCharac c(*sheet_, 0, 0, 32, 32);
  c.setMoveRects(100, 0, 32, 32, 200, 0, 32, 32);
  c.moveTo(1, 50, 60);
  c.update();
  EXPECT_EQ(c.sprite->x, 50);
  EXPECT_EQ(c.currentPose, 0);
  c.moveTo(0, 70, 60);  // 0 frames places at once too, never dividing by zero
  EXPECT_EQ(c.sprite->x, 70);
  c.moveTo(4, 30, 60);
  c.update();
  c.update();  // the pose chosen last update shows now
  EXPECT_EQ(shown(c), 100);
  shownOver(c, 5);
  EXPECT_FLOAT_EQ(c.sprite->x, 30);
  EXPECT_EQ(shown(c), 0);
}

}  // namespace
