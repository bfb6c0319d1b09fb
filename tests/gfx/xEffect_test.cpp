// Frame-counted tweens: value sequences, start delays, the end and idle tweens.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/xEffect.h"

namespace {

struct Frame {
  float value;
  bool active;
  std::uint32_t counter;
};

// A tween's fields as its owner sets them; the rest as constructed.
struct Set {
  std::uint32_t counter = 0, end = 0, start = 0;
  float value = 0, step = 0, target = 0;
};

xEffectBase makeTween(const Set& s) {
  xEffectBase t;
  t.counter = s.counter;
  t.end = s.end;
  t.start = s.start;
  t.value = s.value;
  t.step = s.step;
  t.target = s.target;
  return t;
}

std::vector<Frame> run(xEffectBase& tween, int frames) {
  std::vector<Frame> seen;
  for (int i = 0; i < frames; ++i) {
    tween.update();
    seen.push_back({tween.value, tween.active, tween.counter});
  }
  return seen;
}

TEST(xEffectTest, OneFrameTweenStepsThenHitsTargetThenClears) {
  xEffectBase tween = makeTween({.end = 1, .value = 0, .step = 0.3f, .target = 0.5f});
  auto seen = run(tween, 3);
  EXPECT_FLOAT_EQ(seen[0].value, 0.3f);
  EXPECT_TRUE(seen[0].active);
  EXPECT_FLOAT_EQ(seen[1].value, 0.5f);
  EXPECT_TRUE(seen[1].active);
  EXPECT_EQ(seen[2].value, 0);
  EXPECT_FALSE(seen[2].active);
  EXPECT_EQ(seen[2].counter, 1u);
  EXPECT_EQ(tween.target, 0.5f);
  // Cleared means idle: nothing moves any more.
  run(tween, 5);
  EXPECT_EQ(tween.counter, 1u);
  EXPECT_FALSE(tween.active);
}

TEST(xEffectTest, TweenOverFourFramesReachesTargetOnFrameFour) {
  xEffectBase tween = makeTween({.end = 4, .value = 10, .step = (2.0f - 10.0f) / 4, .target = 2});
  auto seen = run(tween, 6);
  const float expected[] = {8, 6, 4, 2, 2};
  for (int i = 0; i < 5; ++i) {
    EXPECT_FLOAT_EQ(seen[i].value, expected[i]) << "frame " << i;
    EXPECT_TRUE(seen[i].active);
  }
  EXPECT_FALSE(seen[5].active);
}

TEST(xEffectTest, StartDelayHoldsTheValueAndKeepsCounting) {
  xEffectBase tween = makeTween({.end = 5, .start = 3, .value = 1, .step = 1, .target = 9});
  auto seen = run(tween, 7);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(seen[i].active) << i;
    EXPECT_EQ(seen[i].value, 1) << i;
    EXPECT_EQ(seen[i].counter, std::uint32_t(i + 1));
  }
  EXPECT_EQ(seen[3].value, 2);
  EXPECT_EQ(seen[4].value, 3);
  EXPECT_EQ(seen[5].value, 9);  // counter 5 == end
  EXPECT_FALSE(seen[6].active);
  EXPECT_EQ(tween.start, 0u);
}

TEST(xEffectTest, IdleTweenNeverChangesWhateverItsCounter) {
  xEffectBase tween = makeTween({.counter = 7, .value = 3, .step = 1});
  auto seen = run(tween, 4);
  for (const Frame& f : seen) {
    EXPECT_EQ(f.value, 3);
    EXPECT_FALSE(f.active);
    EXPECT_EQ(f.counter, 7u);
  }
}

TEST(xEffectTest, CounterAlreadyPastTheEndClearsAtOnce) {
  xEffectBase tween = makeTween({.counter = 9, .end = 3, .value = 5, .step = 1});
  tween.update();
  EXPECT_FALSE(tween.active);
  EXPECT_EQ(tween.value, 0);
  EXPECT_EQ(tween.counter, 1u);
}

TEST(xEffectCorTest, PairStepsTogetherAndResetClearsEverything) {
  xEffectCor tween;
  tween.end = 2;
  tween.x = 0;
  tween.y = 10;
  tween.stepX = 1.5f;
  tween.stepY = -5;
  tween.targetX = 3;
  tween.targetY = 0;
  tween.update();
  EXPECT_FLOAT_EQ(tween.x, 1.5f);
  EXPECT_FLOAT_EQ(tween.y, 5);
  tween.update();
  tween.update();
  EXPECT_EQ(tween.x, 3);
  EXPECT_EQ(tween.y, 0);
  tween.update();
  EXPECT_FALSE(tween.active);
  EXPECT_EQ(tween.x, 0);
  EXPECT_EQ(tween.stepY, 0);
  EXPECT_EQ(tween.targetX, 3);

  xEffectBase& base = tween;  // reset through the base must clear the pair
  tween.targetY = 4;
  tween.counter = 6;
  base.reset();
  EXPECT_EQ(tween.targetX, 0);
  EXPECT_EQ(tween.targetY, 0);
  EXPECT_EQ(tween.counter, 0u);
}

}  // namespace
