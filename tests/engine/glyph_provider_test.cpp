// System glyphs: Windows-shaped metrics, both bitmap layouts, substitutes for unknown names and missing units.
#include <gtest/gtest.h>

#include "engine/glyph_provider.h"

namespace {

using engine::GlyphBitmap;
using engine::GlyphBits;
using engine::GlyphFace;

GlyphBitmap render(const wchar_t* family, unsigned unit, GlyphBits bits) {
  auto face = GlyphFace::open({family, 32, false, false});
  GlyphBitmap out;
  EXPECT_TRUE(face && face->render(unit, bits, out)) << "are the set-up script's fonts installed?";
  return out;
}

// Pixel (x, y) of either layout as a level 0..64.
int level(const GlyphBitmap& g, GlyphBits bits, unsigned x, unsigned y) {
  const unsigned char* row = g.bits.data() + std::size_t(y) * g.pitch;
  return bits == GlyphBits::Gray65 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1 ? 64 : 0;
}

// Rows padded to 4 bytes with nothing in the padding, and ink in the box's
// leftmost, rightmost, top and bottom pixels: a bit order, pitch or row flow
// mix-up breaks one of these.
void expectTightBox(const GlyphBitmap& g, GlyphBits bits) {
  const engine::GlyphMetrics& m = g.metrics;
  ASSERT_GT(m.blackBoxX, 1u);
  unsigned usedBits = bits == GlyphBits::Mono ? m.blackBoxX : m.blackBoxX * 8;
  EXPECT_EQ(g.pitch, (usedBits + 31) / 32 * 4);
  ASSERT_EQ(g.bits.size(), std::size_t(g.pitch) * m.blackBoxY);
  bool left = false, right = false, top = false, bottom = false;
  int highest = 0;
  for (unsigned y = 0; y < m.blackBoxY; ++y) {
    for (unsigned x = 0; x < g.pitch * (bits == GlyphBits::Mono ? 8 : 1); ++x) {
      int v = level(g, bits, x, y);
      if (x >= m.blackBoxX) {
        EXPECT_EQ(v, 0) << "padding at " << x << "," << y;
        continue;
      }
      if (v == 0) continue;
      highest = std::max(highest, v);
      left |= x == 0, right |= x == m.blackBoxX - 1, top |= y == 0, bottom |= y == m.blackBoxY - 1;
    }
  }
  EXPECT_TRUE(left && right && top && bottom);
  EXPECT_EQ(highest, 64);
}

TEST(GlyphFace, MetricsAndBothLayouts) {
  auto face = GlyphFace::open({L"DejaVu Sans", 32, false, false});
  ASSERT_NE(face, nullptr);
  EXPECT_NE(face->file().find("DejaVuSans"), std::string::npos) << face->file();
  EXPECT_NEAR(face->ascent(), 30, 1);  // DejaVu's ascender is 0.93 em
  for (unsigned unit : {unsigned('H'), unsigned('g'), unsigned('W')})
    for (GlyphBits bits : {GlyphBits::Gray65, GlyphBits::Mono}) {
      SCOPED_TRACE(unit);
      expectTightBox(render(L"DejaVu Sans", unit, bits), bits);
    }
  GlyphBitmap h = render(L"DejaVu Sans", 'H', GlyphBits::Gray65);
  EXPECT_EQ(h.metrics.originY, int(h.metrics.blackBoxY));  // on the baseline
  EXPECT_GT(h.metrics.originX, 0);
  EXPECT_GT(h.metrics.cellIncX, int(h.metrics.blackBoxX));
  GlyphBitmap g = render(L"DejaVu Sans", 'g', GlyphBits::Gray65);
  EXPECT_LT(g.metrics.originY, int(g.metrics.blackBoxY));  // a descender
  GlyphBitmap space = render(L"DejaVu Sans", ' ', GlyphBits::Gray65);
  EXPECT_EQ(space.metrics.blackBoxX * space.metrics.blackBoxY, 1u);
  EXPECT_TRUE(space.bits.empty());
  EXPECT_GT(space.metrics.cellIncX, 0);
  EXPECT_EQ(GlyphFace::open({L"DejaVu Sans", 0, false, false}), nullptr);
}

TEST(GlyphFace, UnknownNamesAndMissingUnitsFallBackToACjkFace) {
  // U+4E2D from a substitute, and from the fallback behind a Latin-only face.
  for (const wchar_t* family : {L"No Such Family 31337", L"DejaVu Sans"}) {
    GlyphBitmap zhong = render(family, 0x4E2D, GlyphBits::Gray65);
    EXPECT_GT(zhong.metrics.blackBoxX, 20u) << family;
    EXPECT_GT(zhong.metrics.blackBoxY, 20u) << family;
  }
}

// Sizes share the opened file, so each draw must set its own size: drawn
// in turn, every size keeps its own glyphs and ascent.
TEST(GlyphFace, SizesOfOneFileDrawAtTheirOwnSizeInAnyOrder) {
  auto small = GlyphFace::open({L"DejaVu Sans", 20, false, false});
  auto large = GlyphFace::open({L"DejaVu Sans", 80, false, false});
  ASSERT_TRUE(small && large);
  EXPECT_NEAR(large->ascent(), 4 * small->ascent(), 4);
  GlyphBitmap first;
  ASSERT_TRUE(small->render('W', GlyphBits::Gray65, first));
  for (int round = 0; round < 2; ++round) {
    GlyphBitmap big, again, zhong;
    ASSERT_TRUE(large->render('W', GlyphBits::Gray65, big));
    ASSERT_TRUE(small->render('W', GlyphBits::Gray65, again));
    ASSERT_TRUE(large->render(0x4E2D, GlyphBits::Gray65, zhong));  // from the fallback face
    EXPECT_NEAR(double(big.metrics.blackBoxX), 4.0 * first.metrics.blackBoxX, 8);  // hinting rounds
    EXPECT_EQ(again.metrics.blackBoxX, first.metrics.blackBoxX);
    EXPECT_EQ(again.bits, first.bits);
    EXPECT_GT(zhong.metrics.blackBoxX, 60u);
  }
}

}  // namespace
