// The engine object's drawing and texture calls: scenes, batching, the transform, textures.
#include "engine/hge_impl.h"

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/platform.h"

namespace engine {

void Transform::apply(hgeVertex& v) const {
  float x = (v.x - cx) * hscale;
  float y = (v.y - cy) * vscale;
  v.x = x * cosR - y * sinR + cx + dx;
  v.y = x * sinR + y * cosR + cy + dy;
}

bool HgeImpl::Gfx_BeginScene(HTEXTURE target) {
  // Render targets are not offered: the game only draws to the screen.
  if (!initiated_ || inScene_ || target != 0) return false;
  device_->beginScene();
  inScene_ = true;
  return true;
}

void HgeImpl::Gfx_EndScene() {
  if (!inScene_) return;
  flushBatch();
  inScene_ = false;
  device_->endScene(frame_);
}

void HgeImpl::Gfx_Clear(DWORD color) {
  if (!initiated_) return;
  flushBatch();
  device_->clear(color);
}

void HgeImpl::Gfx_RenderQuad(const hgeQuad* quad) {
  if (!inScene_ || quad == nullptr) return;
  Texture* texture = textures_.find(quad->tex);
  HTEXTURE handle = texture ? quad->tex : 0;
  int blend = quad->blend & 7;
  // By handle, not texture: handles sharing one picture still draw as their own.
  if (batch_.empty() || handle != batchHandle_ || blend != batchBlend_) {
    flushBatch();
    batchHandle_ = handle;
    batchTexture_ = texture;
    batchBlend_ = blend;
  }
  for (const hgeVertex& corner : quad->v) {
    batch_.push_back(corner);
    if (transform_.active) transform_.apply(batch_.back());
  }
}

void HgeImpl::flushBatch() {
  if (batch_.empty()) return;
  if (device_) {
    device_->drawBatch(batchHandle_, batchTexture_, batchBlend_, batch_.data(),
                       static_cast<int>(batch_.size() / 4));
  }
  batch_.clear();
}

void HgeImpl::Gfx_SetTransform(float x, float y, float dx, float dy, float rot, float hscale,
                               float vscale) {
  if (hscale == 0 && vscale == 0) {
    transform_ = Transform{};
    return;
  }
  transform_.active = true;
  transform_.cx = x;
  transform_.cy = y;
  transform_.dx = dx;
  transform_.dy = dy;
  transform_.cosR = std::cos(rot);
  transform_.sinR = std::sin(rot);
  transform_.hscale = hscale;
  transform_.vscale = vscale == 0 ? hscale : vscale;
}

HTEXTURE HgeImpl::Texture_Create(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  if (std::string problem = textureSizeProblem(width, height); !problem.empty()) {
    logError("Texture_Create", problem);
    return 0;
  }
  Texture texture;
  texture.width = width;
  texture.height = height;
  try {
    texture.pixels.assign(static_cast<size_t>(width) * height, 0);
  } catch (const std::bad_alloc&) {
    logError("Texture_Create", std::to_string(width) + " x " + std::to_string(height) + ": out of memory");
    return 0;
  }
  return textures_.add(std::move(texture));
}

namespace {

// What makes two loads of a file decode alike: the file itself, however
// its path is spelt (and, should it be replaced meanwhile, its size and
// time), and the mipmap flag. "" when the file cannot be looked at.
std::string shareKeyOf(const std::string& resolved, bool mipmap) {
  struct stat info;
  if (::stat(resolved.c_str(), &info) != 0) return {};
  return std::to_string(info.st_dev) + ':' + std::to_string(info.st_ino) + ':' + std::to_string(info.st_size) +
         ':' + std::to_string(info.st_mtim.tv_sec) + '.' + std::to_string(info.st_mtim.tv_nsec) +
         (mipmap ? ":mipmap" : "");
}

}  // namespace

HTEXTURE HgeImpl::Texture_Load(const char* filename, DWORD size, bool bMipmap) {
  if (filename == nullptr) return 0;
  std::vector<unsigned char> file;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(filename);
  // Else [filename] points at [size] bytes of image in memory.
  const bool fromFile = size == 0;
  std::string key;
  if (fromFile) {
    int error = 0;
    // Every object that names a picture loads it; one decoded copy serves all.
    const std::string resolved = resolveRegularFile(filename, &error);
    if (!resolved.empty()) key = shareKeyOf(resolved, bMipmap);
    if (HTEXTURE shared = key.empty() ? 0 : textures_.share(key)) return shared;
    if (resolved.empty() || !readFile(filename, file, &error)) {
      logError("Texture_Load", "cannot read " + displayPath(filename) + ": " + fileErrorText(error));
      return 0;
    }
    bytes = file.data();
    size = static_cast<DWORD>(file.size());
  }
  Texture texture;
  std::string detail;
  if (!decodePng(bytes, size, texture, detail)) {
    logError("Texture_Load", (fromFile ? displayPath(filename) : std::string("<memory>")) + ": " + detail);
    return 0;
  }
  texture.shareKey = std::move(key);
  return textures_.add(std::move(texture));
}

void HgeImpl::Texture_Free(HTEXTURE tex) {
  Texture* texture = textures_.find(tex);
  if (texture == nullptr) return;
  if (texture == batchTexture_) {
    flushBatch();
    batchTexture_ = nullptr;
    batchBlend_ = -1;
  }
  // Other handles may still draw with it.
  if (device_ && textures_.sharers(tex) == 1) device_->textureFreed(*texture);
  Texture removed;
  textures_.remove(tex, removed);
}

int HgeImpl::Texture_GetWidth(HTEXTURE tex, bool) {
  Texture* texture = textures_.find(tex);
  return texture ? texture->width : 0;
}

int HgeImpl::Texture_GetHeight(HTEXTURE tex, bool) {
  Texture* texture = textures_.find(tex);
  return texture ? texture->height : 0;
}

DWORD* HgeImpl::Texture_Lock(HTEXTURE tex, bool bReadOnly, int left, int top, int width,
                             int height) {
  Texture* texture = textures_.find(tex);
  if (texture == nullptr || texture->locked) return nullptr;
  // Compared as differences: left + width may not fit an int.
  if (left < 0 || top < 0 || width < 0 || height < 0 || left > texture->width ||
      top > texture->height || width > texture->width - left || height > texture->height - top || (width == 0 && left != 0) || (height == 0 && top != 0)) {
    return nullptr;
  }
  // Quads already submitted with this texture must show the old pixels.
  if (!bReadOnly) {
    if (texture == batchTexture_) flushBatch();
    // Handles sharing the file's picture must not see the writes.
    texture = textures_.own(tex);
    if (texture == nullptr) return nullptr;
    if (device_) device_->textureWillChange(*texture);
  }
  texture->locked = true;
  texture->lockedReadOnly = bReadOnly;
  return texture->pixels.data() + static_cast<size_t>(top) * texture->width + left;
}

void HgeImpl::Texture_Unlock(HTEXTURE tex) {
  Texture* texture = textures_.find(tex);
  if (texture == nullptr || !texture->locked) return;
  texture->locked = false;
  if (!texture->lockedReadOnly) texture->dirty = true;
}

}  // namespace engine
