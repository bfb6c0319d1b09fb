// The bitmap font: the fixed advance rule, measuring, hit testing, glyph placement, both pixel formats, bounded formatting.
#include <gtest/gtest.h>

#include <limits>

#include "engine/glyph_provider.h"
#include "gfx/GfxFont.h"
#include "gfx/text_format.h"
#include "tests/gfx/gfx_fixture.h"

namespace {

using GfxFontTest = gfx::test::HeadlessEngineTest;

std::unique_ptr<GfxFont> dejaVu(int size, bool antialias = true) {
  return std::make_unique<GfxFont>(L"DejaVu Sans", size, gfx::FontStyle{.antialias = antialias});
}

TEST_F(GfxFontTest, AdvancesMeasuringAndHitTesting) {
  for (auto [size, half] : {std::pair{15, 8}, {16, 8}, {17, 8}, {13, 6}}) {
    auto font = dejaVu(size);
    EXPECT_EQ(font->getCharAdvance(L'A'), half) << size;  // half to even
    EXPECT_EQ(font->getCharAdvance(0x4E2D), size);
  }
  auto font = dejaVu(16);
  EXPECT_EQ(font->GetTextSize(L"").height, 16);
  gfx::TextSize crlf = font->GetTextSize(L"ab\r\ncd");  // two line breaks
  EXPECT_EQ(crlf.width, 16);
  EXPECT_EQ(crlf.height, 48);
  font->SetKerningWidth(2.5f);
  font->SetKerningHeight(3);
  gfx::TextSize kerned = font->GetTextSize(L"ab\n\x4E2D" L"de");
  EXPECT_EQ(kerned.width, 39);  // (int)(18.5 + 10.5 + 10.5)
  EXPECT_EQ(kerned.height, 35);
  // A left edge belongs to the character before.
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 8, 5), L'a');
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 11, 5), L'b');
  EXPECT_EQ(font->GetCharacterFromPos(L"ab\ncd", 11, 20), L'd');
}

TEST_F(GfxFontTest, GlyphsSitOnOneBaselineAndU_FFFFIsSkipped) {
  auto font = dejaVu(16);
  font->SetKerningWidth(1);
  font->SetColor(0xFF00FF00);
  auto quads = capture([&] { font->Render(10, 20, L"A\xFFFF" L"B\nC"); });
  ASSERT_EQ(quads.size(), 3u);
  const GfxGlyph* a = font->getGlyph(L'A');
  EXPECT_EQ(font->getGlyph(0xFFFF), nullptr);
  EXPECT_EQ(quads[0].tex, a->texture);
  EXPECT_FLOAT_EQ(quads[0].v[0].x, 10 - a->offsetX);
  EXPECT_FLOAT_EQ(quads[1].v[0].x, 10 + 8 + 1 + 16 + 1 - font->getGlyph(L'B')->offsetX);
  EXPECT_FLOAT_EQ(quads[2].v[0].x, 10 - font->getGlyph(L'C')->offsetX);
  // Capitals end on the baseline, lines one size apart.
  EXPECT_FLOAT_EQ(quads[0].v[2].y, quads[1].v[2].y);
  EXPECT_FLOAT_EQ(quads[2].v[2].y, quads[0].v[2].y + 16);
  EXPECT_NEAR(quads[0].v[2].y, 20 + 15, 1);  // the ascent below the top
  EXPECT_FLOAT_EQ(quads[0].v[2].x - quads[0].v[0].x, a->width);
  EXPECT_EQ(quads[0].v[0].col, 0xFF00FF00u);
}

// A glyph larger than the screen keeps a smaller texture drawn enlarged: the
// capital still ends on the baseline, as large as the size asks.
TEST_F(GfxFontTest, GlyphsPastTheFullResolutionSideAreDrawnEnlarged) {
  auto small = dejaVu(100);
  auto large = dejaVu(2000);
  auto quadOf = [&](GfxFont& font) { return capture([&] { font.Render(0, 0, L"H"); }).at(0); };
  hgeQuad h100 = quadOf(*small);
  hgeQuad h2000 = quadOf(*large);
  const GfxGlyph* glyph = large->getGlyph(L'H');
  EXPECT_LE(std::max(glyph->width, glyph->height), float(engine::kFullResolutionSide));
  EXPECT_GT(glyph->scale, 1);
  EXPECT_NEAR(h2000.v[2].y - h2000.v[0].y, 20 * (h100.v[2].y - h100.v[0].y), 20);
  EXPECT_NEAR(h2000.v[2].x - h2000.v[0].x, 20 * (h100.v[2].x - h100.v[0].x), 40);
  EXPECT_NEAR(h2000.v[2].y, 20 * h100.v[2].y, 20);
  EXPECT_NEAR(h2000.v[0].x, 20 * h100.v[0].x, 20);
}

