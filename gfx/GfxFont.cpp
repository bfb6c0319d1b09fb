// The bitmap font: glyphs from the engine's system faces, cached as one texture each.
#include "gfx/GfxFont.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>

#include "base/resource_path.h"
#include "base/xLogFile.h"
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

}  // namespace

GfxFont::GfxFont(const std::wstring& faceName, int pixelSize, gfx::FontStyle style)
    : glyphs_(new GfxGlyph[kGlyphCount]),
      glyphFormat_(style.antialias ? engine::GlyphBits::Gray65 : engine::GlyphBits::Mono),
      fontSize_(static_cast<float>(pixelSize)),
      hge_(hgeCreate(HGE_VERSION)),
      sprite_(std::make_unique<hgeSprite>(0, 0.0f, 0.0f, 0.0f, 0.0f)) {
  face_ = engine::GlyphFace::open({faceName, pixelSize, style.italic, style.bold});
  if (face_) {
    ascent_ = face_->ascent();
  } else {
    WriteLog("GfxFont: cannot open a face for %s at %d pixels", WStringToString(faceName).c_str(), pixelSize);
  }
  sprite_->SetColor(0xFFFFFFFF, -1);
}

GfxFont::~GfxFont() {
  for (unsigned unit = 0; unit < kGlyphCount; ++unit)
    if (glyphs_[unit].texture != 0) hge_->Texture_Free(glyphs_[unit].texture);
  sprite_.reset();
  hge_->Release();
}

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
      sprite_->Render(penX - glyph->offsetX, penY - glyph->offsetY);
    }
    penX += getCharAdvance(static_cast<unsigned>(unit)) + kerningWidth_;
  }
}

void GfxFont::SetColor(DWORD color, int i) { sprite_->SetColor(color, i); }

DWORD GfxFont::GetColor(int i) { return sprite_->GetColor(i); }

gfx::TextSize GfxFont::GetTextSize(std::wstring_view text) {
  gfx::TextSize size{0, static_cast<int>(fontSize_)};
  float lineWidth = 0;
  for (wchar_t unit : text) {
    if (unit == 0) break;
    if (isLineBreak(unit)) {
      size.height += static_cast<int>(fontSize_ + kerningHeight_);
      size.width = std::max(size.width, static_cast<int>(lineWidth));
      lineWidth = 0;
      continue;
    }
    lineWidth += getCharAdvance(static_cast<unsigned>(unit)) + kerningWidth_;
  }
  size.width = std::max(size.width, static_cast<int>(lineWidth));
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

const GfxGlyph* GfxFont::getGlyph(unsigned unit) {
  if (unit >= kGlyphCount) return nullptr;
  GfxGlyph& glyph = glyphs_[unit];
  if (!glyph.built) {
    glyph.built = true;
    build(unit, glyph);
  }
  return &glyph;
}

float GfxFont::getCharAdvance(unsigned unit) const {
  return unit >= 0x2000 ? fontSize_ : halfAdvance(fontSize_);
}

void GfxFont::build(unsigned unit, GfxGlyph& glyph) {
  engine::GlyphBitmap bitmap;
  if (!face_ || !face_->render(unit, glyphFormat_, bitmap)) return;
  const engine::GlyphMetrics& m = bitmap.metrics;
  HTEXTURE texture = hge_->Texture_Create(static_cast<int>(m.blackBoxX), static_cast<int>(m.blackBoxY));
  if (texture == 0) return;
  if (!bitmap.bits.empty() && !fill(texture, bitmap)) {
    hge_->Texture_Free(texture);
    return;
  }
  glyph.texture = texture;
  glyph.width = static_cast<float>(m.blackBoxX);
  glyph.height = static_cast<float>(m.blackBoxY);
  glyph.offsetX = static_cast<float>(-m.originX);
  glyph.offsetY = static_cast<float>(m.originY - ascent_);
  glyph.advance = static_cast<float>(m.cellIncX);
}

// Writes the glyph's bits as white pixels whose alpha is the coverage.
bool GfxFont::fill(HTEXTURE texture, const engine::GlyphBitmap& bitmap) {
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
      if (glyphFormat_ == engine::GlyphBits::Mono) {
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
