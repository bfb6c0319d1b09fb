// Text boxes: reveal timing, wrapping and the bottom edge, "\n", gradient, fades, moves, the indicator, a missing font, the manager.
#include <gtest/gtest.h>

#include "gfx/xFontManager.h"
#include "gfx/xSpriteCharac.h"
#include "gfx/xTextBox.h"
#include "tests/gfx/font_fixture.h"

namespace {

using gfx::test::FontTest;

class xTextBoxTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    xFontManager::resetForTests();
    xTextBoxManager::resetForTests();
  }
  void TearDown() override {
    xTextBoxManager::resetForTests();
    xFontManager::resetForTests();
    FontTest::TearDown();
  }

  // A 16-pixel DejaVu box at (100, 50).
  static xTextBox box(float width, float height) { return xTextBox({100, 50, width, height}, "DejaVuSans.ttf", 16); }

  static void updates(xTextBox& b, int n) {
    for (int i = 0; i < n; ++i) b.Update(0);
  }
  static float alphaOf(const xTextBox& b, std::size_t i) { return b.chars[i].a; }
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
  b.addText(L"ab");  // appended: the reveal goes on at its pace
  EXPECT_EQ(b.shownCount, 10u);
  updates(b, 12);
  EXPECT_TRUE(b.isAllShown());

  // A script's faster reveal lasts until the next setText.
  b.revealCounter.start(1, true);
  b.setText(L"xy");
  updates(b, 5);
  EXPECT_EQ(b.shownCount, 0u);

  b.setText(L"");
  EXPECT_TRUE(b.isAllShown());
  b.revealOn = false;
  b.setText(L"abc");
  EXPECT_EQ(b.shownCount, 3u);
}

