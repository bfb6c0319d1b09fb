// TrueType fonts from font files: one FreeType face per file, one font per file and size, glyphs cached as textures.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/hge.h"
#include "gfx/font_types.h"
#include "gfx/glyph_budget.h"
#include "gfx/hgeSprite.h"

// FreeType's own handle types, so users of the fonts need not see its headers.
struct FT_LibraryRec_;
struct FT_FaceRec_;
struct FT_GlyphSlotRec_;
using FT_Library = FT_LibraryRec_*;
using FT_Face = FT_FaceRec_*;

// One opened font file with a FreeType library of its own. Whatever was
// opened is released by the destructor, also after a failed open.
class hgeTTFace {
 public:
  hgeTTFace() = default;
  virtual ~hgeTTFace();
  hgeTTFace(const hgeTTFace&) = delete;
  hgeTTFace& operator=(const hgeTTFace&) = delete;

  // Opens face 0 of the file at the resolved (UTF-8) [path].
  [[nodiscard]] bool open(const std::string& path);

  FT_Library library = nullptr;
  FT_Face face = nullptr;
  std::string path;               // the game path asked for, for the log
  bool reportedOversize = false;  // glyphs past the side limit are logged once per file
};

// One glyph index of a face at one size, rasterised on first use.
class hgeTTGlyph {
 public:
  hgeTTGlyph() = default;
  virtual ~hgeTTGlyph();
  hgeTTGlyph(hgeTTGlyph&& other) noexcept;
  hgeTTGlyph& operator=(hgeTTGlyph&& other) noexcept;

  // Glyphs wider or taller than this are not drawn: a corrupt file or a
  // script's size cannot ask for gigabytes of texture.
  static constexpr int kMaxSide = 4096;
  // Larger glyphs keep a texture of this side, drawn enlarged: a glyph is
  // then larger than the screen, and at full resolution one 4,096-pixel
  // text took hundreds of MiB.
  static constexpr int kFullResolutionSide = 1024;

  // Rasterises glyph [index] of the face. A glyph that fails keeps no
  // texture and is not tried again. False when the glyph is refused for
  // passing kMaxSide.
  bool rasterise(unsigned index);
  // What the record holds: texture, coverage copy and the record itself.
  std::size_t bytes() const;

  bool loaded = false;
  HGE* engine = nullptr;
  FT_Face* face = nullptr;
  int pixelSize = 0;
  int bitmapTop = 0;
  int bitmapLeft = 0;
  int width = 0, rows = 0;  // measures at full size, whatever the texture holds
  // One pixel more than the coverage each way: the last row and column stay
  // clear, so a scaled glyph's edge never filters in the opposite one.
  int texWidth = 0, texHeight = 0;
  HTEXTURE texture = 0;
  // The texture's coverage, (texWidth - 1) x (texHeight - 1) bytes: rows x
  // width unless the glyph passes kFullResolutionSide.
  std::vector<unsigned char> bitmap;
  // The texture's top-left corner right of the pen and above the baseline,
  // and the screen pixels one texel covers (1 at full resolution).
  float drawLeft = 0, drawTop = 0;
  float texScale = 1;

 private:
  void copyCoverage(FT_GlyphSlotRec_* slot);
  void makeTexture();
};

// Single-line text of one face at one pixel size. Fonts are shared by
// every box, menu and floating text that asks for the same file and size,
// so colour, kerning and scale set by one user stay for the others. A font
// lives for the run, its glyphs only while the glyph budget has room for
// them (gfx/glyph_budget.h).
class hgeTTFont : private gfx::GlyphCache {
 public:
  // Bounds Print's formatted text; longer output is cut.
  static constexpr std::size_t kPrintBufferSize = 1024;

  explicit hgeTTFont(HGE* engine);
  virtual ~hgeTTFont();
  hgeTTFont(const hgeTTFont&) = delete;
  hgeTTFont& operator=(const hgeTTFont&) = delete;

