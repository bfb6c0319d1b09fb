// Rectangles.
#include <gtest/gtest.h>

#include "gfx/hgeRect.h"

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

}  // namespace
