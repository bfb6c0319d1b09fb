// A reference-counted engine texture.
#include "gfx/shared_texture.h"

namespace gfx {

struct SharedTexture::Owner {
  explicit Owner(HTEXTURE t) : tex(t), hge(hgeCreate(HGE_VERSION)) {}
  ~Owner() {
    hge->Texture_Free(tex);
    hge->Release();
  }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;

  HTEXTURE tex;
  HGE* hge;
};

SharedTexture::SharedTexture(HTEXTURE tex) {
  if (tex != 0) owner_ = std::make_shared<Owner>(tex);
}

HTEXTURE SharedTexture::get() const { return owner_ ? owner_->tex : 0; }

}  // namespace gfx
