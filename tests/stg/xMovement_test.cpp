// The movement block's features, pinned by numbers worked out by hand.
#include "stg/xMovement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kEps = 1e-5f;

xMovement fresh() {
  xMovement m;
  m.init();
  return m;
}

TEST(xMovementTest, WindowIsActiveFromStartToEndThenClearsItself) {
  xMovement m = fresh();
  m.vx = 10;
  m.deceleration = 1;
  m.decelStart = m.decelEnd = 5;
  m.decelHeld = true;
  for (int step = 1; step <= 5; ++step) {
    m.step();
    EXPECT_FLOAT_EQ(m.vx, 10) << "step " << step;
  }
  m.step();  // the sixth step is the only active one
  EXPECT_FLOAT_EQ(m.vx, 9);
  EXPECT_TRUE(m.decelActive);
  m.step();
  EXPECT_FLOAT_EQ(m.vx, 9);
  EXPECT_FALSE(m.decelActive);
  EXPECT_FALSE(m.decelHeld);
  EXPECT_EQ(m.decelStart, 0);
  EXPECT_EQ(m.decelEnd, 0);
  EXPECT_EQ(m.decelCount, 0);

  // start..end = 0..2 is three steps; both 0 leaves a setter's flag alone.
  xMovement d = fresh();
  d.vx = 5;
  d.deceleration = 1;
  d.decelEnd = 2;
  for (int i = 0; i < 5; ++i) d.step();
  EXPECT_FLOAT_EQ(d.vx, 2);
  xMovement on = fresh();
  on.deceleration = 0.5f;
  on.decelActive = true;
  on.step();
  on.step();
  EXPECT_FLOAT_EQ(on.vx, -1);
}

TEST(xMovementTest, PushesActOnlyWhileTheStoredSpeedIsBelowTheMaximum) {
  xMovement m = fresh();
  m.accelX = 0.5f;
  m.gravitationOn = true;
  m.gravitation = 0.25f;
  m.force = 1;
  m.forceDegree = 180;
  m.step();
  m.step();
  EXPECT_NEAR(m.vx, 2 * (0.5f - 1), kEps);
  EXPECT_NEAR(m.vy, 0.5f, kEps);

  // The stored speed is not the real one: at the maximum nothing pushes.
  xMovement capped = fresh();
  capped.speed = 8;
  capped.accelY = 1;
  capped.gravitationOn = true;
  capped.gravitation = 1;
  capped.force = 1;
  capped.step();
  EXPECT_FLOAT_EQ(capped.vx, 0);
  EXPECT_FLOAT_EQ(capped.vy, 0);

  // Rotated acceleration, as the game has it: at heading 0, vx += a_x, vy -= a_y.
  xMovement rotated = fresh();
  rotated.accelRotated = true;
  rotated.accelX = 2;
  rotated.accelY = 3;
  rotated.step();
  EXPECT_NEAR(rotated.vx, 2, kEps);
  EXPECT_NEAR(rotated.vy, -3, kEps);

  // A relative force of 90 degrees pushes across the velocity.
  xMovement relative = fresh();
  relative.vx = 3;
  relative.force = 1;
  relative.forceDegree = 90;
  relative.forceRelative = true;
  relative.step();
  EXPECT_NEAR(relative.vx, 3, kEps);
  EXPECT_NEAR(relative.vy, 1, kEps);
}

TEST(xMovementTest, DeflectionTurnsFromTheSecondFrameWhenItGrowsFromNothing) {
  xMovement m = fresh();
  m.vx = 3;
  m.deflectionChange = 2;
  m.deflectHeld = true;
  m.step();
  EXPECT_FLOAT_EQ(m.deflection, 2);
  EXPECT_FLOAT_EQ(m.vx, 3);
  EXPECT_FLOAT_EQ(m.vy, 0);
  m.step();
  float a = 2 * 3.1415927f / 180;
  EXPECT_NEAR(m.heading, a, kEps);
  EXPECT_NEAR(m.vx, 3 * std::cos(a), kEps);
  EXPECT_NEAR(m.vy, 3 * std::sin(a), kEps);
  EXPECT_FLOAT_EQ(m.deflection, 4);
  // The turn refreshed the stored speed, so a push under a maximum of 2 stops.
  EXPECT_NEAR(m.speed, 3, kEps);
  m.maxSpeed = 2;
  m.deflectHeld = false;
  m.accelX = 1;
  float before = m.vx;
  m.step();
  EXPECT_FLOAT_EQ(m.vx, before);
}

TEST(xMovementTest, DelayedChangeOverwritesEveryActiveFrameSoOnlyThatFramesPushesCount) {
  xMovement m = fresh();
  m.delaySpeed = 2;
  m.delayDegree = 90;
  m.delayEnd = 1;  // steps 1 and 2
  m.accelY = 0.5f;
  m.step();
  EXPECT_NEAR(m.vx, 0, kEps);
  EXPECT_NEAR(m.vy, 2.5f, kEps);
  m.step();
  EXPECT_NEAR(m.vy, 2.5f, kEps);  // the first frame's push is lost
  m.step();
  EXPECT_NEAR(m.vy, 3.0f, kEps);
  EXPECT_FALSE(m.delayActive);
  EXPECT_FLOAT_EQ(m.heading, 0);  // heading and speed are left alone
  EXPECT_FLOAT_EQ(m.speed, 0);
}

}  // namespace
