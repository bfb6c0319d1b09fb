// The movement block's features, pinned by numbers worked out by hand.
#include "stg/xMovement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kEps = 1e-5f;

TEST(xMovementTest, WindowFromFiveToFiveIsActiveOnTheSixthStepOnlyThenClearsItself) {
  xMovement m;
  m.init();
  m.vx = 10;
  m.deceleration = 1;
  m.decelStart = m.decelEnd = 5;
  m.decelHeld = true;
  for (int step = 1; step <= 7; ++step) {
    m.step();
    EXPECT_FLOAT_EQ(m.vx, step < 6 ? 10 : 9) << "step " << step;
  }
  EXPECT_FALSE(m.decelActive);
  EXPECT_FALSE(m.decelHeld);
  EXPECT_EQ(m.decelStart + m.decelEnd + m.decelCount, 0);
}

TEST(xMovementTest, PushesActOnlyWhileTheStoredSpeedIsBelowTheMaximum) {
  xMovement m;
  m.init();
  m.accelX = 0.5f;
  m.gravitationOn = true;
  m.gravitation = 0.25f;
  m.force = 1;
  m.forceDegree = 180;
  m.step();
  EXPECT_NEAR(m.vx, 0.5f - 1, kEps);
  EXPECT_NEAR(m.vy, 0.25f, kEps);
  m.speed = m.maxSpeed;  // the stored speed, not the real one, stops every push
  m.step();
  EXPECT_NEAR(m.vx, -0.5f, kEps);

  xMovement rotated;  // as the game has it: at heading 0, vx += ax and vy -= ay
  rotated.init();
  rotated.accelRotated = true;
  rotated.accelX = 2;
  rotated.accelY = 3;
  rotated.step();
  EXPECT_NEAR(rotated.vx, 2, kEps);
  EXPECT_NEAR(rotated.vy, -3, kEps);
}

TEST(xMovementTest, DeflectionGrowingFromNothingTurnsFromTheSecondFrameAndRefreshesTheSpeed) {
  xMovement m;
  m.init();
  m.vx = 3;
  m.deflectionChange = 2;
  m.deflectHeld = true;
  m.step();
  EXPECT_FLOAT_EQ(m.deflection, 2);
  EXPECT_FLOAT_EQ(m.vy, 0);
  m.step();
  float a = 2 * 3.1415927f / 180;
  EXPECT_NEAR(m.heading, a, kEps);
  EXPECT_NEAR(m.vx, 3 * std::cos(a), kEps);
  EXPECT_NEAR(m.vy, 3 * std::sin(a), kEps);
  EXPECT_NEAR(m.speed, 3, kEps);
}

TEST(xMovementTest, DelayedChangeOverwritesEveryActiveFrameSoOnlyThatFramesPushesCount) {
  xMovement m;
  m.init();
  m.delaySpeed = 2;
  m.delayDegree = 90;
  m.delayEnd = 1;  // steps 1 and 2
  m.accelY = 0.5f;
  for (float expected : {2.5f, 2.5f, 3.0f}) {
    m.step();
    EXPECT_NEAR(m.vy, expected, kEps);
  }
  EXPECT_NEAR(m.vx, 0, kEps);
  EXPECT_FALSE(m.delayActive);
  EXPECT_EQ(m.heading, 0);  // heading and speed are left alone
}

}  // namespace
