// System glyphs for the bitmap font: faces matched by family name through fontconfig, rasterised by FreeType.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace engine {

// The two bitmap layouts the bitmap font asks for.
enum class GlyphBits {
  // One bit per pixel, the leftmost pixel in the high bit of each byte.
  Mono,
  // One byte per pixel holding a coverage level 0..64.
  Gray65,
};

// Glyph metrics in the shape the Windows glyph outline call gives them.
struct GlyphMetrics {
  // Size of the inked area. A glyph with no ink (a space) has a 1 x 1 box
  // and no bits.
  unsigned blackBoxX = 0;
  unsigned blackBoxY = 0;
  // Top-left corner of the box relative to the pen on the baseline, y up.
  int originX = 0;
  int originY = 0;
  // Pen advance in whole pixels.
  int cellIncX = 0;
  int cellIncY = 0;
};

// Glyphs larger than this a side are rasterised smaller, to be drawn
// enlarged: such a glyph is larger than the screen, and at full resolution
// one 4,096-pixel text took hundreds of MiB.
constexpr unsigned kFullResolutionSide = 1024;

struct GlyphBitmap {
  // The box is the bits' own size; the origin and advance are screen pixels.
  GlyphMetrics metrics;
  // Screen pixels per bit: 1, or above it past kFullResolutionSide.
  float scale = 1;
  // Bytes per row, always a multiple of 4.
  unsigned pitch = 0;
  // pitch x blackBoxY bytes, top row first; empty when the glyph has no ink.
  std::vector<unsigned char> bits;
};

struct GlyphFaceRequest {
  std::wstring family;  // a name fontconfig does not know gets a substitute
  int pixelSize = 0;    // em height in pixels
  bool italic = false;
  bool bold = false;
};

// One face at one size. Units the face lacks are drawn from a Chinese
// fallback face, as Windows links fonts, so CJK text shows whatever face a
// script names. Styles the matched file lacks are synthesised.
class GlyphFace {
 public:
  // Null when no face can be opened (a size below 1 or past 4,096, no font
  // installed). Requests that come to the same file, size and style share
  // one face while any holder keeps it, and all sizes of a file and style
  // share the opened file: scripts may ask for a font every frame, each a
  // pixel larger.
  static std::shared_ptr<GlyphFace> open(const GlyphFaceRequest& request);
  ~GlyphFace();
  GlyphFace(const GlyphFace&) = delete;
  GlyphFace& operator=(const GlyphFace&) = delete;

  // Distance from the top of a line to the baseline, in pixels.
  int ascent() const;
  // The font file the family name resolved to.
  const std::string& file() const;
  // Rasterises [unit]. False, with [out] untouched, when it cannot be done;
  // a failure is never a size. A glyph past 4,096 pixels a side is refused,
  // logged once per file.
  [[nodiscard]] bool render(unsigned unit, GlyphBits bits, GlyphBitmap& out);

 private:
  struct Impl;
  explicit GlyphFace(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace engine
