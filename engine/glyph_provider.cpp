// System glyphs for the bitmap font: fontconfig finds the face, FreeType draws the glyph.
#include "engine/glyph_provider.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <tuple>

#include "engine/platform.h"

namespace engine {
namespace {

// Larger glyphs are refused rather than allocated: no text the game draws
// comes near it, and a corrupt font cannot ask for gigabytes.
constexpr unsigned kMaxGlyphSide = 4096;

std::string toUtf8(const std::wstring& text) {
  std::string out;
  for (wchar_t wc : text) {
    auto c = static_cast<std::uint32_t>(wc);
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000 && (c < 0xD800 || c > 0xDFFF)) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }  // surrogates and units beyond the BMP name no font
  }
  return out;
}

// fontconfig's configuration, loaded once (matching is slow) and freed at exit.
struct FontConfig {
  ~FontConfig() {
    if (config != nullptr) FcConfigDestroy(config);
  }
  std::mutex mutex;
  FcConfig* config = nullptr;
  bool tried = false;
};

FontConfig& fontConfig() {
  static FontConfig instance;
  return instance;
}

struct Match {
  std::string file;
  int index = 0;
};

// The best installed face for [family] ("" for any) with Chinese coverage.
bool matchFace(const std::string& family, const GlyphFaceRequest& request, Match& out) {
  FontConfig& fc = fontConfig();
  std::lock_guard lock(fc.mutex);
  if (!fc.tried) {
    fc.tried = true;
    fc.config = FcInitLoadConfigAndFonts();
  }
  if (fc.config == nullptr) return false;
  FcPattern* query = FcPatternCreate();
  if (!family.empty()) FcPatternAddString(query, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(query, FC_WEIGHT, request.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(query, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(query, FC_PIXEL_SIZE, request.pixelSize);
  FcPatternAddBool(query, FC_SCALABLE, FcTrue);
  FcLangSet* langs = FcLangSetCreate();
  FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("zh-cn"));
  FcPatternAddLangSet(query, FC_LANG, langs);
  FcLangSetDestroy(langs);
  FcConfigSubstitute(fc.config, query, FcMatchPattern);
  FcDefaultSubstitute(query);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(fc.config, query, &result);
  FcPatternDestroy(query);
  if (match == nullptr) return false;
  FcChar8* file = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (found) {
    out.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &out.index) != FcResultMatch) out.index = 0;
  }
  FcPatternDestroy(match);
  return found;
}

// A FreeType face with the styles its file lacks, shared by every size:
// each render sets the size it draws at.
struct StyledFace {
  FT_Face face = nullptr;
  bool emboldenMissing = false;
  bool slantMissing = false;
  int sizedTo = 0;  // the pixel size last set

  [[nodiscard]] bool sizeTo(int pixelSize) {
    if (sizedTo == pixelSize) return true;
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize)) != 0) return false;
    sizedTo = pixelSize;
    return true;
  }
};

bool openStyled(FT_Library library, const Match& match, const GlyphFaceRequest& request, StyledFace& out) {
  FT_Face face = nullptr;
  if (FT_New_Face(library, match.file.c_str(), match.index, &face) != 0) {
    logError("FT_New_Face", match.file);
    return false;
  }
  out.face = face;
  // Asked of the file itself: fontconfig's own synthetic rules report the
  // style it would fake as the matched one.
  out.emboldenMissing = request.bold && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
  out.slantMissing = request.italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
  return true;
}

// Copies FreeType's rows (any pitch, either flow) into rows padded to 4 bytes.
void repack(const FT_Bitmap& bitmap, GlyphBits bits, GlyphBitmap& out) {
  unsigned width = bitmap.width;
  unsigned rows = bitmap.rows;
  bool mono = bits == GlyphBits::Mono;
  out.pitch = mono ? (width + 31) / 32 * 4 : (width + 3) & ~3u;
  out.bits.assign(std::size_t(out.pitch) * rows, 0);
  unsigned stride = unsigned(std::abs(bitmap.pitch));
  for (unsigned y = 0; y < rows; ++y) {
    // A negative pitch stores the bottom row first.
    unsigned sourceRow = bitmap.pitch >= 0 ? y : rows - 1 - y;
    const unsigned char* src = bitmap.buffer + std::size_t(sourceRow) * stride;
    unsigned char* dst = out.bits.data() + std::size_t(y) * out.pitch;
    if (mono) {
      std::copy(src, src + (width + 7) / 8, dst);
    } else {
      for (unsigned x = 0; x < width; ++x) dst[x] = static_cast<unsigned char>((src[x] * 64 + 127) / 255);
    }
  }
}

// One opened file in one style with its Chinese fallback: the part of a
// face that costs memory, opened once for all sizes.
struct FaceFile {
  ~FaceFile() {
    if (fallback.face != nullptr) FT_Done_Face(fallback.face);
    if (primary.face != nullptr) FT_Done_Face(primary.face);
    if (library != nullptr) FT_Done_FreeType(library);
  }

  // The face that has [unit]: the primary one, else the Chinese fallback,
  // else the primary one's missing-glyph box.
  StyledFace& faceFor(unsigned unit, FT_UInt& index) {
    index = FT_Get_Char_Index(primary.face, unit);
    if (index != 0) return primary;
    if (!fallbackTried) {
      fallbackTried = true;
      Match match;
      if (matchFace("", request, match) && match.file != file)
        if (!openStyled(library, match, request, fallback)) fallback = {};
    }
    if (fallback.face != nullptr) {
      FT_UInt other = FT_Get_Char_Index(fallback.face, unit);
      if (other != 0) {
        index = other;
        return fallback;
      }
    }
    return primary;
  }

