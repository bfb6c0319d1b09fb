// TrueType fonts: the game's one user of FreeType.
#include "gfx/hgeTTFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/saturating.h"
#include "base/xLogFile.h"
#include "engine/platform.h"
#include "gfx/text_format.h"


// ---- hgeTTFace ----

hgeTTFace::~hgeTTFace() {
  if (face != nullptr) FT_Done_Face(face);
  if (library != nullptr) FT_Done_FreeType(library);
}

bool hgeTTFace::open(const std::string& file) {
  if (FT_Init_FreeType(&library) != 0) {
    library = nullptr;
    return false;
  }
  if (FT_New_Face(library, file.c_str(), 0, &face) != 0) {
    face = nullptr;
    return false;
  }
  return true;
}

// ---- hgeTTGlyph ----

hgeTTGlyph::~hgeTTGlyph() {
  if (texture != 0 && engine != nullptr) engine->Texture_Free(texture);
}

hgeTTGlyph::hgeTTGlyph(hgeTTGlyph&& other) noexcept { *this = std::move(other); }

hgeTTGlyph& hgeTTGlyph::operator=(hgeTTGlyph&& other) noexcept {
  if (this == &other) return *this;
  if (texture != 0 && engine != nullptr) engine->Texture_Free(texture);
  loaded = other.loaded;
  engine = other.engine;
  face = other.face;
  pixelSize = other.pixelSize;
  bitmapTop = other.bitmapTop;
  bitmapLeft = other.bitmapLeft;
  width = other.width;
  rows = other.rows;
  texWidth = other.texWidth;
  texHeight = other.texHeight;
  drawLeft = other.drawLeft;
  drawTop = other.drawTop;
  texScale = other.texScale;
  texture = std::exchange(other.texture, 0);
  bitmap = std::move(other.bitmap);
  return *this;
}

