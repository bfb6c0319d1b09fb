// Player shots and bombs: boss and enemy hits, the shrinking fade, the bomb's particles.
#include "stg/mPlayerBullet.h"

#include "base/resource_path.h"
#include "stg/bullet_targets.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr DWORD kShotColor = 0x90FFFFFF;
constexpr float kFrameTime = 1.0f / 60;
constexpr const char* kBombParticles = "data/particle/playerBomb.psi";
constexpr const char* kParticleImage = "particles.png";

// The boss box around the boss sprite at ([bx], [by]), ends included.
bool inBossBox(float bx, float by, float px, float py) {
  return px >= bx - 20 && px <= bx + 20 && py >= by - 8 && py <= by + 24;
}

// A hit on the visible boss: damage and score only while it is fighting.
// True when ([px], [py]) was in the box.
bool hitBoss(float px, float py, float damage, int scoreHits) {
  const stg::BulletTargets& targets = stg::bulletTargets();
  float bx = 0, by = 0;
  if (!targets.visibleBossPosition || !targets.visibleBossPosition(bx, by)) return false;
  if (!inBossBox(bx, by, px, py)) return false;
  if (targets.bossFighting && targets.bossFighting()) {
    if (targets.hitBoss) targets.hitBoss(damage);
    if (targets.addScoreHits) targets.addScoreHits(scoreHits);
  }
  return true;
}

bool hitEnemy(float x, float y, float damage) {
  const stg::BulletTargets& targets = stg::bulletTargets();
  return targets.hitEnemyAt && targets.hitEnemyAt(x, y, damage);
}

}  // namespace

mPlayerBullet::mPlayerBullet() { playerShot = true; }

void mPlayerBullet::update() {
  if (exists && hittable) {
    if (hitBoss(x, y - 20, damage, 1)) {
      hittable = false;
      cleared = true;
    }
    // Also when the boss was hit in the same frame.
    if (hitEnemy(x, y, damage)) {
      hittable = false;
      cleared = true;
    }
  }
  if (!cleared) return;
  if (++clearCount > kClearFrames) {
    exists = false;
    return;
  }
  if (sprite) {
    // Shrinks to nothing in 30 frames.
    float scale = static_cast<float>(kClearFrames - clearCount) / 30.0f;
    sprite->setScale(scale, scale);
  }
}

void mPlayerBullet::render() {
  if (!sprite) return;
  sprite->rotation = movement.heading - kHalfPi;
  sprite->setColor(kShotColor);
  drawSprite();
}

mPlayerBomb::mPlayerBomb()
    : texture(gfx::SharedTexture::load(WStringToString(GetResourcePath(kParticleImage, RES_GRAPHIC)))) {
  particleSprite = std::make_unique<hgeSprite>(texture.get(), 0, 0, 32, 32);
  particles = std::make_unique<hgeParticleSystem>(kBombParticles, particleSprite.get());
}

mPlayerBomb::~mPlayerBomb() = default;

void mPlayerBomb::update() {
  particles->MoveTo(x, y, false);
  particles->Update(kFrameTime);
  if (exists && hittable) {
    // A bomb stops hitting but is not cleared: it flies on, emitting.
    if (hitBoss(x + 20, y, damage, 20)) hittable = false;
    if (hitEnemy(x, y, damage)) hittable = false;
  }
  if (!cleared) return;
  if (clearCount == 1) particles->Stop(false);  // live particles finish
  if (++clearCount > kClearFrames) exists = false;
}

void mPlayerBomb::render() { particles->Render(); }
