// The engine-level textured quad.
#include "gfx/hgeSprite.h"

#include <cmath>
#include <utility>

HGE* hgeSprite::hge_ = nullptr;

namespace {

// The texture's size in texels; 1 x 1 without one (or for a stale handle),
// so texture coordinates are the texel values and nothing divides by zero.
void textureSize(HGE* hge, HTEXTURE tex, float* w, float* h) {
  int tw = tex ? hge->Texture_GetWidth(tex, false) : 0;
  int th = tex ? hge->Texture_GetHeight(tex, false) : 0;
  *w = tw > 0 ? static_cast<float>(tw) : 1.0f;
  *h = th > 0 ? static_cast<float>(th) : 1.0f;
}

bool validVertex(int i) { return i >= -1 && i <= 3; }

}  // namespace

hgeSprite::hgeSprite(HTEXTURE tex, float x, float y, float w, float h)
    : tx(x), ty(y), width(w), height(h) {
  hge_ = hgeCreate(HGE_VERSION);
  textureSize(hge_, tex, &tex_width, &tex_height);
  quad.tex = tex;
  quad.blend = BLEND_DEFAULT;
  layTexCoords(x / tex_width, y / tex_height, (x + w) / tex_width, (y + h) / tex_height);
  for (hgeVertex& v : quad.v) {
    v.z = 0.5f;
    v.col = 0xFFFFFFFF;
  }
}

hgeSprite::hgeSprite(const hgeSprite& other) {
  hge_ = hgeCreate(HGE_VERSION);
  *this = other;
}

hgeSprite::~hgeSprite() { hge_->Release(); }

void hgeSprite::Render(float x, float y) {
  float x1 = x - hotX;
  float y1 = y - hotY;
  float x2 = x1 + width;
  float y2 = y1 + height;
  quad.v[0].x = x1;
  quad.v[0].y = y1;
  quad.v[1].x = x2;
  quad.v[1].y = y1;
  quad.v[2].x = x2;
  quad.v[2].y = y2;
  quad.v[3].x = x1;
  quad.v[3].y = y2;
  hge_->Gfx_RenderQuad(&quad);
}

void hgeSprite::RenderEx(float x, float y, float rot, float hscale, float vscale) {
  if (vscale == 0) vscale = hscale;
  float x1 = -hotX * hscale;
  float y1 = -hotY * vscale;
  float x2 = (width - hotX) * hscale;
  float y2 = (height - hotY) * vscale;
  const float corners[4][2] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
  if (rot != 0) {
    float c = std::cos(rot);
    float s = std::sin(rot);
    for (int i = 0; i < 4; ++i) {
      quad.v[i].x = corners[i][0] * c - corners[i][1] * s + x;
      quad.v[i].y = corners[i][0] * s + corners[i][1] * c + y;
    }
  } else {
    for (int i = 0; i < 4; ++i) {
      quad.v[i].x = corners[i][0] + x;
      quad.v[i].y = corners[i][1] + y;
    }
  }
  hge_->Gfx_RenderQuad(&quad);
}

void hgeSprite::SetTexture(HTEXTURE tex) {
  float newWidth = 1, newHeight = 1;
  textureSize(hge_, tex, &newWidth, &newHeight);
  quad.tex = tex;
  if (newWidth == tex_width && newHeight == tex_height) return;
  // Vertices 0 and 2 carry both edges whatever the flips, and laying the
  // four again from them keeps the flips.
  float tx1 = quad.v[0].tx * tex_width / newWidth;
  float ty1 = quad.v[0].ty * tex_height / newHeight;
  float tx2 = quad.v[2].tx * tex_width / newWidth;
  float ty2 = quad.v[2].ty * tex_height / newHeight;
  tex_width = newWidth;
  tex_height = newHeight;
  layTexCoords(tx1, ty1, tx2, ty2);
}

void hgeSprite::SetTextureRect(float x, float y, float w, float h, bool adjSize) {
  tx = x;
  ty = y;
  if (adjSize) {
    width = w;
    height = h;
  }
  layTexCoords(x / tex_width, y / tex_height, (x + w) / tex_width, (y + h) / tex_height);
  // The coordinates were laid unflipped; the flags and the hot spot still
  // describe the current flips, so only the coordinates are mirrored again.
  if (bXFlip) {
    swapTexCoords(0, 1);
    swapTexCoords(3, 2);
  }
  if (bYFlip) {
    swapTexCoords(0, 3);
    swapTexCoords(1, 2);
  }
}

void hgeSprite::SetFlip(bool bX, bool bY, bool bHotSpot) {
  mirrorHotSpot();  // undo with the old flags
  bHSFlip = bHotSpot;
  applyFlips(bX, bY);
  mirrorHotSpot();  // redo with the new ones
}

void hgeSprite::SetColor(DWORD col, int i) {
  if (!validVertex(i)) return;
  if (i != -1) {
    quad.v[i].col = col;
    return;
  }
  for (hgeVertex& v : quad.v) v.col = col;
}

void hgeSprite::SetZ(float z, int i) {
  if (!validVertex(i)) return;
  if (i != -1) {
    quad.v[i].z = z;
    return;
  }
  for (hgeVertex& v : quad.v) v.z = z;
}

void hgeSprite::SetHotSpot(float x, float y) {
  hotX = x;
  hotY = y;
}

void hgeSprite::GetTextureRect(float* x, float* y, float* w, float* h) const {
  *x = tx;
  *y = ty;
  *w = width;
  *h = height;
}

DWORD hgeSprite::GetColor(int i) const {
  if (!validVertex(i)) return 0;
  return quad.v[i == -1 ? 0 : i].col;
}

float hgeSprite::GetZ(int i) const {
  if (!validVertex(i)) return 0;
  return quad.v[i == -1 ? 0 : i].z;
}

void hgeSprite::GetHotSpot(float* x, float* y) const {
  *x = hotX;
  *y = hotY;
}

void hgeSprite::GetFlip(bool* bX, bool* bY) const {
  *bX = bXFlip;
  *bY = bYFlip;
}

void hgeSprite::layTexCoords(float tx1, float ty1, float tx2, float ty2) {
  quad.v[0].tx = tx1;
  quad.v[0].ty = ty1;
  quad.v[1].tx = tx2;
  quad.v[1].ty = ty1;
  quad.v[2].tx = tx2;
  quad.v[2].ty = ty2;
  quad.v[3].tx = tx1;
  quad.v[3].ty = ty2;
}

void hgeSprite::swapTexCoords(int a, int b) {
  std::swap(quad.v[a].tx, quad.v[b].tx);
  std::swap(quad.v[a].ty, quad.v[b].ty);
}

// Mirrors the hot spot when it follows the image; applying it twice with
// the same flags restores it.
void hgeSprite::mirrorHotSpot() {
  if (bHSFlip && bXFlip) hotX = width - hotX;
  if (bHSFlip && bYFlip) hotY = height - hotY;
}

void hgeSprite::applyFlips(bool bX, bool bY) {
  if (bX != bXFlip) {
    swapTexCoords(0, 1);
    swapTexCoords(3, 2);
    bXFlip = !bXFlip;
  }
  if (bY != bYFlip) {
    swapTexCoords(0, 3);
    swapTexCoords(1, 2);
    bYFlip = !bYFlip;
  }
}
