// The engine-level textured quad: a rectangle of a texture drawn with hot spot, rotation, scale, colours and flips.
#pragma once

#include "engine/hge.h"

// Vertex 0 is the top-left corner, 1 top-right, 2 bottom-right, 3
// bottom-left. Every live sprite holds one reference to the engine
// interface that the whole class shares. The texture is not owned.
class hgeSprite {
 public:
  // Cuts the rectangle ([x], [y], [w], [h]) in texels out of [tex] (0 for
  // none, which makes texture coordinates equal the texel values). Hot spot
  // (0, 0), no flips, z 0.5, white corners, blend BLEND_DEFAULT.
  hgeSprite(HTEXTURE tex, float x, float y, float w, float h);
  hgeSprite(const hgeSprite& other);
  hgeSprite& operator=(const hgeSprite& other) = default;
  ~hgeSprite();

  // Places the hot spot at ([x], [y]).
  void Render(float x, float y);
  // As Render, rotated by [rot] radians (clockwise on screen) and scaled
  // about the hot spot. A [vscale] of 0 means [hscale].
  void RenderEx(float x, float y, float rot, float hscale = 1.0f, float vscale = 0.0f);

  // Keeps the texel rectangle when the new texture differs in size.
  void SetTexture(HTEXTURE tex);
  // Re-applies the current flips to the new rectangle. [adjSize] also
  // takes [w] and [h] as the drawn size.
  void SetTextureRect(float x, float y, float w, float h, bool adjSize = true);
  // [bHotSpot]: the hot spot mirrors with the image. Repeating a call
  // changes nothing.
  void SetFlip(bool bX, bool bY, bool bHotSpot = false);
  // Vertex [i] 0-3, or all four for -1; any other index does nothing,
  // because scripts choose it.
  void SetColor(DWORD col, int i = -1);
  void SetZ(float z, int i = -1);
  void SetHotSpot(float x, float y);
  void SetBlendMode(int blend) { quad.blend = blend; }

  HTEXTURE GetTexture() const { return quad.tex; }
  void GetTextureRect(float* x, float* y, float* w, float* h) const;
  // Vertex [i] 0-3 (-1 reads vertex 0); 0 for any other index.
  DWORD GetColor(int i = 0) const;
  float GetZ(int i = 0) const;
  int GetBlendMode() const { return quad.blend; }
  void GetHotSpot(float* x, float* y) const;
  void GetFlip(bool* bX, bool* bY) const;
  float GetWidth() const { return width; }
  float GetHeight() const { return height; }

 protected:
  void layTexCoords(float tx1, float ty1, float tx2, float ty2);
  void swapTexCoords(int a, int b);
  void mirrorHotSpot();
  void applyFlips(bool bX, bool bY);

  static HGE* hge_;

  hgeQuad quad{};
  float tx = 0, ty = 0, width = 0, height = 0;
  float tex_width = 1, tex_height = 1;
  float hotX = 0, hotY = 0;
  bool bXFlip = false, bYFlip = false, bHSFlip = false;
};
