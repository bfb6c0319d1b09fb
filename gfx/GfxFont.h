// The bitmap font: any installed face by family name, one cached texture per character, drawn with one sprite.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/hge.h"
#include "gfx/font_types.h"
#include "gfx/hgeSprite.h"

// One character's cached glyph. Offsets place the box's top-left corner
// relative to the pen at the top of the line.
struct GfxGlyph {
  HTEXTURE texture = 0;  // 0: nothing to draw
  float width = 0, height = 0;
  float offsetX = 0, offsetY = 0;
  float advance = 0;  // the face's own advance; layout uses getCharAdvance
  // Screen pixels per texel: above 1 for a glyph kept smaller than drawn.
  float scale = 1;
  // Set once the glyph is made, or once the face is known to have nothing
  // to draw for it. Only a texture the engine could not make is tried again.
  bool built = false;
};

class GfxGlyphCache;

// Scripts create these through the font registry and print with them. The
// advance rule is fixed (half the size below U+2000, the whole size above),
// so text lays out alike whatever face the name resolves to. Fonts of the
// same face, size and style share one glyph cache, which holds only the
// glyphs drawn so far, and only while the glyph budget has room for them
// (gfx/glyph_budget.h): scripts may create a font every frame, and the
// registry keeps every font for the run. Colour and kerning are the font's
// own.
class GfxFont {
 public:
  // Bounds Print's formatted text; longer output is cut.
  static constexpr std::size_t kPrintBufferSize = 10240;
  // One glyph per unit U+0000..U+FFFE; U+FFFF and beyond have none.
  static constexpr unsigned kGlyphCount = 0xFFFF;

  // A face that cannot be opened leaves the font measuring as usual but
  // drawing nothing (logged once).
  GfxFont(const std::wstring& faceName, int pixelSize, gfx::FontStyle style);
  virtual ~GfxFont();
  GfxFont(const GfxFont&) = delete;
  GfxFont& operator=(const GfxFont&) = delete;

  virtual void Print(float x, float y, const char* format, ...) __attribute__((format(printf, 4, 5)));
  // ([x], [y]) is the top-left of the first line; "\n" and "\r" each start
  // a line. Stops at a 0 unit.
  virtual void Render(float x, float y, std::wstring_view text);
  // Corner [i] 0-3, or all four for -1.
  virtual void SetColor(DWORD color, int i = -1);
  virtual DWORD GetColor(int i = 0);
  virtual gfx::TextSize GetTextSize(std::wstring_view text);
  // The unit under ([x], [y]) relative to the text's top-left corner, 0 when
  // none. A point on a character's left edge belongs to the one before.
  virtual wchar_t GetCharacterFromPos(std::wstring_view text, float x, float y);
  virtual void SetKerningWidth(float kerning) { kerningWidth_ = kerning; }
  virtual void SetKerningHeight(float kerning) { kerningHeight_ = kerning; }
  virtual float GetKerningWidth() { return kerningWidth_; }
  virtual float GetKerningHeight() { return kerningHeight_; }
  virtual float GetFontSize() { return fontSize_; }

  // The glyph of [unit], built on first use; null for U+FFFF and beyond.
  const GfxGlyph* getGlyph(unsigned unit);
  // Without kerning: the size for U+2000 and above (and for units with no
  // glyph), otherwise half the size rounded half to even.
  float getCharAdvance(unsigned unit) const;
  bool hasFace() const;
  // Whether this font draws from the same glyphs as [other].
  bool sharesGlyphsWith(const GfxFont& other) const { return glyphs_ == other.glyphs_; }

  // Tests: [create] makes the glyph textures instead of the engine's
  // Texture_Create; an empty function restores the engine.
  static void setTextureCreatorForTests(std::function<HTEXTURE(int width, int height)> create);

 private:
  std::shared_ptr<GfxGlyphCache> glyphs_;
  float fontSize_;
  float kerningWidth_ = 0;
  float kerningHeight_ = 0;
  HGE* hge_;
  std::unique_ptr<hgeSprite> sprite_;
};
