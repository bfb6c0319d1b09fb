// Texture storage shared by both backends: pixels in memory, handles never reused.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/hge.h"

namespace engine {

// The largest side and the most pixels a texture may have (64 megapixels,
// 256 MiB): far above any picture of an 800 x 600 game, far below the
// machine. Enforced by decodePng (from the header, before decoding) and
// Texture_Create, so a small file never asks for gigabytes.
constexpr int kMaxTextureSide = 16384;
constexpr std::uint64_t kMaxTexturePixels = std::uint64_t(64) << 20;
// The reason a texture of [width] x [height] is refused, "" when it is not.
std::string textureSizeProblem(std::uint64_t width, std::uint64_t height);

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
  // What loaded it from a file (TextureStore::share), "" when nothing may
  // share it: created textures and those written since.
  std::string shareKey;
};

// Handles come from one process-wide counter, so a handle freed (or left
// over from an engine that was released) never names a newer texture.
// Several handles may name one texture decoded from a file: each handle is
// one reference, and the texture goes with the last.
class TextureStore {
 public:
  HTEXTURE add(Texture texture);
  // A new handle to the texture stored under [texture.shareKey] while one
  // lives; 0 when none does (then the caller decodes and adds it).
  HTEXTURE share(const std::string& key);
  // Null for 0, a freed or an unknown handle. A frame's quads use a few
  // textures over and over, so recent answers are kept (by the handle's low
  // bits) until the store changes.
  Texture* find(HTEXTURE handle) {
    const Recent& recent = recent_[handle % kRecent];
    if (recent.handle == handle) return recent.texture;
    return findAndKeep(handle);
  }
  // Handles naming [handle]'s texture, itself included; 0 for none.
  long sharers(HTEXTURE handle) const;
  // [handle]'s texture made its own, for writing: a copy when other handles
  // share it (they keep the file's pixels), and never shared again. Null for
  // an unknown handle.
  Texture* own(HTEXTURE handle);
  // Drops [handle]; when it was the texture's last, moves the texture out
  // into [removed]. False for 0 or an unknown handle.
  bool remove(HTEXTURE handle, Texture& removed);
  // Every live texture (a shared one once per handle), for the renderer to
  // release its device names.
  template <typename Fn>
  void forEach(Fn fn) {
    for (auto& [handle, texture] : textures_) fn(*texture);
  }
  void clear() {
    textures_.clear();
    shared_.clear();
    forget();
  }

 private:
  Texture* findAndKeep(HTEXTURE handle);
  // Takes [texture] out of the shared ones.
  void forgetKey(const std::shared_ptr<Texture>& texture);
  void forget() {
    for (Recent& recent : recent_) recent = Recent{};
  }

  struct Recent {
    HTEXTURE handle = 0;  // 0 always finds nothing
    Texture* texture = nullptr;
  };
  static constexpr HTEXTURE kRecent = 8;
  std::unordered_map<HTEXTURE, std::shared_ptr<Texture>> textures_;
  std::unordered_map<std::string, std::weak_ptr<Texture>> shared_;
  Recent recent_[kRecent];
};

// Decodes a PNG file image into [out] at its exact size. False with
// [error] set when the bytes are not a readable PNG or the header's size is
// refused by textureSizeProblem (checked before any pixel memory is taken).
[[nodiscard]] bool decodePng(const unsigned char* data, size_t size, Texture& out, std::string& error);

// Writes [pixels] (0xAARRGGBB, top row first) as a PNG file at the UTF-8 [path].
[[nodiscard]] bool writePng(const std::string& path, int width, int height, const DWORD* pixels,
                            std::string& error);

}  // namespace engine
