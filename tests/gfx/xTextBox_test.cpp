// Text boxes: reveal timing, wrapping and the bottom edge, "\n", gradient, fades, moves, the indicator, a missing font.
#include <gtest/gtest.h>

#include "gfx/xSpriteCharac.h"
#include "gfx/xTextBox.h"
#include "tests/engine/child_fixture.h"
#include "tests/gfx/font_fixture.h"

namespace {

class xTextBoxTest : public gfx::test::FontTest {
 protected:
  // A 16-pixel DejaVu box at (100, 50).
  static xTextBox box(float width, float height) { return xTextBox({100, 50, width, height}, "DejaVuSans.ttf", 16); }
  static void updates(xTextBox& b, int n) {
    for (int i = 0; i < n; ++i) b.Update(0);
  }
  void renders(xTextBox& b, int n) {
    for (int i = 0; i < n; ++i) capture([&] { b.Render(); });
  }
};

TEST_F(xTextBoxTest, RevealShowsOneCharacterEverySixUpdates) {
  xTextBox b = box(400, 100);
  ASSERT_NE(b.font, nullptr);
  b.revealOn = true;
  b.setText(L"0123456789");
  updates(b, 5);
  EXPECT_EQ(b.shownCount, 0u);
  updates(b, 1);
  EXPECT_EQ(b.shownCount, 1u);
  updates(b, 53);
  EXPECT_FALSE(b.isAllShown());
  updates(b, 1);
  EXPECT_TRUE(b.isAllShown());

  b.revealCounter.start(1, true);  // a script's faster reveal ends with the next text
  b.setText(L"xy");
  updates(b, 5);
  EXPECT_EQ(b.shownCount, 0u);
  b.setText(L"");
  EXPECT_TRUE(b.isAllShown());
}

TEST_F(xTextBoxTest, TextWrapsAfterTheCharacterThatCrossesTheEdgeAndStopsBelowTheBottom) {
  xTextBox b = box(40, 40);
  b.letterSpacing = 1;
  b.setText(std::wstring(30, L'A'));
  int step = b.font->GetTextSize(L"A").width + 1;
  int perLine = 40 / step + 1;  // the first whose end passes x + width
  const hgeTTGlyph& a = b.font->glyphs[b.font->getGlyph(L'A') - 1];
  auto quads = capture([&] { b.Render(); });
  // Lines start at y 50, 66 and 82; the next would start at 98 > 90.
  ASSERT_EQ(quads.size(), std::size_t(3 * perLine));
  for (int i = 0; i < 3 * perLine; ++i) {
    EXPECT_FLOAT_EQ(quads[i].v[0].x, float(100 + (i % perLine) * step + a.bitmapLeft)) << i;
    EXPECT_FLOAT_EQ(quads[i].v[0].y, float(50 + (i / perLine) * 16 + 16 - a.bitmapTop)) << i;
  }
  b.setText(L"AA\nA");
  quads = capture([&] { b.Render(); });
  ASSERT_EQ(quads.size(), 3u);
  EXPECT_FLOAT_EQ(quads[2].v[0].x, quads[0].v[0].x);
  EXPECT_FLOAT_EQ(quads[2].v[0].y, quads[0].v[0].y + 16);
}

TEST_F(xTextBoxTest, GradientStopsOneStepShortOfTheBottomColour) {
  xTextBox b = box(400, 100);
  b.setText(L"ABCD");
  b.setGradient(0xFFFF0000, 0xFF0000FF);
  auto quads = capture([&] { b.Render(); });
  ASSERT_EQ(quads.size(), 4u);
  EXPECT_EQ(quads[0].v[0].col, 0xFFFF0000u);
  EXPECT_EQ(quads[1].v[0].col, 0xFFBF003Fu);
  EXPECT_EQ(quads[3].v[0].col, 0xFF3F00BFu);
  b.setText(L"EF");  // the gradient stays for the next text
  EXPECT_FLOAT_EQ(b.chars[1].b, 0.5f);
}

TEST_F(xTextBoxTest, FadesAdvancePerDrawnFrameForShownCharactersOnly) {
  xTextBox b = box(400, 100);
  b.revealOn = true;
  b.fadeInOn = true;
  b.setText(L"AB");
  updates(b, 6);
  renders(b, 10);
  EXPECT_NEAR(b.chars[0].a, 0.5f, 1e-4);
  EXPECT_EQ(b.chars[1].a, 0);
  updates(b, 6);
  renders(b, 10);
  EXPECT_EQ(b.chars[0].a, 1);
  EXPECT_NEAR(b.chars[1].a, 0.5f, 1e-4);

  b.fadeOutOn = true;
  b.fadeStep = 0.25f;
  renders(b, 2);
  EXPECT_FLOAT_EQ(b.chars[0].a, 0.5f);
  renders(b, 2);
  EXPECT_EQ(b.chars[0].a, 0);
  EXPECT_EQ(b.chars[1].a, 0);
}

TEST_F(xTextBoxTest, MovesPlaceAtOnceOrArriveAndNeverStall) {
  xTextBox b = box(400, 100);
  b.moveTo(0, 10, 20);
  EXPECT_EQ(b.x, 10);
  b.moveTo(30, 310, 20);
  updates(b, 20);
  EXPECT_NEAR(b.x, 210, 1e-3);
  b.moveTo(10, 0, 0);  // shorter than the counter already is
  updates(b, 11);
  EXPECT_EQ(b.x, 0);
  EXPECT_EQ(b.y, 0);
}

TEST_F(xTextBoxTest, TheIndicatorFollowsTheLastCharacterOnceAllAreShown) {
  gfx::test::writePng("data/graphic/wait.png", 240, 8);
  gfx::test::writePng("data/graphic/frame.png", 64, 32);
  xTextBox b = box(400, 100);
  b.setFrame("frame.png", 6, 4);
  b.setIndicator("wait.png", 8, 8);
  b.setIndicator("wait.png", 8, 8);  // replaces the first
  b.revealOn = true;
  b.setText(L"AB");
  auto quads = capture([&] { b.Render(); });
  ASSERT_EQ(quads.size(), 1u);  // the frame alone, at the box
  EXPECT_FLOAT_EQ(quads[0].v[0].x, 100);

  updates(b, 12);
  quads = capture([&] { b.Render(); });
  ASSERT_EQ(quads.size(), 4u);  // frame, A, B, indicator
  int pen = 100 + 6 + b.font->GetTextSize(L"A").width + b.font->GetTextSize(L"B").width;
  EXPECT_FLOAT_EQ(quads[3].v[0].x, float(pen));
  EXPECT_FLOAT_EQ(quads[3].v[0].y, 50 + 4 - 5);
  EXPECT_FLOAT_EQ(quads[3].v[2].x - quads[3].v[0].x, 8);
}

TEST_F(xTextBoxTest, AMissingFontDrawsTheFrameButNoCharacters) {
  engine::setSystemFontOverride([](std::string_view) { return std::string(); });
  gfx::test::writePng("data/graphic/frame.png", 64, 32);
  xTextBox b({10, 10, 100, 100}, "missing.ttf", 16);
  EXPECT_EQ(b.font, nullptr);
  EXPECT_EQ(b.topColor.GetHWColor(), 0xFFFFFFFFu);
  b.setFrame("frame.png", 0, 0);
  b.setText(L"AB\nC");
  EXPECT_EQ(capture([&] { b.Render(); }).size(), 1u);
}

// A script that makes a box a frame and never deletes one: each held its
// characters at 48 bytes and up to 1.7 times over, and a box without a font
// walked all of them every frame.
TEST_F(xTextBoxTest, BoxesMadeEveryFrameCostTheirCharactersAlone) {
  ChildResult child = runChild([] {
    const long before = residentBytes();
    std::vector<std::unique_ptr<xTextBox>> boxes;
    for (int frame = 0; frame < 200; ++frame) {
      const char* font = frame % 2 ? "missing.ttf" : "DejaVuSans.ttf";
      boxes.push_back(std::make_unique<xTextBox>(gfx::BoxArea{0, 0, 320, 60}, font, 16));
      boxes.back()->setText(std::wstring(19200, L'x'));
      for (auto& box : boxes) box->Render();
    }
    return (residentBytes() - before) >> 20 < 120 ? 0 : 1;
  });
  EXPECT_TRUE(ranCleanly(child));
}

}  // namespace
