// One enemy of a stage: a sprite character that waits, moves, calls its script functions, takes hits and dies with particles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/hgeParticleSystem.h"
#include "gfx/hgeRect.h"
#include "gfx/hgeSprite.h"
#include "gfx/shared_texture.h"
#include "gfx/xEffect.h"
#include "gfx/xFrameCounter.h"
#include "gfx/xSpriteCharac.h"
#include "stg/xMovement.h"

// Owned by xSourceManager, which makes the sprite, updates and draws the
// enemy and deletes it 60 frames after its death. Scripts reach it by id
// through the enemy host functions; its two functions run in the focused
// script: the bound one every interval + 1 frames (count + 1 times), the
// die function once, when shots kill it.
class xEnemy {
 public:
  static constexpr std::uint32_t kUnlimitedCalls = 0xFFFFFFFFu;
  static constexpr std::int32_t kAttackAnim = -7;
  static constexpr std::int32_t kAttackedAnim = -6;

  xEnemy(float x, float y);
  virtual ~xEnemy();
  xEnemy(const xEnemy&) = delete;
  xEnemy& operator=(const xEnemy&) = delete;

  // True when the hit killed it. A critical hit takes five times [damage]
  // and counts ten hits.
  virtual bool hit(float damage, bool critical);
  // Killed by shots: fades and grows away, plays its sound, fires its
  // particles, pays its score and calls the die function with (x, y).
  virtual void die(bool critical);
  // Its life time is over: it counts as dead, with no score or effects.
  virtual void fadeOut();
  // 0 frames shows it at once.
  virtual void fadeIn(std::uint32_t frames);
  virtual void update();
  virtual void render();

  bool dying() const { return dyingCount != -1; }

  std::unique_ptr<xSpriteCharacWithAnim> sprite;  // made by the manager
  bool funcBound = false;
  std::string funcName;
  xFrameCounter funcCounter;
  std::uint32_t funcCallLimit = kUnlimitedCalls;
  std::uint32_t funcCalls = 0;
  std::int32_t id = 0;
  float x, y;
  xMovement movement;
  xEffectCor moveTween;  // the timed move of xSourceManager::moveSourceTo
  float life = 5.0f;
  std::int32_t dyingCount = -1;  // frames since death; -1 alive
  bool attackAnimSet = false, attackedAnimSet = false;
  gfx::SharedTexture particleTexture;  // "particles.png", shared by every enemy
  std::unique_ptr<hgeSprite> dieCell, criticalCell;
  std::unique_ptr<hgeParticleSystem> dieParticles, criticalParticles;
  std::int32_t lifeFrameCount = -1, lifeFrames = -1;  // -1: no life time
  bool dieFuncBound = false;
  std::string dieFuncName;
  bool waiting = false;  // does nothing, is not drawn or hit until waitCounter fires
  xFrameCounter waitCounter;
  hgeRect hitRect;
  float hitW = 0, hitH = 0;
  std::int32_t scoreValue = 0;  // grows with every hit
  std::int32_t criticalCount = -1;
  bool critical = false;
  // Removed while the manager walked its list: skipped, deleted after the walk.
  bool removed = false;

 private:
  void callBoundFunction();
  void choosePose();
  std::string callName_;  // the function's name, copied before the call may rebind it
};
