// Menu items: float-second focus and enter blends, the shadow, and a missing font.
#include <gtest/gtest.h>

#include "gfx/hgeGUIMenuItem.h"
#include "tests/gfx/font_fixture.h"

namespace {

using MenuItemTest = gfx::test::FontTest;

void run(hgeGUIMenuItem& item, int updates) {
  for (int i = 0; i < updates; ++i) item.Update(1.0f / 60.0f);
}

int alphaOf(const hgeGUIMenuItem& item) { return int(item.textColour.GetHWColor() >> 24); }

// 12 x (1/60) reaches 0.2 in float; it would not in double.
TEST_F(MenuItemTest, FocusBlendsOverTwelveFramesAndShiftsTheTitle) {
  hgeGUIMenuItem item(0, dejaVu(16), 0, 400, 300, 0, L"Go");
  float w = float(dejaVu(16)->GetTextSize(L"Go").width);
  EXPECT_FLOAT_EQ(item.rect.x1, 400 - w / 2);
  EXPECT_FLOAT_EQ(item.rect.y2, 316);
  item.Focus(true);
  run(item, 11);
  EXPECT_NE(item.focusTimer, -1);
  EXPECT_GT(alphaOf(item), 0xF0);
  EXPECT_LT(alphaOf(item), 0xFF);
  run(item, 1);
  EXPECT_EQ(item.textColour.GetHWColor(), 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(item.offset, 2);

  auto quads = capture([&] { item.Render(); });
  ASSERT_EQ(quads.size(), 4u);  // the shadow's "Go", then the title's
  EXPECT_FLOAT_EQ(quads[0].v[0].x - quads[2].v[0].x, 2 + 3 + 2);
  EXPECT_FLOAT_EQ(quads[0].v[0].y - quads[2].v[0].y, 3 + 2);
  EXPECT_EQ(quads[0].v[0].col, 0x60000000u);
  EXPECT_EQ(quads[2].v[0].col, 0xFFFFFFFFu);

  item.Focus(false);
  run(item, 12);
  EXPECT_NEAR(alphaOf(item), 0x70, 1);
  EXPECT_FLOAT_EQ(item.offset, 0);

  hgeGUIMenuItem fontless(0, nullptr, 0, 400, 300, 0, L"Go");
  fontless.Focus(true);
  run(fontless, 12);
  EXPECT_EQ(fontless.textColour.GetHWColor(), 0xFFFFFFFFu);
  EXPECT_TRUE(capture([&] { fontless.Render(); }).empty());
}

TEST_F(MenuItemTest, EnterWaitsItsDelayAndHoldsTheFocusBlend) {
  hgeGUIMenuItem item(0, dejaVu(16), 0, 400, 300, 0.3f, L"Go");
  item.Enter();
  run(item, 17);  // 0.28 s
  EXPECT_EQ(alphaOf(item), 0x70);
  run(item, 4);  // 0.35 s: half way
  EXPECT_NEAR(alphaOf(item), (0x70 + 0xFF) / 2, 8);
  run(item, 4);  // 0.42 s
  EXPECT_TRUE(item.IsDone());
  EXPECT_EQ(item.textColour.GetHWColor(), 0xFFFFFFFFu);

  hgeGUIMenuItem focused(1, dejaVu(16), 0, 400, 300, 0, L"Go");
  focused.Enter();
  focused.Focus(true);
  run(focused, 3);
  EXPECT_EQ(focused.focusTimer, 0);  // held while the fade runs
  run(focused, 4);
  ASSERT_TRUE(focused.IsDone());
  EXPECT_GT(focused.focusTimer, 0);
}

}  // namespace
