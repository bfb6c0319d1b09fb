// Texture handles and PNG decoding and encoding through libpng's simplified API.
#include "engine/textures.h"

#include <png.h>

#include <atomic>
#include <bit>
#include <cstring>

namespace engine {
namespace {

// Pixel words are read and written as B G R A bytes.
static_assert(std::endian::native == std::endian::little, "textures assume a little-endian machine");

// Handles start at 1; 0 means "no texture".
std::atomic<HTEXTURE> gNextHandle{1};

}  // namespace

HTEXTURE TextureStore::add(Texture texture) {
  HTEXTURE handle = gNextHandle.fetch_add(1);
  textures_.emplace(handle, std::move(texture));
  return handle;
}

Texture* TextureStore::find(HTEXTURE handle) {
  if (handle == 0) return nullptr;
  auto it = textures_.find(handle);
  return it == textures_.end() ? nullptr : &it->second;
}

bool TextureStore::remove(HTEXTURE handle, Texture& removed) {
  auto it = textures_.find(handle);
  if (handle == 0 || it == textures_.end()) return false;
  removed = std::move(it->second);
  textures_.erase(it);
  return true;
}

bool decodePng(const unsigned char* data, size_t size, Texture& out, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) {
    error = image.message;
    return false;
  }
  if (image.width > kMaxTextureSide || image.height > kMaxTextureSide) {
    png_image_free(&image);
    error = "image too large";
    return false;
  }
  // BGRA bytes in memory are little-endian 0xAARRGGBB words; the 8-bit sRGB
  // formats keep alpha straight (only linear formats premultiply).
  image.format = PNG_FORMAT_BGRA;
  std::vector<DWORD> pixels(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    error = image.message;
    png_image_free(&image);
    return false;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
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
