// The bitmap font: glyphs from the engine's system faces, cached as one texture each.
#include "gfx/GfxFont.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <map>
#include <utility>

#include "base/resource_path.h"
#include "base/saturating.h"
#include "base/xLogFile.h"
#include "engine/glyph_provider.h"
#include "gfx/glyph_budget.h"
#include "gfx/text_format.h"

namespace {

bool isLineBreak(wchar_t unit) { return unit == L'\n' || unit == L'\r'; }

// Half the size, rounded half to even: 7.5 -> 8, 8.5 -> 8.
float halfAdvance(float size) {
  float half = size * 0.5f;
  float below = std::floor(half);
  float fraction = half - below;
  if (fraction > 0.5f) return below + 1;
  if (fraction < 0.5f) return below;
  return std::fmod(below, 2.0f) == 0 ? below : below + 1;
}

std::function<HTEXTURE(int, int)>& textureCreator() {
  static std::function<HTEXTURE(int, int)> create;
  return create;
}

}  // namespace

// The glyphs of one face at one size in one pixel format. Storage is taken
// a page of units at a time, only for the pages text is drawn from, and
// given back when the glyph budget needs the room.
class GfxGlyphCache : private gfx::GlyphCache {
 public:
  // The cache every font of [face] and [format] shares (a null face too:
  // its glyphs are all empty).
  static std::shared_ptr<GfxGlyphCache> of(std::shared_ptr<engine::GlyphFace> face, engine::GlyphBits format);

  GfxGlyphCache(std::shared_ptr<engine::GlyphFace> face, engine::GlyphBits format);
  ~GfxGlyphCache();
  GfxGlyphCache(const GfxGlyphCache&) = delete;
  GfxGlyphCache& operator=(const GfxGlyphCache&) = delete;

  // Built on first use; null for U+FFFF and beyond.
  GfxGlyph* glyph(unsigned unit);
  bool hasFace() const { return face_ != nullptr; }

 private:
  static constexpr unsigned kPageSize = 256;
  static constexpr unsigned kPageCount = (GfxFont::kGlyphCount + kPageSize - 1) / kPageSize;

  void releaseGlyphs() override;
  [[nodiscard]] bool build(unsigned unit, GfxGlyph& glyph);
  HTEXTURE makeTexture(int width, int height);
  bool fill(HTEXTURE texture, const engine::GlyphBitmap& bitmap);

  std::shared_ptr<engine::GlyphFace> face_;
  engine::GlyphBits format_;
  int ascent_ = 0;
  HGE* hge_;  // holds the engine while the textures live
  std::array<std::unique_ptr<GfxGlyph[]>, kPageCount> pages_;
};

std::shared_ptr<GfxGlyphCache> GfxGlyphCache::of(std::shared_ptr<engine::GlyphFace> face, engine::GlyphBits format) {
  // Entries of caches no font holds any more are replaced when asked again.
  static std::map<std::pair<const engine::GlyphFace*, engine::GlyphBits>, std::weak_ptr<GfxGlyphCache>> caches;
  std::weak_ptr<GfxGlyphCache>& entry = caches[{face.get(), format}];
  std::shared_ptr<GfxGlyphCache> cache = entry.lock();
  if (!cache) {
    cache = std::make_shared<GfxGlyphCache>(std::move(face), format);
    entry = cache;
  }
  return cache;
}

GfxGlyphCache::GfxGlyphCache(std::shared_ptr<engine::GlyphFace> face, engine::GlyphBits format)
    : face_(std::move(face)), format_(format), hge_(hgeCreate(HGE_VERSION)) {
  if (face_) ascent_ = face_->ascent();
}

GfxGlyphCache::~GfxGlyphCache() {
  forgetGlyphs();
  releaseGlyphs();
  hge_->Release();
}

