// Texture storage shared by both backends: pixels in memory, handles never reused.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/hge.h"

namespace engine {

// The largest side a texture may have. Enforced by decodePng and
// Texture_Create, so a corrupt header never asks for gigabytes.
constexpr int kMaxTextureSide = 16384;

// One texture: straight-alpha 0xAARRGGBB pixels, row after row, pitch = width.
struct Texture {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;
  bool locked = false;
  bool lockedReadOnly = false;
  // Set whenever the pixels change; the GL renderer re-uploads and clears it.
  bool dirty = true;
  // The renderer's own name for the texture (a GL texture name), 0 = none yet.
  unsigned deviceName = 0;
};

// Handles come from one process-wide counter, so a handle freed (or left
// over from an engine that was released) never names a newer texture.
class TextureStore {
 public:
  HTEXTURE add(Texture texture);
  // Null for 0, a freed or an unknown handle. A frame's quads use a few
  // textures over and over, so recent answers are kept (by the handle's low
  // bits) until the store changes.
  Texture* find(HTEXTURE handle) {
    const Recent& recent = recent_[handle % kRecent];
    if (recent.handle == handle) return recent.texture;
    return findAndKeep(handle);
  }
  // Moves the texture out into [removed]; false for 0 or an unknown handle.
  bool remove(HTEXTURE handle, Texture& removed);
  // Every live texture, for the renderer to release its device names.
  template <typename Fn>
  void forEach(Fn fn) {
    for (auto& [handle, texture] : textures_) fn(texture);
  }
  void clear() {
    textures_.clear();
    forget();
  }

 private:
  Texture* findAndKeep(HTEXTURE handle);
  void forget() {
    for (Recent& recent : recent_) recent = Recent{};
  }

  struct Recent {
    HTEXTURE handle = 0;  // 0 always finds nothing
    Texture* texture = nullptr;
  };
  static constexpr HTEXTURE kRecent = 8;
  std::unordered_map<HTEXTURE, Texture> textures_;
  Recent recent_[kRecent];
};

// Decodes a PNG file image into [out] at its exact size. False with
// [error] set when the bytes are not a readable PNG or a side exceeds
// kMaxTextureSide (checked before any pixel memory is taken).
[[nodiscard]] bool decodePng(const unsigned char* data, size_t size, Texture& out, std::string& error);

// Writes [pixels] (0xAARRGGBB, top row first) as a PNG file at the UTF-8 [path].
[[nodiscard]] bool writePng(const std::string& path, int width, int height, const DWORD* pixels,
                            std::string& error);

}  // namespace engine