// Antialiased glyphs are white with alpha 4 x level (64 -> 255); one-bit
// glyphs are opaque white or clear.
TEST_F(GfxFontTest, PixelFormats) {
  for (bool antialias : {true, false}) {
    auto font = dejaVu(24, antialias);
    const GfxGlyph* g = font->getGlyph(L'&');
    ASSERT_NE(g->texture, 0u);
    int n = hge_->Texture_GetWidth(g->texture) * hge_->Texture_GetHeight(g->texture);
    DWORD* pixels = hge_->Texture_Lock(g->texture, true);
    ASSERT_NE(pixels, nullptr);
    int counts[3] = {0, 0, 0};  // clear, partial, full
    for (int i = 0; i < n; ++i) {
      DWORD alpha = pixels[i] >> 24;
      bool valid = antialias ? (pixels[i] & 0xFFFFFF) == 0xFFFFFF && (alpha == 255 || alpha % 4 == 0)
                             : pixels[i] == 0 || pixels[i] == 0xFFFFFFFF;
      ASSERT_TRUE(valid) << std::hex << pixels[i];
      ++counts[alpha == 0 ? 0 : alpha == 255 ? 2 : 1];
    }
    hge_->Texture_Unlock(g->texture);
    EXPECT_GT(counts[0], 20);
    EXPECT_GT(counts[2], 20);
    EXPECT_EQ(counts[1] > 0, antialias);
  }
}

// The engine may fail to make a glyph's texture (out of memory); the glyph
// is made when it is drawn again.
TEST_F(GfxFontTest, AGlyphWhoseTextureFailedIsTriedAgain) {
  auto font = dejaVu(16);
  GfxFont::setTextureCreatorForTests([](int, int) { return HTEXTURE(0); });
  EXPECT_TRUE(capture([&] { font->Render(0, 0, L"A"); }).empty());
  GfxFont::setTextureCreatorForTests(nullptr);
  auto quads = capture([&] { font->Render(0, 0, L"A"); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_NE(quads[0].tex, 0u);
}

// Fonts of one face, size and style draw from the same textures; colour and
// kerning stay each font's own.
TEST_F(GfxFontTest, FontsOfOneFaceSizeAndStyleShareTheirGlyphs) {
  auto first = dejaVu(16);
  auto second = dejaVu(16);
  EXPECT_TRUE(first->sharesGlyphsWith(*second));
  EXPECT_EQ(first->getGlyph(L'A'), second->getGlyph(L'A'));
  EXPECT_FALSE(first->sharesGlyphsWith(*dejaVu(17)));
  EXPECT_FALSE(first->sharesGlyphsWith(*dejaVu(16, false)));
  EXPECT_FALSE(first->sharesGlyphsWith(GfxFont(L"DejaVu Sans", 16, gfx::FontStyle{.bold = true})));
  second->SetColor(0xFF00FF00);
  second->SetKerningWidth(4);
  EXPECT_EQ(first->GetColor(), 0xFFFFFFFFu);
  EXPECT_EQ(first->GetTextSize(L"AB").width, 16);
  // The last font of a face takes its textures with it.
  HTEXTURE texture = first->getGlyph(L'A')->texture;
  first.reset();
  EXPECT_NE(hge_->Texture_GetWidth(texture), 0);
  second.reset();
  EXPECT_EQ(hge_->Texture_GetWidth(texture), 0);
}

// Sizes and kerning come from scripts: measuring stays in the int range.
TEST_F(GfxFontTest, MeasuresOfHugeSizesStayInRange) {
  GfxFont huge(L"DejaVu Sans", INT32_MAX, {});
  EXPECT_EQ(huge.GetTextSize(L"\x4E2D\x4E2D\n\n").width, INT32_MAX);
  EXPECT_EQ(huge.GetTextSize(L"\x4E2D\x4E2D\n\n").height, INT32_MAX);
  GfxFont font(L"DejaVu Sans", 16, {});
  font.SetKerningWidth(-1e30f);
  font.SetKerningHeight(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(font.GetTextSize(L"ab\ncd").width, 0);
  EXPECT_EQ(font.GetTextSize(L"ab\ncd").height, 16);
}

std::wstring narrow(std::size_t capacity, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring out = gfx::formatNarrow(capacity, format, args);
  va_end(args);
  return out;
}

TEST(TextFormat, TruncatesWithoutSplittingACharacter) {
  EXPECT_EQ(narrow(16, "%.2f|%d", 2.5, -3), L"2.50|-3");
  EXPECT_EQ(narrow(8, "%s", "abcdef\xD6\xD0xyz"), L"abcdef");  // U+4E2D's lead byte would be cut
  EXPECT_EQ(narrow(9, "%s", "abcdef\xD6\xD0xyz"), L"abcdef\x4E2D");
}

}  // namespace