void GfxGlyphCache::releaseGlyphs() {
  for (auto& page : pages_) {
    if (!page) continue;
    for (unsigned i = 0; i < kPageSize; ++i)
      if (page[i].texture != 0) hge_->Texture_Free(page[i].texture);
    page.reset();
  }
}

GfxGlyph* GfxGlyphCache::glyph(unsigned unit) {
  if (unit >= GfxFont::kGlyphCount) return nullptr;
  std::unique_ptr<GfxGlyph[]>& page = pages_[unit / kPageSize];
  touch();
  if (!page) {
    page = std::make_unique<GfxGlyph[]>(kPageSize);
    charge(kPageSize * sizeof(GfxGlyph));
  }
  GfxGlyph& glyph = page[unit % kPageSize];
  if (!glyph.built) glyph.built = build(unit, glyph);
  return &glyph;
}

// False when the engine could not make the texture: the glyph is tried
// again the next time it is drawn. A unit the face cannot render stays empty.
bool GfxGlyphCache::build(unsigned unit, GfxGlyph& glyph) {
  engine::GlyphBitmap bitmap;
  if (!face_ || !face_->render(unit, format_, bitmap)) return true;
  const engine::GlyphMetrics& m = bitmap.metrics;
  HTEXTURE texture = makeTexture(static_cast<int>(m.blackBoxX), static_cast<int>(m.blackBoxY));
  if (texture == 0) return false;
  if (!bitmap.bits.empty() && !fill(texture, bitmap)) {
    hge_->Texture_Free(texture);
    return false;
  }
  charge(std::size_t(m.blackBoxX) * m.blackBoxY * sizeof(DWORD));
  glyph.texture = texture;
  glyph.width = static_cast<float>(m.blackBoxX);
  glyph.height = static_cast<float>(m.blackBoxY);
  glyph.offsetX = static_cast<float>(-m.originX);
  glyph.offsetY = static_cast<float>(m.originY - ascent_);
  glyph.advance = static_cast<float>(m.cellIncX);
  glyph.scale = bitmap.scale;
  return true;
}

HTEXTURE GfxGlyphCache::makeTexture(int width, int height) {
  if (textureCreator()) return textureCreator()(width, height);
  return hge_->Texture_Create(width, height);
}

// Writes the glyph's bits as white pixels whose alpha is the coverage.
bool GfxGlyphCache::fill(HTEXTURE texture, const engine::GlyphBitmap& bitmap) {
  DWORD* pixels = hge_->Texture_Lock(texture, false, 0, 0, 0, 0);
  if (pixels == nullptr) return false;
  // The texture's own width is its pitch, whatever size was asked for.
  int pitch = hge_->Texture_GetWidth(texture, false);
  unsigned width = std::min<unsigned>(bitmap.metrics.blackBoxX, static_cast<unsigned>(pitch));
  unsigned rows = std::min<unsigned>(bitmap.metrics.blackBoxY, static_cast<unsigned>(hge_->Texture_GetHeight(texture, false)));
  for (unsigned y = 0; y < rows; ++y) {
    const unsigned char* src = bitmap.bits.data() + static_cast<std::size_t>(y) * bitmap.pitch;
    DWORD* dst = pixels + static_cast<std::size_t>(y) * static_cast<unsigned>(pitch);
    for (unsigned x = 0; x < width; ++x) {
      if (format_ == engine::GlyphBits::Mono) {
        bool set = (src[x / 8] >> (7 - x % 8)) & 1;
        dst[x] = set ? 0xFFFFFFFF : 0x00000000;
      } else {
        DWORD alpha = std::min<DWORD>(255, 4u * src[x]);
        dst[x] = (alpha << 24) | 0xFFFFFF;
      }
    }
  }
  hge_->Texture_Unlock(texture);
  return true;
}

// ---- GfxFont ----

