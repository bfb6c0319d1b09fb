// An enemy bullet: a moving, drawn object of a bullet manager, with its appear and fade effects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/xFrameCounter.h"
#include "gfx/xSprite.h"
#include "stg/xMovement.h"

// Texture rectangle of a bullet on the bullet sheet, in texels.
struct mBulletRect {
  float x = 0, y = 0, w = 0, h = 0;
};

// Scripts create and shape enemy bullets through host functions (the
// manager's current bullet); the player's shots and bombs derive from it.
// The manager moves the bullet, tests it against its screen rectangle and
// the player, counts its pause, life time and bounces and calls its bound
// script function; the bullet's own virtual operations run its effects,
// its own hits (player shots) and its drawing.
//
// Life: alive (exists, hittable) -> not hittable -> cleared (fading, 31
// more updates) -> exists false -> deleted by the manager at the start of
// its next update. A bullet that leaves the screen without bounces left
// goes straight to exists false.
class mBullet {
 public:
  static constexpr int kClearFrames = 30;

  mBullet();
  virtual ~mBullet();
  mBullet(const mBullet&) = delete;
  mBullet& operator=(const mBullet&) = delete;

  // Called by the manager every frame before it moves the bullet: starts
  // the appear effect once, counts the fade-out of a cleared bullet.
  virtual void update();
  // Steps the sprite's tweens and draws along the heading; a bullet drawn
  // before its first update starts its appear effect here, so every fresh
  // bullet is first drawn after one tween step.
  virtual void render();

  // Starts [name] every [interval] + 1 frames, [count] times (0 acts as 1,
  // 0xFFFFFFFF without end); interval 0 never calls it.
  void bindFunction(const std::string& name, std::uint32_t interval, std::uint32_t count);

  xMovement movement;
  float x = 0, y = 0;  // centre, on screen
  mBulletRect texRect;
  bool exists = true;   // false: deleted at the start of the manager's next update
  bool hittable = true;
  float hitRadiusSq = 0;
  std::int32_t clearCount = 0;
  bool cleared = false;  // fading out
  std::uint32_t age = 0;
  std::uint32_t lifeTime = 0;  // 0 = unlimited
  std::int32_t pauseStart = 0, pauseEnd = 0, pauseCount = 0;
  bool pauseActive = false, pauseHeld = false;  // stands still while active
  bool reflectBottom = false;
  std::int32_t reflectCount = 0;  // bounces left; negative bounces forever
  std::int32_t appearPending = 1;
  bool funcBound = false;
  std::string funcName;
  xFrameCounter funcCounter;
  std::uint32_t funcCallLimit = 0;  // 0xFFFFFFFF = unlimited
  std::uint32_t funcCalls = 0;
  bool playerShot = false;  // the manager's simple path (player shots and bombs)
  bool fixedRender = false;
  float renderAngle = 0;    // radians, with fixedRender
  bool immortal = false;    // survives a clearing that is not forced
  std::unique_ptr<xSprite> sprite;  // made by the manager when the bullet is added

 protected:
  // The appear effect, once: from scale 0 and alpha 0.01 to full over 10 drawn frames.
  void startAppear();
  // Draws the sprite at the bullet when it is not transparent.
  void drawSprite();
};
