// Vectors and their angles.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "gfx/hgeVector.h"

namespace {

TEST(hgeVectorTest, InvSqrtUsesOneNewtonStepWithTheSkewedHalf) {
  // The bit trick guesses 0.4831075 for 4; one step with 0.4999 gives
  // 0.4991987, where the textbook 0.5 would give 0.4991536.
  EXPECT_FLOAT_EQ(InvSqrt(4.0f), 0.499198675f);
  EXPECT_FLOAT_EQ(InvSqrt(1.0f), 0.99839735f);
}

TEST(hgeVectorTest, AngleOfOneVectorAndBetweenTwo) {
  const float halfPi = std::numbers::pi_v<float> / 2;
  hgeVector down(0, 1);
  hgeVector right(1, 0);
  EXPECT_FLOAT_EQ(down.Angle(), halfPi);
  EXPECT_NEAR(right.Angle(&down), halfPi, 1e-3f);
  hgeVector left(-3, 0);
  // acos is steep near -1 and 1, so InvSqrt's error shows most there.
  EXPECT_NEAR(right.Angle(&left), std::numbers::pi_v<float>, 0.1f);
}

TEST(hgeVectorTest, AngleOfParallelVectorsIsNeverNaN) {
  // InvSqrt overestimates slightly near a squared length of 1.175 (and
  // 0.282), so the raw dot product of parallel vectors exceeds 1 there.
  for (float length : {1.0841f, 0.531f, 1.0f, 3.0f}) {
    hgeVector a(length, 0);
    hgeVector b(-length, 0);
    float same = a.Angle(&a);
    float opposite = a.Angle(&b);
    EXPECT_FALSE(std::isnan(same)) << length;
    EXPECT_FALSE(std::isnan(opposite)) << length;
    EXPECT_NEAR(same, 0, 0.1f);
    EXPECT_NEAR(opposite, std::numbers::pi_v<float>, 0.1f);
    EXPECT_LE(opposite, std::numbers::pi_v<float>);
  }
}

}  // namespace