GfxFont::GfxFont(const std::wstring& faceName, int pixelSize, gfx::FontStyle style)
    : fontSize_(static_cast<float>(pixelSize)),
      hge_(hgeCreate(HGE_VERSION)),
      sprite_(std::make_unique<hgeSprite>(0, 0.0f, 0.0f, 0.0f, 0.0f)) {
  auto face = engine::GlyphFace::open({faceName, pixelSize, style.italic, style.bold});
  if (!face) WriteLog("GfxFont: cannot open a face for %s at %d pixels", WStringToString(faceName).c_str(), pixelSize);
  glyphs_ = GfxGlyphCache::of(std::move(face), style.antialias ? engine::GlyphBits::Gray65 : engine::GlyphBits::Mono);
  sprite_->SetColor(0xFFFFFFFF, -1);
}

GfxFont::~GfxFont() {
  sprite_.reset();
  hge_->Release();
}

void GfxFont::setTextureCreatorForTests(std::function<HTEXTURE(int width, int height)> create) {
  textureCreator() = std::move(create);
}

bool GfxFont::hasFace() const { return glyphs_->hasFace(); }

void GfxFont::Print(float x, float y, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = gfx::formatNarrow(kPrintBufferSize, format, args);
  va_end(args);
  Render(x, y, text);
}

void GfxFont::Render(float x, float y, std::wstring_view text) {
  float penX = x;
  float penY = y;
  for (wchar_t unit : text) {
    if (unit == 0) break;
    if (isLineBreak(unit)) {
      penX = x;
      penY += fontSize_ + kerningHeight_;
      continue;
    }
    const GfxGlyph* glyph = getGlyph(static_cast<unsigned>(unit));
    if (glyph != nullptr && glyph->texture != 0) {
      sprite_->SetTexture(glyph->texture);
      sprite_->SetTextureRect(0, 0, glyph->width, glyph->height, true);
      if (glyph->scale == 1)
        sprite_->Render(penX - glyph->offsetX, penY - glyph->offsetY);
      else
        sprite_->RenderEx(penX - glyph->offsetX, penY - glyph->offsetY, 0, glyph->scale);
    }
    penX += getCharAdvance(static_cast<unsigned>(unit)) + kerningWidth_;
  }
}

void GfxFont::SetColor(DWORD color, int i) { sprite_->SetColor(color, i); }

DWORD GfxFont::GetColor(int i) { return sprite_->GetColor(i); }

gfx::TextSize GfxFont::GetTextSize(std::wstring_view text) {
  gfx::TextSize size{0, base::truncateToInt(fontSize_)};
  float lineWidth = 0;
  for (wchar_t unit : text) {
    if (unit == 0) break;
    if (isLineBreak(unit)) {
      size.height = base::addSaturated(size.height, base::truncateToInt(fontSize_ + kerningHeight_));
      size.width = std::max(size.width, base::truncateToInt(lineWidth));
      lineWidth = 0;
      continue;
    }
    lineWidth += getCharAdvance(static_cast<unsigned>(unit)) + kerningWidth_;
  }
  size.width = std::max(size.width, base::truncateToInt(lineWidth));
  return size;
}

wchar_t GfxFont::GetCharacterFromPos(std::wstring_view text, float px, float py) {
  float lineX = 0;
  float lineY = 0;
  for (wchar_t unit : text) {
    if (unit == 0) break;
    if (isLineBreak(unit)) {
      lineX = 0;
      lineY += fontSize_ + kerningHeight_;
      continue;
    }
    float advance = getCharAdvance(static_cast<unsigned>(unit));
    if (lineX < px && px <= lineX + advance && lineY < py && py <= lineY + fontSize_) return unit;
    lineX += advance + kerningWidth_;
  }
  return 0;
}

const GfxGlyph* GfxFont::getGlyph(unsigned unit) { return glyphs_->glyph(unit); }

float GfxFont::getCharAdvance(unsigned unit) const {
  return unit >= 0x2000 ? fontSize_ : halfAdvance(fontSize_);
}
