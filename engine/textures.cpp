// Texture handles, PNG decoding through libpng and screenshot encoding through its simplified API.
#include "engine/textures.h"

#include <png.h>

#include <atomic>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

namespace engine {
namespace {

// Pixel words are read and written as B G R A bytes.
static_assert(std::endian::native == std::endian::little, "textures assume a little-endian machine");

// Handles start at 1; 0 means "no texture".
std::atomic<HTEXTURE> gNextHandle{1};

}  // namespace

std::string textureSizeProblem(std::uint64_t width, std::uint64_t height) {
  if (width <= std::uint64_t(kMaxTextureSide) && height <= std::uint64_t(kMaxTextureSide) &&
      width * height <= kMaxTexturePixels) {
    return {};
  }
  return "image too large: " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels (at most " + std::to_string(kMaxTextureSide) + " a side and " +
         std::to_string(kMaxTexturePixels) + " in all)";
}

HTEXTURE TextureStore::add(Texture texture) {
  HTEXTURE handle = gNextHandle.fetch_add(1);
  auto stored = std::make_shared<Texture>(std::move(texture));
  if (!stored->shareKey.empty()) shared_[stored->shareKey] = stored;
  textures_.emplace(handle, std::move(stored));
  forget();
  return handle;
}

HTEXTURE TextureStore::share(const std::string& key) {
  auto found = shared_.find(key);
  if (found == shared_.end()) return 0;
  std::shared_ptr<Texture> texture = found->second.lock();
  if (!texture) {
    shared_.erase(found);
    return 0;
  }
  HTEXTURE handle = gNextHandle.fetch_add(1);
  textures_.emplace(handle, std::move(texture));
  forget();
  return handle;
}

Texture* TextureStore::findAndKeep(HTEXTURE handle) {
  auto it = handle == 0 ? textures_.end() : textures_.find(handle);
  Recent& recent = recent_[handle % kRecent];
  recent.handle = handle;
  recent.texture = it == textures_.end() ? nullptr : it->second.get();
  return recent.texture;
}

void TextureStore::forgetKey(const std::shared_ptr<Texture>& texture) {
  auto found = shared_.find(texture->shareKey);
  if (found != shared_.end() && found->second.lock() == texture) shared_.erase(found);
  texture->shareKey.clear();
}

long TextureStore::sharers(HTEXTURE handle) const {
  auto it = handle == 0 ? textures_.end() : textures_.find(handle);
  return it == textures_.end() ? 0 : it->second.use_count();
}

Texture* TextureStore::own(HTEXTURE handle) {
  auto it = handle == 0 ? textures_.end() : textures_.find(handle);
  if (it == textures_.end()) return nullptr;
  std::shared_ptr<Texture>& texture = it->second;
  if (texture.use_count() > 1) {
    try {
      Texture copy;
      copy.width = texture->width;
      copy.height = texture->height;
      copy.pixels = texture->pixels;
      texture = std::make_shared<Texture>(std::move(copy));
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    forget();
  } else {
    forgetKey(texture);
  }
  return texture.get();
}

bool TextureStore::remove(HTEXTURE handle, Texture& removed) {
  auto it = textures_.find(handle);
  if (handle == 0 || it == textures_.end()) return false;
  std::shared_ptr<Texture> texture = std::move(it->second);
  textures_.erase(it);
  forget();
  if (texture.use_count() == 1) {
    forgetKey(texture);
    removed = std::move(*texture);
  }
  return true;
}

namespace {

// The bytes being decoded and libpng's last error text.
struct PngSource {
  const unsigned char* data;
  std::size_t size;
  std::size_t pos;
  char error[160];
};

void readPngBytes(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > source->size - source->pos) png_error(png, "file is truncated");
  std::memcpy(out, source->data + source->pos, length);
  source->pos += length;
}

void onPngError(png_structp png, png_const_charp message) {
  auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
  std::snprintf(source->error, sizeof source->error, "%s", message);
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// The two steps below run libpng, which reports errors by longjmp to the
// setjmp in the same step; they hold nothing that needs a destructor, so
// the jump skips none. Every allocation of ours happens between them.

// Reads the header and asks for 8-bit B G R A samples exactly as stored:
// 16-bit samples are stripped to their high byte and no gamma, colour
// profile or background is applied.
bool readPngHeader(png_structp png, png_infop info, png_uint_32& width, png_uint_32& height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  int depth = 0, colour = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colour, nullptr, nullptr, nullptr);
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != std::size_t(width) * 4) png_error(png, "unexpected pixel layout");
  return true;
}

bool readPngPixels(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

bool decodePng(const unsigned char* data, size_t size, Texture& out, std::string& error) {
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
    error = "not a PNG file";
    return false;
  }
  PngSource source{data, size, 0, "out of memory"};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, onPngError, onPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  struct Cleanup {
    png_structp& png;
    png_infop& info;
    ~Cleanup() {
      if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
  } cleanup{png, info};
  if (info == nullptr) {
    error = source.error;
    return false;
  }
  png_set_read_fn(png, &source, readPngBytes);
  png_uint_32 width = 0, height = 0;
  if (!readPngHeader(png, info, width, height)) {
    error = source.error;
    return false;
  }
  if (std::string problem = textureSizeProblem(width, height); !problem.empty()) {
    error = problem;
    return false;
  }
  std::vector<DWORD> pixels;
  std::vector<png_bytep> rows;
  try {
    pixels.resize(std::size_t(width) * height);
    rows.resize(height);
  } catch (const std::bad_alloc&) {
    error = "out of memory for " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
    return false;
  }
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(pixels.data() + std::size_t(y) * width);
  if (!readPngPixels(png, rows.data())) {
    error = source.error;
    return false;
  }
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.pixels = std::move(pixels);
  out.dirty = true;
  return true;
}

bool writePng(const std::string& path, int width, int height, const DWORD* pixels, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_BGRA;
  if (!png_image_write_to_file(&image, path.c_str(), 0, pixels, 0, nullptr)) {
    error = image.message;
    return false;
  }
  return true;
}

}  // namespace engine
