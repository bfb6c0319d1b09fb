// The bitmap font: the fixed advance rule, measuring, hit testing, glyph placement and both pixel formats.
#include <gtest/gtest.h>

#include "gfx/GfxFont.h"
#include "gfx/text_format.h"
#include "tests/gfx/gfx_fixture.h"

namespace {

using gfx::test::HeadlessEngineTest;
using GfxFontTest = HeadlessEngineTest;

GfxFont* dejaVu(int size, bool antialias = true) {
  return new GfxFont(L"DejaVu Sans", size, {.bold = false, .italic = false, .antialias = antialias});
}

TEST_F(GfxFontTest, AdvancesMeasuringAndHitTesting) {
  for (auto [size, half] : {std::pair{15, 8}, {16, 8}, {17, 8}, {13, 6}, {14, 7}}) {
    std::unique_ptr<GfxFont> font(dejaVu(size));
    EXPECT_EQ(font->getCharAdvance(L'A'), half) << size;
    EXPECT_EQ(font->getCharAdvance(0x4E2D), size);
    EXPECT_EQ(font->getCharAdvance(0xFFFF), size);
  }
  std::unique_ptr<GfxFont> font(dejaVu(16));
  ASSERT_TRUE(font->hasFace());
  EXPECT_EQ(font->GetTextSize(L"").width, 0);
  EXPECT_EQ(font->GetTextSize(L"").height, 16);
  gfx::TextSize crlf = font->GetTextSize(L"ab\r\ncd");  // two line breaks
  EXPECT_EQ(crlf.width, 16);
  EXPECT_EQ(crlf.height, 48);
  font->SetKerningWidth(2.5f);
  font->SetKerningHeight(3);
  gfx::TextSize kerned = font->GetTextSize(L"ab\n\x4E2D" L"de");
  EXPECT_EQ(kerned.width, 39);  // (int)(18.5 + 10.5 + 10.5)
  EXPECT_EQ(kerned.height, 35);

  // Left edges belong to the character before.
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 8, 5), L'a');
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 11, 5), L'b');
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 0, 5), 0);
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 11, 16), L'b');
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 11, 20), L'd');
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 30, 5), 0);
}

TEST_F(GfxFontTest, GlyphsSitOnOneBaselineAndSkipU_FFFF) {
  std::unique_ptr<GfxFont> font(dejaVu(16));
  font->SetKerningWidth(1);
  font->SetColor(0xFF00FF00);
  auto quads = capture([&] { font->Render(10, 20, L"A\xFFFF" L"B\nC"); });
  ASSERT_EQ(quads.size(), 3u);
  const GfxGlyph* a = font->getGlyph(L'A');
  const GfxGlyph* b = font->getGlyph(L'B');
  const GfxGlyph* c = font->getGlyph(L'C');
  EXPECT_EQ(font->getGlyph(0xFFFF), nullptr);
  EXPECT_EQ(quads[0].tex, a->texture);
  EXPECT_FLOAT_EQ(quads[0].v[0].x, 10 - a->offsetX);
  EXPECT_FLOAT_EQ(quads[1].v[0].x, 10 + 8 + 1 + 16 + 1 - b->offsetX);
  EXPECT_FLOAT_EQ(quads[2].v[0].x, 10 - c->offsetX);
  // Capitals end on the baseline, one line apart.
  EXPECT_FLOAT_EQ(quads[0].v[2].y, quads[1].v[2].y);
  EXPECT_FLOAT_EQ(quads[2].v[2].y, quads[0].v[2].y + 16);
  EXPECT_GT(quads[0].v[2].y, 20 + 10);
  EXPECT_LT(quads[0].v[0].y, 20 + 5);
  EXPECT_FLOAT_EQ(quads[0].v[2].x - quads[0].v[0].x, a->width);
  EXPECT_EQ(quads[0].v[0].col, 0xFF00FF00u);
  EXPECT_EQ(hge_->Texture_GetWidth(a->texture), int(a->width));
  EXPECT_EQ(capture([&] { font->Print(0, 0, "%d%%", 12); }).size(), 3u);
}

// Antialiased glyphs are white with alpha 4 x level (65 levels, 64 -> 255);
// one-bit glyphs are opaque white or clear.
TEST_F(GfxFontTest, PixelFormats) {
  for (bool antialias : {true, false}) {
    SCOPED_TRACE(antialias);
    std::unique_ptr<GfxFont> font(dejaVu(24, antialias));
    const GfxGlyph* g = font->getGlyph(L'&');
    ASSERT_NE(g->texture, 0u);
    int w = hge_->Texture_GetWidth(g->texture);
    int h = hge_->Texture_GetHeight(g->texture);
    DWORD* pixels = hge_->Texture_Lock(g->texture, true);
    ASSERT_NE(pixels, nullptr);
    int full = 0, partial = 0, clear = 0;
    for (int i = 0; i < w * h; ++i) {
      DWORD alpha = pixels[i] >> 24;
      if (antialias) {
        EXPECT_EQ(pixels[i] & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_TRUE(alpha == 255 || alpha % 4 == 0) << alpha;
      } else {
        EXPECT_TRUE(pixels[i] == 0 || pixels[i] == 0xFFFFFFFF);
      }
      (alpha == 255 ? full : alpha == 0 ? clear : partial)++;
    }
    hge_->Texture_Unlock(g->texture);
    EXPECT_GT(full, 20);
    EXPECT_GT(clear, 20);
    EXPECT_EQ(partial > 0, antialias);
  }
}

std::wstring narrow(std::size_t capacity, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring out = gfx::formatNarrow(capacity, format, args);
  va_end(args);
  return out;
}

std::wstring wide(std::size_t capacity, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring out = gfx::formatWide(capacity, format, args);
  va_end(args);
  return out;
}

TEST(TextFormat, TruncatesWithoutSplittingACharacter) {
  EXPECT_EQ(narrow(16, "%.2f|%d", 2.5, -3), L"2.50|-3");
  EXPECT_EQ(narrow(8, "%s", "abcdef\xD6\xD0xyz"), L"abcdef");  // U+4E2D's lead byte would be cut
  EXPECT_EQ(narrow(9, "%s", "abcdef\xD6\xD0xyz"), L"abcdef\x4E2D");
  EXPECT_EQ(wide(8, L"%ls", L"abcdefghijk"), L"abcdefg");
  EXPECT_EQ(wide(8, L"%.9d", 5), L"0000000");
}

}  // namespace
