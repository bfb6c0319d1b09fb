// A reference-counted engine texture.
#include "gfx/shared_texture.h"

#include <map>

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

SharedTexture SharedTexture::load(const std::string& path) {
  // Weak entries: the cache never keeps a texture alive by itself.
  static std::map<std::string, std::weak_ptr<Owner>, std::less<>> cache;
  SharedTexture shared;
  auto found = cache.find(path);
  if (found != cache.end()) shared.owner_ = found->second.lock();
  if (shared.owner_) return shared;
  HGE* hge = hgeCreate(HGE_VERSION);
  shared = SharedTexture(hge->Texture_Load(path.c_str(), 0, false));
  hge->Release();
  if (shared.owner_) {
    cache[path] = shared.owner_;
  } else if (found != cache.end()) {
    cache.erase(found);
  }
  return shared;
}

HTEXTURE SharedTexture::get() const { return owner_ ? owner_->tex : 0; }

}  // namespace gfx