bool hgeTTGlyph::rasterise(unsigned index) {
  loaded = true;
  // A size no glyph may reach is not handed to FreeType, which would
  // allocate the whole bitmap before it could be refused.
  if (pixelSize > kMaxSide) return false;
  FT_Face ftFace = *face;
  if (FT_Set_Pixel_Sizes(ftFace, 0, FT_UInt(pixelSize)) != 0) return true;
  if (FT_Load_Glyph(ftFace, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return true;
  FT_GlyphSlot slot = ftFace->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
  // Loading presets the bitmap's box: the full-size measures come from it,
  // and an oversized bitmap is never made.
  int w = int(slot->bitmap.width);
  int h = int(slot->bitmap.rows);
  if (w > kMaxSide || h > kMaxSide) return false;
  width = w;
  rows = h;
  bitmapLeft = slot->bitmap_left;
  bitmapTop = slot->bitmap_top;
  int side = std::max(w, h);
  if (side > kFullResolutionSide) {
    texScale = float(side) / float(kFullResolutionSide);
    FT_Matrix shrink{FT_Fixed(65536 / texScale), 0, 0, FT_Fixed(65536 / texScale)};
    FT_Outline_Transform(&slot->outline, &shrink);
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return true;
  copyCoverage(slot);
  return true;
}

// Row by row at FreeType's pitch, which may pad rows or run bottom-up.
void hgeTTGlyph::copyCoverage(FT_GlyphSlotRec_* slot) {
  const FT_Bitmap& source = slot->bitmap;
  int w = int(source.width);
  int h = int(source.rows);
  if (w > kMaxSide || h > kMaxSide) return;
  if (w > 0 && h > 0 && (source.pixel_mode != FT_PIXEL_MODE_GRAY || source.buffer == nullptr)) return;
  bitmap.assign(std::size_t(w) * h, 0);
  std::size_t stride = std::size_t(std::abs(source.pitch));
  for (int y = 0; y < h; ++y) {
    int sourceRow = source.pitch >= 0 ? y : h - 1 - y;
    std::memcpy(bitmap.data() + std::size_t(y) * w, source.buffer + sourceRow * stride, std::size_t(w));
  }
  drawLeft = float(slot->bitmap_left) * texScale;
  drawTop = float(slot->bitmap_top) * texScale;
  texWidth = w + 1;
  texHeight = h + 1;
  makeTexture();
}

std::size_t hgeTTGlyph::bytes() const {
  std::size_t pixels = texture != 0 ? std::size_t(texWidth) * std::size_t(texHeight) : 0;
  // The record's own size and a hash node's pointers besides.
  return pixels * sizeof(DWORD) + bitmap.capacity() + sizeof(hgeTTGlyph) + 4 * sizeof(void*);
}

// Coverage c becomes c in all four channels.
void hgeTTGlyph::makeTexture() {
  if (texture != 0) engine->Texture_Free(texture);
  texture = engine->Texture_Create(texWidth, texHeight);
  if (texture == 0) return;
  DWORD* pixels = engine->Texture_Lock(texture, false, 0, 0, 0, 0);
  if (pixels == nullptr) {
    engine->Texture_Free(texture);
    texture = 0;
    return;
  }
  std::fill(pixels, pixels + std::size_t(texWidth) * texHeight, 0);
  int w = texWidth - 1;
  for (int y = 0; y < texHeight - 1; ++y)
    for (int x = 0; x < w; ++x) pixels[std::size_t(y) * texWidth + x] = bitmap[std::size_t(y) * w + x] * 0x01010101u;
  engine->Texture_Unlock(texture);
}

// ---- hgeTTFont ----

hgeTTFont::hgeTTFont(HGE* hge) : engine(hge), sprite(std::make_unique<hgeSprite>(0, 0.0f, 0.0f, 0.0f, 0.0f)) {}

hgeTTFont::~hgeTTFont() = default;

bool hgeTTFont::load(hgeTTFace* ttFace, int size) {
  if (engine == nullptr || ttFace == nullptr || ttFace->face == nullptr || size < 1) return false;
  face = ttFace;
  pixelSize = size;
  glyphs.clear();
  forgetGlyphs();
  asciiAdvance_.fill(0);
  glyphCount_ = unsigned(std::max<FT_Long>(0, face->face->num_glyphs));
  loaded = true;
  return true;
}

unsigned hgeTTFont::getGlyph(unsigned unit) {
  if (face == nullptr) return 0;
  unsigned index = FT_Get_Char_Index(face->face, unit);
  if (index == 0 || index > glyphCount_) return 0;
  auto [entry, fresh] = glyphs.try_emplace(index - 1);
  if (!fresh) {
    touch();
    return index;
  }
  hgeTTGlyph& glyph = entry->second;
  glyph.engine = engine;
  glyph.face = &face->face;
  glyph.pixelSize = pixelSize;
  if (!glyph.rasterise(index)) reportOversize();
  charge(glyph.bytes());
  return index;
}

void hgeTTFont::reportOversize() {
  if (face->reportedOversize) return;
  face->reportedOversize = true;
  WriteLog("hgeTTFont: glyphs of %s at %d pixels pass %d pixels and are not drawn", face->path.c_str(), pixelSize,
           hgeTTGlyph::kMaxSide);
}

int hgeTTFont::getCharAdvance(unsigned unit) {
  if (unit < asciiAdvance_.size() && asciiAdvance_[unit] > 0) return asciiAdvance_[unit];
  int advance = unit >= 0x2000 ? pixelSize : pixelSize / 2;
  unsigned index = getGlyph(unit);
  if (index > 0) {
    const hgeTTGlyph& glyph = glyphs[index - 1];
    if (glyph.width + glyph.bitmapLeft > 0) advance = glyph.width + glyph.bitmapLeft;
  }
  if (unit < asciiAdvance_.size() && face != nullptr) asciiAdvance_[unit] = advance;
  return advance;
}

void hgeTTFont::Render(float x, float y, std::wstring_view text, bool centreX, bool centreY) {
  gfx::TextSize size = GetTextSize(text);
  if (centreX) x -= float(size.width >> 1);
  if (centreY) y -= float(size.height >> 1);
  Render(x, y, 0, text);
}

void hgeTTFont::Render(float x, float y, int align, std::wstring_view text) {
  if (align == 1) x -= float(GetTextSize(text).width);
  if (align == 2) x -= float(GetTextSize(text).width >> 1);
  float penX = x;
  // A glyph drawn farther than this from its pen position is off the screen
  // whatever its rotation: a text far wider than the screen costs only its
  // measuring, not a quad per character.
  const float reach = (float(pixelSize) * 2 + 64) * std::max(1.0f, std::fabs(scale));
  const float right = float(engine->System_GetState(HGE_SCREENWIDTH)) + reach;
  for (wchar_t unit : text) {
    if (unit == 0) break;
    if (penX > right && kerningWidth >= 0) break;  // the pen only moves right from here
    if (penX < -reach) {
      penX += float(getCharAdvance(unsigned(unit)) + kerningWidth);
      continue;
    }
    unsigned index = getGlyph(unsigned(unit));
    if (index > 0 && glyphs[index - 1].texture != 0) {
      const hgeTTGlyph& glyph = glyphs[index - 1];
      sprite->SetTexture(glyph.texture);
      sprite->SetTextureRect(0, 0, float(glyph.texWidth - 1), float(glyph.texHeight - 1), true);
      sprite->SetColor(colour, -1);
      float size = scale * glyph.texScale;
      sprite->RenderEx(penX + glyph.drawLeft, y + float(pixelSize) - glyph.drawTop, rotation, size, size);
    }
    penX += float(getCharAdvance(unsigned(unit)) + kerningWidth);
  }
}

void hgeTTFont::Print(float x, float y, int align, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = gfx::formatNarrow(kPrintBufferSize, format, args);
  va_end(args);
  Render(x, y, align, text);
}

void hgeTTFont::Print(float x, float y, int align, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = gfx::formatWide(kPrintBufferSize, format, args);
  va_end(args);
  Render(x, y, align, text);
}

gfx::TextSize hgeTTFont::GetTextSize(std::wstring_view text) {
  gfx::TextSize size{0, pixelSize};
  for (wchar_t unit : text) {
    if (unit == 0) break;
    size.width = base::addSaturated(size.width, base::addSaturated(getCharAdvance(unsigned(unit)), kerningWidth));
  }
  return size;
}

int hgeTTFont::GetCharIndexAtWidth(std::wstring_view text, int width) {
  int sum = 0;
  for (std::size_t i = 0; i < text.size() && text[i] != 0; ++i) {
    sum = base::addSaturated(sum, getCharAdvance(unsigned(text[i])));
    if (sum >= width) return int(i);
  }
  return -1;
}

// ---- TTFontManager ----

TTFontManager* TTFontManager::instance_ = nullptr;

TTFontManager::TTFontManager(HGE* engine) : engine_(engine), reference_(hgeCreate(HGE_VERSION)) {
  if (instance_ == nullptr) instance_ = this;
}

TTFontManager::~TTFontManager() {
  fonts_.clear();  // fonts draw with the faces: they go first
  faces_.clear();
  if (instance_ == this) instance_ = nullptr;
  reference_->Release();
}

TTFontManager* TTFontManager::getInstance() { return instance_; }

hgeTTFont* TTFontManager::getFont(const char* path, int pixelSize) {
  std::string key = path != nullptr ? path : "";
  auto face = std::find_if(faces_.begin(), faces_.end(), [&](const FaceEntry& e) { return e.path == key; });
  if (face == faces_.end()) {
    auto opened = std::make_unique<hgeTTFace>();
    // A failed open releases its library here, at once; nothing is kept.
    // FreeType would open a device or a pipe too, and block on a pipe.
    std::string file = engine::resolveRegularFile(key);
    if (file.empty() || !opened->open(file)) return nullptr;
    opened->path = key;
    faces_.push_back({key, std::move(opened)});
    face = faces_.end() - 1;
  }
  for (FontEntry& entry : fonts_)
    if (entry.path == key && entry.pixelSize == pixelSize) return entry.font.get();
  auto font = std::make_unique<hgeTTFont>(engine_);
  if (!font->load(face->face.get(), pixelSize)) {
    WriteLog("TTFontManager::getFont: cannot load %s at %d pixels", key.c_str(), pixelSize);
    return nullptr;
  }
  fonts_.push_back({key, pixelSize, std::move(font)});
  return fonts_.back().font.get();
}
