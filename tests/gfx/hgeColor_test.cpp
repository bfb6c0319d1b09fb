// Colours and colour words.
#include <gtest/gtest.h>

#include "gfx/hgeColor.h"

namespace {

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
