// TrueType fonts: sharing per file and size, missing files, glyph textures, advances, measuring, drawing, Print.
#include <gtest/gtest.h>

#include <string>

#include "tests/gfx/font_fixture.h"

namespace {

using TTFontTest = gfx::test::FontTest;

const hgeTTGlyph& glyphOf(hgeTTFont* font, wchar_t unit) { return font->glyphs[font->getGlyph(unit) - 1]; }

TEST_F(TTFontTest, FontsAreSharedPerFileAndSizeAndMissingFilesAreRetried) {
  hgeTTFont* f16 = dejaVu(16);
  ASSERT_NE(f16, nullptr);
  EXPECT_EQ(dejaVu(16), f16);
  hgeTTFont* f20 = dejaVu(20);
  EXPECT_NE(f20, f16);
  EXPECT_EQ(f20->face, f16->face);
  EXPECT_EQ(fonts_->faceCount(), 1u);
  EXPECT_NE(fonts_->getFont("DATA\\Font\\dejavusans.TTF", 16), nullptr);  // through the resolver

  EXPECT_EQ(fonts_->getFont("data/font/Later.ttf", 16), nullptr);
  EXPECT_EQ(fonts_->getFont(nullptr, 16), nullptr);
  EXPECT_EQ(fonts_->faceCount(), 2u);
  installFont("data/font/Later.ttf");
  EXPECT_NE(fonts_->getFont("data/font/Later.ttf", 16), nullptr);
  EXPECT_EQ(dejaVu(0), nullptr);
}

// Sized to the glyph, not to a square power of two: a large size would
// otherwise cost up to eight times the glyph's own pixels.
TEST_F(TTFontTest, GlyphTexturesHoldTheCoverageWithOneClearRowAndColumn) {
  const hgeTTGlyph& w = glyphOf(dejaVu(40), L'W');
  ASSERT_GT(w.width, 30);
  EXPECT_EQ(w.texWidth, w.width + 1);
  EXPECT_EQ(w.texHeight, w.rows + 1);
  ASSERT_EQ(hge_->Texture_GetWidth(w.texture), w.texWidth);
  ASSERT_EQ(hge_->Texture_GetHeight(w.texture), w.texHeight);
  DWORD* pixels = hge_->Texture_Lock(w.texture, true);
  ASSERT_NE(pixels, nullptr);
  int opaque = 0;
  for (int y = 0; y < w.texHeight; ++y)
    for (int x = 0; x < w.texWidth; ++x) {
      DWORD c = x < w.width && y < w.rows ? w.bitmap[std::size_t(y) * w.width + x] : 0;
      ASSERT_EQ(pixels[y * w.texWidth + x], c * 0x01010101u) << x << "," << y;
      opaque += c == 255;
    }
  hge_->Texture_Unlock(w.texture);
  EXPECT_GT(opaque, 50);
}

// Past the full-resolution side a glyph keeps a smaller texture drawn
// enlarged over the place and size the full glyph would take; its measures
// stay those of the full size.
TEST_F(TTFontTest, GlyphsPastTheFullResolutionSideAreDrawnEnlargedFromASmallerTexture) {
  hgeTTFont* font = dejaVu(2000);
  const hgeTTGlyph& w = glyphOf(font, L'W');
  int side = std::max(w.width, w.rows);
  ASSERT_GT(side, hgeTTGlyph::kFullResolutionSide);
  EXPECT_LE(std::max(w.texWidth, w.texHeight), hgeTTGlyph::kFullResolutionSide + 2);
  EXPECT_EQ(font->getCharAdvance(L'W'), w.width + w.bitmapLeft);
  EXPECT_EQ(w.bitmap.size(), std::size_t(w.texWidth - 1) * std::size_t(w.texHeight - 1));
  font->scale = 0.5f;
  auto quads = capture([&] { font->Render(100, 50, 0, L"W"); });
  font->scale = 1;
  ASSERT_EQ(quads.size(), 1u);
  const hgeQuad& q = quads.front();
  float slack = w.texScale + 1;
  EXPECT_NEAR(q.v[0].x, 100 + float(w.bitmapLeft), slack);
  EXPECT_NEAR(q.v[0].y, 50 + float(2000 - w.bitmapTop), slack);
  EXPECT_NEAR(q.v[2].x - q.v[0].x, 0.5f * float(w.width), slack);
  EXPECT_NEAR(q.v[2].y - q.v[0].y, 0.5f * float(w.rows), slack);
}

TEST_F(TTFontTest, AdvancesAndMeasuring) {
  hgeTTFont* font = dejaVu(16);
  EXPECT_EQ(font->getCharAdvance(L' '), 8);     // no outline
  EXPECT_EQ(font->getCharAdvance(0x4E2D), 16);  // no CJK in DejaVu
  EXPECT_EQ(font->getCharAdvance(0x0378), 8);   // unassigned, below U+2000
  const hgeTTGlyph& w = glyphOf(font, L'W');
  int advanceW = w.width + w.bitmapLeft;
  EXPECT_EQ(font->getCharAdvance(L'W'), advanceW);
  font->SetKerningWidth(3);
  EXPECT_EQ(font->GetTextSize(L"W W").width, 2 * advanceW + 8 + 3 * 3);
  EXPECT_EQ(font->GetTextSize(L"W W").height, 16);
  EXPECT_EQ(font->GetTextSize(std::wstring(L"W\0W", 3)).width, advanceW + 3);
  // Without kerning.
  EXPECT_EQ(font->GetCharIndexAtWidth(L"W W", advanceW), 0);
  EXPECT_EQ(font->GetCharIndexAtWidth(L"W W", advanceW + 1), 1);
  EXPECT_EQ(font->GetCharIndexAtWidth(L"W W", 2 * advanceW + 9), -1);
  EXPECT_EQ(font->GetCharIndexAtWidth(L"", 0), -1);
}

// A size from a script may be anything: measures stay in the int range, and
// glyphs too large to draw are not drawn.
TEST_F(TTFontTest, MeasuresOfHugeSizesStayInRange) {
  hgeTTFont* font = dejaVu(INT32_MAX);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->GetTextSize(L"Stage Clear").width, INT32_MAX);
  EXPECT_EQ(font->GetCharIndexAtWidth(L"abc", INT32_MAX), 2);  // half the size each
  EXPECT_TRUE(capture([&] { font->Render(400, 300, 2, L"Stage Clear"); }).empty());
  hgeTTFont* small = dejaVu(16);
  small->SetKerningWidth(INT32_MIN);
  EXPECT_EQ(small->GetTextSize(L"WW").width, INT32_MIN);
}

