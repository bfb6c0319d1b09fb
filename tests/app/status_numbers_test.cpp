// The shooting scene's status numbers: texts, formats, places, colours, and missing fonts.
#include <gtest/gtest.h>

#include <map>

#include "app/status_numbers.h"
#include "tests/gfx/font_fixture.h"

namespace {

constexpr const char* kMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

class StatusNumbersTest : public gfx::test::FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    scoreFont = fonts_->getFont(kMono, 18);
    statusFont = dejaVu(35);
    ASSERT_TRUE(scoreFont && statusFont);
  }
  void TearDown() override {
    scoreFont = statusFont = nullptr;
    FontTest::TearDown();
  }
  // Reads the drawn text back: each glyph texture belongs to one character.
  std::wstring textOf(const std::vector<hgeQuad>& quads) {
    std::map<HTEXTURE, wchar_t> chars;
    for (hgeTTFont* font : {scoreFont, statusFont})
      for (wchar_t c : std::wstring(L"0123456789.%-"))
        chars[font->glyphs[font->getGlyph(c) - 1].texture] = c;
    std::wstring text;
    for (const hgeQuad& q : quads) text += chars.count(q.tex) ? chars[q.tex] : L'?';
    return text;
  }
  float leftOf(hgeTTFont* font, wchar_t c) { return float(font->glyphs[font->getGlyph(c) - 1].bitmapLeft); }
};

TEST_F(StatusNumbersTest, SixNumbersInTheirFormatsPlacesAndColours) {
  scoreFont->SetKerningWidth(5);  // another user's kerning is undone first
  StatusNumbers numbers{12345, 7, 3, 2, 1.5, 0.125f, false};
  auto quads = capture([&] { renderStatusNumbers(numbers); });
  ASSERT_EQ(textOf(quads), L"000012345" L"000000007" L"3" L"2" L"1.50" L"12%");
  EXPECT_FLOAT_EQ(quads[0].v[0].x, 661 + leftOf(scoreFont, L'0'));
  EXPECT_FLOAT_EQ(quads[1].v[0].x - quads[0].v[0].x, float(scoreFont->getCharAdvance(L'0')));
  EXPECT_FLOAT_EQ(quads[9].v[0].x, 640 + leftOf(scoreFont, L'0'));
  EXPECT_EQ(quads[8].v[0].col, 0xFFFFFFFFu);
  int livesWidth = statusFont->GetTextSize(L"3").width;
  EXPECT_FLOAT_EQ(quads[18].v[0].x, float(40 - (livesWidth >> 1)) + leftOf(statusFont, L'3'));
  EXPECT_EQ(quads[18].v[0].col, 0xFFFF0000u);
  EXPECT_EQ(quads[24].v[0].col, 0xFFFF8000u);

  numbers.criticalDouble = true;
  EXPECT_EQ(textOf(capture([&] { renderStatusNumbers(numbers); })).substr(24), L"25%");
  numbers.criticalChance = 1e30f;  // shows 0 rather than overflowing
  numbers.score = 3000000000u;      // not negative
  std::wstring text = textOf(capture([&] { renderStatusNumbers(numbers); }));
  EXPECT_EQ(text.substr(9, 10), L"3000000000");
  EXPECT_EQ(text.substr(25), L"0%");
}

TEST_F(StatusNumbersTest, MissingFontsDrawNothing) {
  statusFont = nullptr;
  EXPECT_EQ(capture([] { renderStatusNumbers({}); }).size(), 18u);
  scoreFont = nullptr;
  EXPECT_TRUE(capture([] { renderStatusNumbers({}); }).empty());
}

}  // namespace
