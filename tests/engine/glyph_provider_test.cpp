// System glyphs: Windows-shaped metrics, both bitmap layouts, substitutes and synthesised styles.
#include <gtest/gtest.h>

#include "engine/glyph_provider.h"

namespace {

using engine::GlyphBitmap;
using engine::GlyphBits;
using engine::GlyphFace;

std::unique_ptr<GlyphFace> openFace(const wchar_t* family, int size, bool italic = false, bool bold = false) {
  auto face = GlyphFace::open({family, size, italic, bold});
  EXPECT_NE(face, nullptr) << "no face for a request; are the set-up script's fonts installed?";
  return face;
}

GlyphBitmap render(GlyphFace& face, unsigned unit, GlyphBits bits) {
  GlyphBitmap out;
  EXPECT_TRUE(face.render(unit, bits, out));
  return out;
}

// Reads pixel (x, y) of either layout as a level 0..64.
int level(const GlyphBitmap& g, GlyphBits bits, unsigned x, unsigned y) {
  const unsigned char* row = g.bits.data() + std::size_t(y) * g.pitch;
  if (bits == GlyphBits::Gray65) return row[x];
  return (row[x / 8] >> (7 - x % 8)) & 1 ? 64 : 0;
}

long inkOf(const GlyphBitmap& g, GlyphBits bits) {
  long sum = 0;
  for (unsigned y = 0; y < g.metrics.blackBoxY; ++y)
    for (unsigned x = 0; x < g.metrics.blackBoxX; ++x) sum += level(g, bits, x, y);
  return sum;
}

// How far right the ink of the top quarter lies from that of the bottom quarter.
double leanOf(const GlyphBitmap& g) {
  auto centre = [&](unsigned from, unsigned to) {
    double sum = 0, weight = 0;
    for (unsigned y = from; y < to; ++y)
      for (unsigned x = 0; x < g.metrics.blackBoxX; ++x) {
        double v = level(g, GlyphBits::Gray65, x, y);
        sum += v * (x + g.metrics.originX);
        weight += v;
      }
    return weight > 0 ? sum / weight : 0;
  };
  unsigned rows = g.metrics.blackBoxY;
  return centre(0, rows / 4) - centre(rows - rows / 4, rows);
}

// The box is tight, rows are padded to 4 bytes with nothing in the padding,
// and the leftmost, rightmost, top and bottom pixels all carry ink somewhere:
// a bit order, pitch or row flow mix-up breaks one of these.
void expectTightBox(const GlyphBitmap& g, GlyphBits bits) {
  const engine::GlyphMetrics& m = g.metrics;
  ASSERT_GT(m.blackBoxX, 1u);
  ASSERT_GT(m.blackBoxY, 1u);
  unsigned rowBytes = bits == GlyphBits::Mono ? (m.blackBoxX + 31) / 32 * 4 : (m.blackBoxX + 3) / 4 * 4;
  EXPECT_EQ(g.pitch, rowBytes);
  ASSERT_EQ(g.bits.size(), std::size_t(g.pitch) * m.blackBoxY);
  bool left = false, right = false, top = false, bottom = false;
  int highest = 0;
  for (unsigned y = 0; y < m.blackBoxY; ++y) {
    for (unsigned x = 0; x < m.blackBoxX; ++x) {
      int v = level(g, bits, x, y);
      highest = std::max(highest, v);
      if (v == 0) continue;
      left |= x == 0;
      right |= x == m.blackBoxX - 1;
      top |= y == 0;
      bottom |= y == m.blackBoxY - 1;
    }
    unsigned usedBytes = bits == GlyphBits::Mono ? (m.blackBoxX + 7) / 8 : m.blackBoxX;
    for (unsigned b = usedBytes; b < g.pitch; ++b) EXPECT_EQ(g.bits[std::size_t(y) * g.pitch + b], 0) << "row " << y;
    if (bits == GlyphBits::Mono && m.blackBoxX % 8 != 0) {
      unsigned char last = g.bits[std::size_t(y) * g.pitch + usedBytes - 1];
      EXPECT_EQ(last & (0xFF >> (m.blackBoxX % 8)), 0) << "bits past the box in row " << y;
    }
  }
  EXPECT_TRUE(left && right && top && bottom);
  EXPECT_EQ(highest, 64);
}

TEST(GlyphFace, MetricsAndBothLayoutsOfLatinGlyphs) {
  auto face = openFace(L"DejaVu Sans", 32);
  ASSERT_NE(face, nullptr);
  EXPECT_NE(face->file().find("DejaVuSans"), std::string::npos) << face->file();
  EXPECT_GE(face->ascent(), 29);  // DejaVu's ascender is 0.93 em
  EXPECT_LE(face->ascent(), 31);

  for (unsigned unit : {unsigned('H'), unsigned('g'), unsigned('W')}) {
    SCOPED_TRACE(unit);
    for (GlyphBits bits : {GlyphBits::Gray65, GlyphBits::Mono}) {
      GlyphBitmap g = render(*face, unit, bits);
      expectTightBox(g, bits);
      EXPECT_GT(g.metrics.cellIncX, int(g.metrics.blackBoxX) / 2);
    }
  }
  GlyphBitmap h = render(*face, 'H', GlyphBits::Gray65);
  EXPECT_EQ(h.metrics.originY, int(h.metrics.blackBoxY));  // sits on the baseline
  EXPECT_GT(h.metrics.originX, 0);
  GlyphBitmap g = render(*face, 'g', GlyphBits::Gray65);
  EXPECT_LT(g.metrics.originY, int(g.metrics.blackBoxY));  // the descender goes below it

  GlyphBitmap space = render(*face, ' ', GlyphBits::Gray65);
  EXPECT_EQ(space.metrics.blackBoxX, 1u);
  EXPECT_EQ(space.metrics.blackBoxY, 1u);
  EXPECT_TRUE(space.bits.empty());
  EXPECT_GT(space.metrics.cellIncX, 0);
}

TEST(GlyphFace, UnknownNamesAndMissingUnitsFallBackToACjkFace) {
  auto unknown = openFace(L"No Such Family 31337", 24);
  ASSERT_NE(unknown, nullptr);
  EXPECT_FALSE(unknown->file().empty());
  // U+4E2D from a substitute, and through a Latin-only face from the fallback.
  for (GlyphFace* face : {unknown.get(), openFace(L"DejaVu Sans", 24).release()}) {
    GlyphBitmap zhong = render(*face, 0x4E2D, GlyphBits::Gray65);
    EXPECT_GT(zhong.metrics.blackBoxX, 10u);
    EXPECT_GT(zhong.metrics.blackBoxY, 10u);
    EXPECT_GT(inkOf(zhong, GlyphBits::Gray65), 64 * 30);
    if (face != unknown.get()) delete face;
  }
  EXPECT_EQ(GlyphFace::open({L"DejaVu Sans", 0, false, false}), nullptr);
}

TEST(GlyphFace, StylesTheFileLacksAreSynthesised) {
  // AR PL UKai has one weight and no italic.
  auto plain = openFace(L"AR PL UKai CN", 32);
  auto bold = openFace(L"AR PL UKai CN", 32, false, true);
  auto italic = openFace(L"AR PL UKai CN", 32, true, false);
  ASSERT_TRUE(plain && bold && italic);
  ASSERT_EQ(plain->file(), bold->file());
  GlyphBitmap p = render(*plain, 'l', GlyphBits::Gray65);
  GlyphBitmap b = render(*bold, 'l', GlyphBits::Gray65);
  GlyphBitmap i = render(*italic, 'l', GlyphBits::Gray65);
  EXPECT_GT(inkOf(b, GlyphBits::Gray65), inkOf(p, GlyphBits::Gray65) * 11 / 10);
  EXPECT_GT(leanOf(i) - leanOf(p), 3.0);  // the stem's top moves right
}

}  // namespace
