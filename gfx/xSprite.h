// The game's sprite: an hgeSprite with position, rotation, scale and colour, faded, scaled and moved by tweens.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/hge.h"
#include "gfx/shared_texture.h"
#include "gfx/hgeColor.h"
#include "gfx/hgeDistortionMesh.h"
#include "gfx/hgeSprite.h"
#include "gfx/xEffect.h"

// The owner calls update() once per frame and render() once per drawn
// frame. A sprite whose image failed to load has no `sprite`: it draws
// nothing and ignores every call on the picture, but its tweens and colour
// still update. Fields are open because the game's objects and the script
// host functions drive them directly.
class xSprite {
 public:
  // Loads [name] from the graphics folder whatever folder the name itself
  // holds ("UI/x.png" is data/graphic/UI/x.png). On failure logs one line.
  explicit xSprite(const std::string& name);
  // A sprite over a texture someone else owns and keeps alive.
  xSprite(HTEXTURE tex, float x, float y, float w, float h);
  // A sprite sharing ownership of [tex]: the texture lives while any
  // sprite holds it.
  xSprite(const gfx::SharedTexture& tex, float x, float y, float w, float h);
  ~xSprite();
  xSprite(const xSprite&) = delete;
  xSprite& operator=(const xSprite&) = delete;

  // Steps fade, scale and move, applies the colour, then the rotation.
  void update();
  // At (x, y); nothing when the alpha is exactly 0.
  void render();
  // At ([x], [y]) with the sprite's own rotation and scale.
  void renderEx(float x, float y);

  // Fades the alpha to [target] over [frames]. [fadeIn] alone starts from
  // 0.01 with a step of target / frames; with [fromCurrent], or without
  // [fadeIn], it starts from the current alpha. 0 frames sets it at once.
  void fade(std::uint32_t frames, float target, bool fadeIn, bool fromCurrent);
  // 0 frames sets the scale at once.
  void scaleTo(std::uint32_t frames, float sx, float sy);
  // Keeps the move tween's counter, so a move started after a finished one
  // arrives a frame sooner; a counter already past [frames] restarts, so
  // the move is never lost. 0 frames places the sprite at once.
  void moveTo(std::uint32_t frames, float x, float y);
  // Places the sprite at once and stops a move.
  void setPos(float x, float y);
  // Scales at once and stops a scaling.
  void setScale(float sx, float sy);
  // All four corners, and the colour kept from now on; stops a fade.
  void setColor(DWORD col);
  void setHotSpot(float x, float y);
  void setHotSpotCenter();
  // Also sets the drawn size.
  void setTextureRect(float x, float y, float w, float h);
  // Any record with x, y, w, h (poses, animation frames).
  template <class Rect>
  void setTextureRectFrom(const Rect& rect) {
    setTextureRect(rect.x, rect.y, rect.w, rect.h);
  }
  // Makes a new mesh of (int) width x (int) height nodes laid evenly over
  // the sprite's texture rectangle, replacing an old one. The renders draw
  // it only while `distorted` is set. A rectangle needing more than
  // gfx::kMaxMeshNodes nodes gets no mesh and a log line.
  void enableDistort();

  // Rotation modes.
  static constexpr std::int32_t kRotateForever = -1;
  static constexpr std::int32_t kRotateCounted = -2;  // rotationLimit + 1 steps
  static constexpr std::int32_t kRotateNone = -3;

  std::unique_ptr<hgeSprite> sprite;  // absent when the image failed to load
  HGE* hge;
  float x = 0, y = 0;  // where the hot spot is drawn
  float rotation = 0;  // radians
  float scaleX = 1, scaleY = 1;
  bool fading = false;
  hgeColorRGB color{0, 0, 0, 1};
  xEffectBase alphaTween;
  bool scaling = false;
  xEffectBase scaleTweenX, scaleTweenY;
  float rotationSpeed = 0;  // radians per frame
  std::int32_t rotationMode = kRotateNone;
  std::int32_t rotationCount = 0, rotationLimit = 0;
  bool moving = false;
  xEffectCor moveTween;
  std::unique_ptr<hgeDistortionMesh> distortMesh;
  // Draw the mesh in place of the quad, its top-left where the quad's would
  // be unrotated and unscaled, its nodes' colours tinted by the quad's.
  bool distorted = false;
  gfx::SharedTexture texture;  // empty when the texture belongs to someone else

 private:
  void setUp(HTEXTURE tex, float x, float y, float w, float h);
  void applyColor();
  void rotate();
  // Draws the mesh at ([atX], [atY]) when the sprite is distorted; false
  // when the quad is to be drawn instead.
  bool renderMesh(float atX, float atY);
};
