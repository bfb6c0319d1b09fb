// TrueType fonts: sharing per file and size, missing files, glyph textures, advances, measuring, drawing, Print.
#include <gtest/gtest.h>

#include <string>

#include "tests/gfx/font_fixture.h"

namespace {

using gfx::test::FontTest;
using TTFontTest = FontTest;

TEST_F(TTFontTest, FontsAreSharedPerFileAndSizeAndMissingFilesAreRetried) {
  hgeTTFont* f16 = dejaVu(16);
  ASSERT_NE(f16, nullptr);
  EXPECT_EQ(dejaVu(16), f16);
  hgeTTFont* f20 = dejaVu(20);
  ASSERT_NE(f20, nullptr);
  EXPECT_NE(f20, f16);
  EXPECT_EQ(f20->face, f16->face);
  EXPECT_EQ(fonts_->faceCount(), 1u);

  // Opened through the resolver: folder and file names in any case.
  EXPECT_NE(fonts_->getFont("DATA\\Font\\dejavusans.TTF", 16), nullptr);
  EXPECT_EQ(fonts_->faceCount(), 2u);

  EXPECT_EQ(fonts_->getFont("data/font/Later.ttf", 16), nullptr);
  EXPECT_EQ(fonts_->getFont(nullptr, 16), nullptr);
  EXPECT_EQ(fonts_->faceCount(), 2u);
  installFont("data/font/Later.ttf");
  EXPECT_NE(fonts_->getFont("data/font/Later.ttf", 16), nullptr);

  EXPECT_EQ(dejaVu(0), nullptr);
  EXPECT_EQ(TTFontManager::getInstance(), fonts_.get());
  fonts_.reset();
  EXPECT_EQ(TTFontManager::getInstance(), nullptr);
}

TEST_F(TTFontTest, GlyphTexturesAreSquarePowersOfTwoHoldingTheCoverage) {
  hgeTTFont* font = dejaVu(40);
  ASSERT_NE(font, nullptr);
  unsigned index = font->getGlyph(L'W');
  ASSERT_GT(index, 0u);
  const hgeTTGlyph& w = font->glyphs[index - 1];
  ASSERT_GT(w.width, 30);
  EXPECT_EQ(w.texWidth, w.texHeight);
  EXPECT_GT(w.texWidth, w.width);
  EXPECT_GT(w.texWidth, w.rows);
  EXPECT_LE(w.texWidth, 2 * std::max(w.width, w.rows));
  EXPECT_EQ(w.texWidth & (w.texWidth - 1), 0);
  ASSERT_EQ(hge_->Texture_GetWidth(w.texture), w.texWidth);

  DWORD* pixels = hge_->Texture_Lock(w.texture, true);
  ASSERT_NE(pixels, nullptr);
  int inked = 0;
  for (int y = 0; y < w.texHeight; ++y)
    for (int x = 0; x < w.texWidth; ++x) {
      DWORD p = pixels[y * w.texWidth + x];
      DWORD c = x < w.width && y < w.rows ? w.bitmap[std::size_t(y) * w.width + x] : 0;
      ASSERT_EQ(p, c * 0x01010101u) << x << "," << y;
      inked += c == 255;
    }
  hge_->Texture_Unlock(w.texture);
  EXPECT_GT(inked, 50);
}

TEST_F(TTFontTest, AdvancesAndMeasuring) {
  hgeTTFont* font = dejaVu(16);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->getCharAdvance(L' '), 8);         // a space has no outline
  EXPECT_EQ(font->getCharAdvance(0x4E2D), 16);      // no CJK in DejaVu
  EXPECT_EQ(font->getCharAdvance(0x0378), 8);       // unassigned, below U+2000
  EXPECT_EQ(font->getGlyph(0x4E2D), 0u);
  const hgeTTGlyph& w = font->glyphs[font->getGlyph(L'W') - 1];
  int advanceW = w.width + w.bitmapLeft;
  EXPECT_EQ(font->getCharAdvance(L'W'), advanceW);