  // Draws from ([x], [y]), the top-left of the line, less half the text's
  // width and height when [centreX] and [centreY] ask for it.
  virtual void Render(float x, float y, std::wstring_view text, bool centreX, bool centreY);
  // [align] 0 left, 1 right, 2 centred on [x]; any other value as 0. "\n"
  // is drawn like any other unit; a 0 unit ends the text.
  virtual void Render(float x, float y, int align, std::wstring_view text);
  virtual void Print(float x, float y, int align, const char* format, ...) __attribute__((format(printf, 5, 6)));
  virtual void Print(float x, float y, int align, const wchar_t* format, ...);
  // Width: every unit's advance plus the kerning width; height: the pixel size.
  virtual gfx::TextSize GetTextSize(std::wstring_view text);
  // The index of the first unit at which the summed advances (without
  // kerning) reach [width]; -1 for an empty text or when they never do.
  virtual int GetCharIndexAtWidth(std::wstring_view text, int width);
  virtual void SetKerningWidth(int kerning) { kerningWidth = kerning; }
  virtual void SetKerningHeight(int kerning) { kerningHeight = kerning; }
  virtual int GetKerningWidth() { return kerningWidth; }
  virtual int GetKerningHeight() { return kerningHeight; }

  // False without an engine or for a pixel size below 1.
  [[nodiscard]] bool load(hgeTTFace* face, int pixelSize);
  // The glyph index of [unit], rasterised on first use; 0 when the face has
  // none (or names an index past its own glyph count).
  unsigned getGlyph(unsigned unit);
  // The glyph's inked width and left bearing when positive; otherwise the
  // pixel size for U+2000 and above and half of it below.
  int getCharAdvance(unsigned unit);

  bool loaded = false;
  int pixelSize = 0;
  HGE* engine;
  // Entry i holds glyph index i + 1; only glyphs drawn or measured are here.
  std::unordered_map<unsigned, hgeTTGlyph> glyphs;
  hgeTTFace* face = nullptr;       // owned by the manager
  int kerningWidth = 0;
  int kerningHeight = 0;  // kept for callers; layout never reads it
  float scale = 1.0f;
  float rotation = 0.0f;
  std::unique_ptr<hgeSprite> sprite;
  DWORD colour = 0xFFFFFFFF;  // set by each user before drawing
  using gfx::GlyphCache::glyphBytes;

 private:
  void releaseGlyphs() override { glyphs.clear(); }
  void reportOversize();

  unsigned glyphCount_ = 0;  // the face's
  // Advances of the ASCII units, 0 until measured: a line is measured and
  // drawn every frame, and its glyphs may have been released meanwhile.
  std::array<int, 128> asciiAdvance_{};
};

// Owns every face and every font; made at start-up with the entry point's
// engine and deleted at exit. The first instance made is the one
// getInstance returns until it is deleted. It holds a reference to the
// engine while it lives, so its glyph textures can always be freed.
class TTFontManager {
 public:
  explicit TTFontManager(HGE* engine);
  ~TTFontManager();
  TTFontManager(const TTFontManager&) = delete;
  TTFontManager& operator=(const TTFontManager&) = delete;

  // Null when no manager exists.
  static TTFontManager* getInstance();

  // The font of the file at the game path [path] (resolved as every file
  // is) and [pixelSize]; null when the file cannot be opened, and then
  // nothing is kept, so a later request tries again. Null [path] is "".
  hgeTTFont* getFont(const char* path, int pixelSize);

  std::size_t faceCount() const { return faces_.size(); }

 private:
  struct FaceEntry {
    std::string path;
    std::unique_ptr<hgeTTFace> face;
  };
  struct FontEntry {
    std::string path;
    int pixelSize;
    std::unique_ptr<hgeTTFont> font;
  };

  static TTFontManager* instance_;
  std::vector<FaceEntry> faces_;
  std::vector<FontEntry> fonts_;
  HGE* engine_;
  HGE* reference_;  // keeps the engine alive for the glyph textures
};
