// The player's shots and bombs: bullets of the player's manager that hit the boss and the enemies.
#pragma once

#include <memory>

#include "gfx/hgeParticleSystem.h"
#include "gfx/hgeSprite.h"
#include "gfx/shared_texture.h"
#include "stg/mBullet.h"

// A shot hits the boss box or an enemy once, then shrinks away in 30 frames.
class mPlayerBullet : public mBullet {
 public:
  mPlayerBullet();
  void update() override;
  void render() override;

  float damage = 1.0f;
};

// A bomb flies and emits "playerBomb.psi" particles; it hits once but keeps
// flying until the manager clears it at the screen edge, then fades for 30
// frames while its live particles finish.
class mPlayerBomb : public mPlayerBullet {
 public:
  mPlayerBomb();
  ~mPlayerBomb() override;
  void update() override;
  void render() override;

  std::unique_ptr<hgeSprite> particleSprite;  // 32 x 32 at (0, 0) of "particles.png"
  std::unique_ptr<hgeParticleSystem> particles;
  gfx::SharedTexture texture;
};