  font->SetKerningWidth(3);
  gfx::TextSize size = font->GetTextSize(L"W W");
  EXPECT_EQ(size.width, 2 * advanceW + 8 + 3 * 3);
  EXPECT_EQ(size.height, 16);
  EXPECT_EQ(font->GetTextSize(std::wstring(L"W\0W", 3)).width, advanceW + 3);
  // Kerning is not counted here.
  EXPECT_EQ(font->GetCharIndexAtWidth(L"W W", advanceW), 0);
  EXPECT_EQ(font->GetCharIndexAtWidth(L"W W", advanceW + 1), 1);
  EXPECT_EQ(font->GetCharIndexAtWidth(L"W W", 2 * advanceW + 8), 2);
  EXPECT_EQ(font->GetCharIndexAtWidth(L"W W", 2 * advanceW + 9), -1);
  EXPECT_EQ(font->GetCharIndexAtWidth(L"", 0), -1);
}

TEST_F(TTFontTest, RenderPlacesGlyphsOnOneLineWithAlignment) {
  hgeTTFont* font = dejaVu(16);
  ASSERT_NE(font, nullptr);
  font->colour = 0x80FF0000;
  font->SetKerningWidth(2);
  const hgeTTGlyph& a = font->glyphs[font->getGlyph(L'A') - 1];
  const hgeTTGlyph& b = font->glyphs[font->getGlyph(L'B') - 1];
  int advanceA = font->getCharAdvance(L'A');
  int width = font->GetTextSize(L"A\nB").width;

  for (int align : {0, 1, 2, 7}) {
    SCOPED_TRACE(align);
    auto quads = capture([&] { font->Render(100, 50, align, L"A\nB"); });
    int shift = align == 1 ? width : align == 2 ? width >> 1 : 0;
    ASSERT_GE(quads.size(), 2u);
    const hgeQuad& qa = quads.front();
    const hgeQuad& qb = quads.back();
    EXPECT_EQ(qa.tex, a.texture);
    EXPECT_FLOAT_EQ(qa.v[0].x, float(100 - shift + a.bitmapLeft));
    EXPECT_FLOAT_EQ(qa.v[0].y, float(50 + 16 - a.bitmapTop));
    EXPECT_FLOAT_EQ(qa.v[2].x - qa.v[0].x, float(a.texWidth - 1));
    EXPECT_EQ(qa.v[0].col, 0x80FF0000u);
    // "\n" is a unit like any other: B stays on the line, after it.
    int advanceNewline = font->getCharAdvance(L'\n');
    EXPECT_FLOAT_EQ(qb.v[0].x, float(100 - shift + advanceA + 2 + advanceNewline + 2 + b.bitmapLeft));
    EXPECT_FLOAT_EQ(qb.v[0].y, float(50 + 16 - b.bitmapTop));
  }
  auto centred = capture([&] { font->Render(100, 50, L"A", true, true); });
  ASSERT_EQ(centred.size(), 1u);
  EXPECT_FLOAT_EQ(centred[0].v[0].x, float(100 - ((advanceA + 2) >> 1) + a.bitmapLeft));
  EXPECT_FLOAT_EQ(centred[0].v[0].y, float(50 - 8 + 16 - a.bitmapTop));
}

TEST_F(TTFontTest, PrintFormatsIntoABoundedBuffer) {
  hgeTTFont* font = dejaVu(12);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(capture([&] { font->Print(0, 0, 0, "%d%%", 12); }).size(), 3u);
  EXPECT_EQ(capture([&] { font->Print(0, 0, 0, L"%.9d", 12345); }).size(), 9u);
  std::string longText(3000, 'x');
  std::wstring longWide(3000, L'x');
  EXPECT_EQ(capture([&] { font->Print(0, 0, 0, "%s", longText.c_str()); }).size(), 1023u);
  EXPECT_EQ(capture([&] { font->Print(0, 0, 0, L"%ls", longWide.c_str()); }).size(), 1023u);
}

}  // namespace
