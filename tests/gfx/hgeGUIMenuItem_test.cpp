// Menu items: the rectangle, float-second focus and enter blends, the shadow, and a missing font.
#include <gtest/gtest.h>

#include "gfx/hgeGUIMenuItem.h"
#include "tests/gfx/font_fixture.h"

namespace {

using gfx::test::FontTest;
using MenuItemTest = FontTest;

constexpr float kFrame = 1.0f / 60.0f;

void run(hgeGUIMenuItem& item, int updates) {
  for (int i = 0; i < updates; ++i) item.Update(kFrame);
}

int alphaOf(const hgeGUIMenuItem& item) { return int(item.textColour.GetHWColor() >> 24); }

TEST_F(MenuItemTest, RectangleIsTheTitleCentredOnX) {
  hgeTTFont* font = dejaVu(16);
  hgeGUIMenuItem item(3, font, 0, 400, 300, 0, L"Start");
  float w = float(font->GetTextSize(L"Start").width);
  EXPECT_EQ(item.id, 3);
  EXPECT_FLOAT_EQ(item.rect.x1, 400 - w / 2);
  EXPECT_FLOAT_EQ(item.rect.x2, 400 + w / 2);
  EXPECT_FLOAT_EQ(item.rect.y1, 300);
  EXPECT_FLOAT_EQ(item.rect.y2, 316);
  EXPECT_FALSE(item.rect.bClean);

  hgeGUIMenuItem fontless(0, nullptr, 0, 400, 300, 0, L"Start");
  EXPECT_EQ(fontless.rect.x2, 0);
  EXPECT_TRUE(capture([&] { fontless.Render(); }).empty());
  fontless.Focus(true);
  run(fontless, 12);
  EXPECT_EQ(fontless.textColour.GetHWColor(), 0xFFFFFFFFu);

  for (int key : {HGEK_ENTER, HGEK_SPACE, HGEK_A}) EXPECT_FALSE(item.KeyClick(key, 0));
}

// 12 x (1/60) reaches 0.2 in float; it would not in double.
TEST_F(MenuItemTest, FocusBlendsOverTwelveFramesAndShiftsTheTitle) {
  hgeTTFont* font = dejaVu(16);
  hgeGUIMenuItem item(0, font, 0, 400, 300, 0, L"Go");
  item.Focus(true);
  run(item, 11);
  EXPECT_NE(item.focusTimer, -1);
  DWORD nearly = item.textColour.GetHWColor();
  EXPECT_GT(nearly >> 24, 0x70u);
  EXPECT_LT(nearly >> 24, 0xFFu);
  run(item, 1);
  EXPECT_EQ(item.focusTimer, -1);
  EXPECT_EQ(item.textColour.GetHWColor(), 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(item.offset, 2);

  auto quads = capture([&] { item.Render(); });
  ASSERT_EQ(quads.size(), 4u);  // shadow "Go", then the title
  EXPECT_FLOAT_EQ(quads[0].v[0].x - quads[2].v[0].x, 2 + 3 + 2);
  EXPECT_FLOAT_EQ(quads[0].v[0].y - quads[2].v[0].y, 3 + 2);
  EXPECT_EQ(quads[0].v[0].col, 0x60000000u);
  EXPECT_EQ(quads[2].v[0].col, 0xFFFFFFFFu);

  item.Focus(false);
  run(item, 12);
  EXPECT_NEAR(alphaOf(item), 0x70, 1);
  EXPECT_FLOAT_EQ(item.offset, 0);
}

TEST_F(MenuItemTest, EnterWaitsItsDelayAndHoldsTheFocusBlend) {
  hgeGUIMenuItem item(0, dejaVu(16), 0, 400, 300, 0.3f, L"Go");
  item.Enter();
  run(item, 17);  // 0.28 s
  EXPECT_EQ(alphaOf(item), 0x70);
  EXPECT_FALSE(item.IsDone());
  run(item, 4);  // 0.35 s: half way
  EXPECT_NEAR(alphaOf(item), (0x70 + 0xFF) / 2, 8);
  run(item, 4);  // 0.42 s
  EXPECT_TRUE(item.IsDone());
  EXPECT_EQ(item.textColour.GetHWColor(), 0xFFFFFFFFu);
  item.Leave();  // the same delay, towards the unfocused colour
  run(item, 17);
  EXPECT_EQ(item.textColour.GetHWColor(), 0xFFFFFFFFu);
  run(item, 8);
  EXPECT_TRUE(item.IsDone());
  EXPECT_NEAR(alphaOf(item), 0x70, 1);

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