TEST_F(xTextBoxTest, TextWrapsAfterTheCharacterThatCrossesTheEdgeAndStopsBelowTheBottom) {
  xTextBox b = box(40, 40);
  b.letterSpacing = 1;
  b.setText(L"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
  hgeTTFont* font = b.font;
  int step = font->GetTextSize(L"A").width + 1;
  int perLine = 40 / step + 1;  // the first whose end passes x + width
  const hgeTTGlyph& a = font->glyphs[font->getGlyph(L'A') - 1];
  auto quads = capture([&] { b.Render(); });
  // Lines start at y 50, 66 and 82; the next would start at 98 > 90.
  ASSERT_EQ(quads.size(), std::size_t(3 * perLine));
  for (int i = 0; i < 3 * perLine; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FLOAT_EQ(quads[i].v[0].x, float(100 + (i % perLine) * step + a.bitmapLeft));
    EXPECT_FLOAT_EQ(quads[i].v[0].y, float(50 + (i / perLine) * 16 + 16 - a.bitmapTop));
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
  EXPECT_EQ(quads[2].v[0].col, 0xFF7F007Fu);
  EXPECT_EQ(quads[3].v[0].col, 0xFF3F00BFu);
  b.setText(L"EF");  // keeps the gradient over the new text
  EXPECT_FLOAT_EQ(b.chars[1].r, 0.5f);
  EXPECT_FLOAT_EQ(b.chars[1].b, 0.5f);
}

TEST_F(xTextBoxTest, FadesAdvancePerDrawnFrameForShownCharactersOnly) {
  xTextBox b = box(400, 100);
  b.revealOn = true;
  b.fadeInOn = true;
  b.setText(L"AB");
  updates(b, 6);
  for (int i = 0; i < 10; ++i) capture([&] { b.Render(); });
  EXPECT_NEAR(alphaOf(b, 0), 0.5f, 1e-4);
  EXPECT_EQ(alphaOf(b, 1), 0);
  updates(b, 6);
  for (int i = 0; i < 10; ++i) capture([&] { b.Render(); });
  EXPECT_EQ(alphaOf(b, 0), 1);
  EXPECT_NEAR(alphaOf(b, 1), 0.5f, 1e-4);

  b.fadeOutOn = true;
  b.fadeStep = 0.25f;
  for (int i = 0; i < 2; ++i) capture([&] { b.Render(); });
  EXPECT_FLOAT_EQ(alphaOf(b, 0), 0.5f);
  for (int i = 0; i < 2; ++i) capture([&] { b.Render(); });
  EXPECT_EQ(alphaOf(b, 0), 0);
  EXPECT_EQ(alphaOf(b, 1), 0);
  b.setText(L"C");  // a new text ends the fade-out
  EXPECT_FALSE(b.fadeOutOn);
}

TEST_F(xTextBoxTest, MovesPlaceAtOnceOrArriveAndNeverStall) {
  xTextBox b = box(400, 100);
  b.moveTo(0, 10, 20);
  EXPECT_EQ(b.x, 10);
  EXPECT_EQ(b.y, 20);
  b.moveTo(30, 310, 20);
  updates(b, 20);
  EXPECT_NEAR(b.x, 210, 1e-3);
  // A shorter move while the counter is already past its length restarts it.
  b.moveTo(10, 0, 0);
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
  b.setIndicator("wait.png", 8, 8);  // replaces the first cleanly
  b.revealOn = true;
  b.setText(L"AB");
  auto quads = capture([&] { b.Render(); });
  ASSERT_EQ(quads.size(), 1u);  // the frame alone
  EXPECT_FLOAT_EQ(quads[0].v[0].x, 100);
  EXPECT_FLOAT_EQ(quads[0].v[0].y, 50);

  updates(b, 12);
  ASSERT_TRUE(b.isAllShown());
  quads = capture([&] { b.Render(); });
  ASSERT_EQ(quads.size(), 4u);  // frame, A, B, indicator
  int pen = 100 + 6 + b.font->GetTextSize(L"A").width + b.font->GetTextSize(L"B").width;
  EXPECT_FLOAT_EQ(quads[3].v[0].x, float(pen));
  EXPECT_FLOAT_EQ(quads[3].v[0].y, 50 + 4 - 5);
  EXPECT_FLOAT_EQ(quads[3].v[2].x - quads[3].v[0].x, 8);
  float firstU = quads[3].v[0].tx;
  updates(b, 4);  // two updates per frame of the 30-frame loop
  quads = capture([&] { b.Render(); });
  EXPECT_GT(quads[3].v[0].tx, firstU);
}

TEST_F(xTextBoxTest, AMissingFontDrawsTheFrameButNoCharacters) {
  engine::setSystemFontOverride([](std::string_view) { return std::string(); });
  gfx::test::writePng("data/graphic/frame.png", 64, 32);
  xTextBox b({10, 10, 100, 100}, "missing.ttf", 16);
  EXPECT_EQ(b.font, nullptr);
  EXPECT_EQ(b.topColor.GetHWColor(), 0xFFFFFFFFu);
  b.setFrame("frame.png", 0, 0);
  b.setText(L"AB\nC");
  b.setGradient(0xFF00FF00, 0xFF0000FF);
  EXPECT_TRUE(b.isAllShown());
  EXPECT_EQ(capture([&] { b.Render(); }).size(), 1u);
}

TEST_F(xTextBoxTest, TheManagerReusesHoles) {
  xTextBoxManager* boxes = xTextBoxManager::getInstance();
  gfx::BoxArea area{0, 0, 100, 50};
  EXPECT_EQ(boxes->createTextBox("DejaVuSans.ttf", area, 20), 0);
  EXPECT_EQ(boxes->createTextBox("DejaVuSans.ttf", area, 20), 1);
  EXPECT_EQ(boxes->addTextBox("DejaVuSans.ttf", area), 2);
  EXPECT_EQ(boxes->getTextBox(2)->font->pixelSize, 16);
  boxes->deleteTextBox(1);
  boxes->deleteTextBox(1);
  boxes->deleteTextBox(-1);
  boxes->deleteTextBox(9);
  EXPECT_EQ(boxes->getTextBox(1), nullptr);
  EXPECT_EQ(boxes->createTextBox("DejaVuSans.ttf", area, 20), 1);
  EXPECT_EQ(boxes->createTextBox("DejaVuSans.ttf", area, 20), 3);

  boxes->getTextBox(0)->setText(L"A");
  boxes->getTextBox(3)->setText(L"BC");
  boxes->update();
  EXPECT_EQ(capture([&] { boxes->render(); }).size(), 3u);
}

}  // namespace