TEST_F(TTFontTest, RenderPlacesGlyphsOnOneLineWithAlignment) {
  hgeTTFont* font = dejaVu(16);
  font->colour = 0x80FF0000;
  font->SetKerningWidth(2);
  const hgeTTGlyph& a = glyphOf(font, L'A');
  const hgeTTGlyph& b = glyphOf(font, L'B');
  int width = font->GetTextSize(L"A\nB").width;
  for (int align : {0, 1, 2}) {
    SCOPED_TRACE(align);
    auto quads = capture([&] { font->Render(100, 50, align, L"A\nB"); });
    float x = float(100 - (align == 1 ? width : align == 2 ? width >> 1 : 0));
    ASSERT_GE(quads.size(), 2u);
    EXPECT_EQ(quads.front().tex, a.texture);
    EXPECT_FLOAT_EQ(quads.front().v[0].x, x + float(a.bitmapLeft));
    EXPECT_FLOAT_EQ(quads.front().v[0].y, float(50 + 16 - a.bitmapTop));
    EXPECT_FLOAT_EQ(quads.front().v[2].x - quads.front().v[0].x, float(a.texWidth - 1));
    EXPECT_EQ(quads.front().v[0].col, 0x80FF0000u);
    // "\n" is a unit like any other: B stays on the line, after it.
    float penB = x + float(font->getCharAdvance(L'A') + 2 + font->getCharAdvance(L'\n') + 2);
    EXPECT_FLOAT_EQ(quads.back().v[0].x, penB + float(b.bitmapLeft));
    EXPECT_FLOAT_EQ(quads.back().v[0].y, float(50 + 16 - b.bitmapTop));
  }
}

TEST_F(TTFontTest, PrintFormatsIntoABoundedBuffer) {
  hgeTTFont* font = dejaVu(12);
  EXPECT_EQ(capture([&] { font->Print(0, 0, 0, "%d%%", 12); }).size(), 3u);
  EXPECT_EQ(capture([&] { font->Print(0, 0, 0, L"%.9d", 12345); }).size(), 9u);
  std::string longText(3000, 'x');
  std::wstring longWide(3000, L'x');
  // Every character at the pen's start, so none is passed over as off the screen.
  font->SetKerningWidth(-font->getCharAdvance('x'));
  EXPECT_EQ(capture([&] { font->Print(0, 0, 0, "%s", longText.c_str()); }).size(), 1023u);
  EXPECT_EQ(capture([&] { font->Print(0, 0, 0, L"%ls", longWide.c_str()); }).size(), 1023u);
  font->SetKerningWidth(0);
}

// A line far wider than the screen draws only the characters near it: a menu
// item of 20,000 characters drew 20,000 quads a frame.
TEST_F(TTFontTest, CharactersFarOffTheScreenAreNotDrawn) {
  hgeTTFont* font = dejaVu(12);
  std::wstring line(20000, L'x');
  const std::size_t onScreen = capture([&] { font->Render(0, 0, 0, line); }).size();
  const int advance = font->getCharAdvance('x');
  EXPECT_GT(onScreen, std::size_t(800 / advance));
  EXPECT_LT(onScreen, std::size_t(800 / advance + 64));
  const std::size_t centred = capture([&] { font->Render(400, 0, 2, line); }).size();
  EXPECT_GT(centred, std::size_t(800 / advance));
  EXPECT_LT(centred, std::size_t(800 / advance + 64));
}

}  // namespace
