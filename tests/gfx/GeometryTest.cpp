// Rectangles, vectors and colour words.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "gfx/hgeColor.h"
#include "gfx/hgeRect.h"
#include "gfx/hgeVector.h"

namespace {

TEST(hgeRectTest, TestPointIsHalfOpen) {
  hgeRect rect(0, 0, 10, 10);
  EXPECT_TRUE(rect.TestPoint(0, 0));
  EXPECT_TRUE(rect.TestPoint(9.99f, 9.99f));
  EXPECT_FALSE(rect.TestPoint(10, 5));
  EXPECT_FALSE(rect.TestPoint(5, 10));
  EXPECT_FALSE(rect.TestPoint(-0.01f, 5));
}

TEST(hgeRectTest, EncapsulateStartsOverWhenClean) {
  hgeRect rect(0, 0, 10, 10);
  rect.Clear();
  rect.Encapsulate(5, 7);
  EXPECT_EQ(rect.x1, 5);
  EXPECT_EQ(rect.x2, 5);
  EXPECT_EQ(rect.y1, 7);
  EXPECT_EQ(rect.y2, 7);
  EXPECT_FALSE(rect.bClean);
  rect.Encapsulate(-1, 20);
  rect.Encapsulate(8, 3);
  EXPECT_EQ(rect.x1, -1);
  EXPECT_EQ(rect.x2, 8);
  EXPECT_EQ(rect.y1, 3);
  EXPECT_EQ(rect.y2, 20);
}

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

TEST(hgeColorTest, WordConversionTruncates) {
  EXPECT_EQ(hgeColorRGB(1, 1, 1, 1).GetHWColor(), 0xFFFFFFFFu);
  EXPECT_EQ(hgeColorRGB(0.5f, 0.5f, 0.5f, 0.5f).GetHWColor(), 0x7F7F7F7Fu);
  EXPECT_EQ(GetHWColorFromFloats(1, 0.5f, 0, 0.25f), 0x3FFF7F00u);

  hgeColorRGB c;
  c.SetHWColor(0x80FF0000);
  EXPECT_EQ(c.r, 1);
  EXPECT_EQ(c.g, 0);
  EXPECT_EQ(c.b, 0);
  EXPECT_FLOAT_EQ(c.a, 128.0f / 255);
  EXPECT_EQ(c.GetHWColor(), 0x80FF0000u);
}

TEST(hgeColorTest, OutOfRangeChannelsSpillUntilClamped) {
  hgeColorRGB over(0, 0, 2, 0);  // blue 510 carries into green
  EXPECT_EQ(over.GetHWColor(), 0x000001FEu);
  hgeColorRGB under(0, 1, -1.0f / 255, 0);  // -1 borrows from green
  EXPECT_EQ(under.GetHWColor(), 0x0000FEFFu);
  under.Clamp();
  EXPECT_EQ(under.GetHWColor(), 0x0000FF00u);
  hgeColorRGB scaled = hgeColorRGB(1, 1, 1, 1) * 0.5f;
  EXPECT_EQ(scaled.GetHWColor(), 0x7F7F7F7Fu);
}

}  // namespace