  GlyphFaceRequest request;  // the first one, for the fallback's match
  std::string file;
  FT_Library library = nullptr;
  StyledFace primary;
  StyledFace fallback;
  bool fallbackTried = false;
  bool reportedOversize = false;
};

// Logged once per file: a zoom past the limit would log every frame.
bool refuseOversize(FaceFile& file) {
  if (!file.reportedOversize) {
    file.reportedOversize = true;
    logError("FT_Render_Glyph", file.file + ": glyphs past " + std::to_string(kMaxGlyphSide) + " pixels are not drawn");
  }
  return false;
}

using RequestKey = std::tuple<std::wstring, int, bool, bool>;
using FileKey = std::tuple<std::string, int, bool, bool>;

// The faces handed out by request, and the files they draw from by file and
// style; an entry lives as long as some holder keeps it.
struct FaceCache {
  std::mutex mutex;
  std::map<RequestKey, std::weak_ptr<GlyphFace>> byRequest;
  std::map<FileKey, std::weak_ptr<FaceFile>> byFile;
};

FaceCache& faceCache() {
  static FaceCache instance;
  return instance;
}

std::shared_ptr<FaceFile> openFile(const Match& match, const GlyphFaceRequest& request) {
  auto file = std::make_shared<FaceFile>();
  file->request = request;
  file->file = match.file;
  if (FT_Init_FreeType(&file->library) != 0) {
    file->library = nullptr;
    logError("FT_Init_FreeType", "");
    return nullptr;
  }
  if (!openStyled(file->library, match, request, file->primary)) return nullptr;
  return file;
}

}  // namespace

struct GlyphFace::Impl {
  std::shared_ptr<FaceFile> file;
  int pixelSize = 0;
  int ascent = 0;
};

GlyphFace::GlyphFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GlyphFace::~GlyphFace() = default;

std::shared_ptr<GlyphFace> GlyphFace::open(const GlyphFaceRequest& request) {
  if (request.pixelSize < 1 || unsigned(request.pixelSize) > kMaxGlyphSide) return nullptr;
  FaceCache& cache = faceCache();
  std::lock_guard lock(cache.mutex);
  RequestKey asked{request.family, request.pixelSize, request.italic, request.bold};
  if (auto shared = cache.byRequest[asked].lock()) return shared;
  Match match;
  if (!matchFace(toUtf8(request.family), request, match)) {
    logError("FcFontMatch", "no face for a requested family");
    return nullptr;
  }
  std::weak_ptr<FaceFile>& opened = cache.byFile[FileKey{match.file, match.index, request.italic, request.bold}];
  std::shared_ptr<FaceFile> file = opened.lock();
  if (!file) {
    file = openFile(match, request);
    if (!file) return nullptr;
    opened = file;
  }
  if (!file->primary.sizeTo(request.pixelSize)) {
    logError("FT_Set_Pixel_Sizes", match.file);
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->file = std::move(file);
  impl->pixelSize = request.pixelSize;
  impl->ascent = int((impl->file->primary.face->size->metrics.ascender + 63) >> 6);
  std::shared_ptr<GlyphFace> shared(new GlyphFace(std::move(impl)));
  cache.byRequest[asked] = shared;
  return shared;
}

int GlyphFace::ascent() const { return impl_->ascent; }

const std::string& GlyphFace::file() const { return impl_->file->file; }

bool GlyphFace::render(unsigned unit, GlyphBits bits, GlyphBitmap& out) {
  FaceFile& file = *impl_->file;
  FT_UInt index = 0;
  StyledFace& styled = file.faceFor(unit, index);
  if (!styled.sizeTo(impl_->pixelSize)) return false;
  bool mono = bits == GlyphBits::Mono;
  FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  if (FT_Load_Glyph(styled.face, index, flags) != 0) return false;
  FT_GlyphSlot slot = styled.face->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (styled.slantMissing) FT_GlyphSlot_Oblique(slot);
    if (styled.emboldenMissing) FT_GlyphSlot_Embolden(slot);
  }
  // Loading presets the bitmap's size: an oversized one is never made.
  if (slot->bitmap.width > kMaxGlyphSide || slot->bitmap.rows > kMaxGlyphSide) return refuseOversize(file);
  float scale = 1;
  unsigned side = std::max(slot->bitmap.width, slot->bitmap.rows);
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE && side > kFullResolutionSide) {
    scale = float(side) / float(kFullResolutionSide);
    FT_Matrix shrink{FT_Fixed(65536 / scale), 0, 0, FT_Fixed(65536 / scale)};
    FT_Outline_Transform(&slot->outline, &shrink);
  }
  if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.width > kMaxGlyphSide || bitmap.rows > kMaxGlyphSide) return refuseOversize(file);
  FT_Pixel_Mode expected = mono ? FT_PIXEL_MODE_MONO : FT_PIXEL_MODE_GRAY;
  bool inked = bitmap.width > 0 && bitmap.rows > 0;
  if (inked && (bitmap.pixel_mode != expected || bitmap.buffer == nullptr)) return false;

  GlyphBitmap result;
  result.metrics.cellIncX = int((slot->advance.x + 32) >> 6);
  result.metrics.cellIncY = 0;
  result.metrics.originX = int(std::lround(float(slot->bitmap_left) * scale));
  result.metrics.originY = int(std::lround(float(slot->bitmap_top) * scale));
  result.scale = scale;
  if (inked) {
    result.metrics.blackBoxX = bitmap.width;
    result.metrics.blackBoxY = bitmap.rows;
    repack(bitmap, bits, result);
  } else {
    result.metrics.blackBoxX = result.metrics.blackBoxY = 1;
    result.pitch = 4;
  }
  out = std::move(result);
  return true;
}

}  // namespace engine
