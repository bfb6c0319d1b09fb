// A reference-counted engine texture: the last owner frees it.
#pragma once

#include <memory>
#include <string>

#include "engine/hge.h"

namespace gfx {

// Textures drawn by several objects (a script sprite whose texture enemies
// borrow, a bullet sheet that live bullets draw with) are held through this
// handle, so none of them can free the texture under the others' feet.
// Copies share ownership; the last copy to go frees the texture with
// Texture_Free. Each owned texture keeps one engine reference until then.
class SharedTexture {
 public:
  SharedTexture() = default;
  // Takes ownership of [tex]; 0 gives an empty handle.
  explicit SharedTexture(HTEXTURE tex);
  // The texture of the image file [path] (as Texture_Load takes it, which
  // decodes a file once for every handle loaded from it); empty when the
  // file cannot be loaded.
  static SharedTexture load(const std::string& path);

  HTEXTURE get() const;
  explicit operator bool() const { return owner_ != nullptr; }
  // Handles sharing this texture, this one included; 0 when empty.
  long owners() const { return owner_.use_count(); }
  // Drops this handle's share.
  void reset() { owner_.reset(); }

 private:
  struct Owner;
  std::shared_ptr<Owner> owner_;
};

}  // namespace gfx
