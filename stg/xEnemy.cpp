// Enemies: waiting, the bound function, movement, life time, hits, death with its particles, score and die function.
#include "stg/xEnemy.h"

#include "base/resource_path.h"
#include "core/xSoundManager.h"
#include "gfx/xFloatingText.h"
#include "script/manager/xScriptManager.h"
#include "stg/bullet_targets.h"
#include "stg/score_link.h"

namespace {

constexpr float kFrameTime = 1.0f / 60;
constexpr int kDieSound = 10001;
constexpr std::int32_t kParticleStopFrame = 45;
constexpr float kBodyRadiusSq = 100;  // enemy bodies hit the player within 10 pixels
constexpr float kNoPlayerX = 400, kNoPlayerY = 300;

// The 32 x 32 cell of the shared particle image at ([x], [y]).
std::unique_ptr<hgeSprite> particleCell(const gfx::SharedTexture& texture, float x, float y) {
  return std::make_unique<hgeSprite>(texture.get(), x, y, 32, 32);
}

}  // namespace

xEnemy::xEnemy(float startX, float startY)
    : x(startX),
      y(startY),
      particleTexture(gfx::SharedTexture::load(WStringToString(GetResourcePath("particles.png", RES_GRAPHIC)))) {
  movement.init();
  dieCell = particleCell(particleTexture, 96, 0);
  criticalCell = particleCell(particleTexture, 32, 64);
  dieParticles = std::make_unique<hgeParticleSystem>("data/particle/enemyDie.psi", dieCell.get());
  criticalParticles = std::make_unique<hgeParticleSystem>("data/particle/enemyCriticalDie.psi", criticalCell.get());
  dieParticles->Stop(true);
  criticalParticles->Stop(true);
}

xEnemy::~xEnemy() {
  // The systems draw with the cells, which draw with the texture.
  dieParticles.reset();
  criticalParticles.reset();
  sprite.reset();
}

bool xEnemy::hit(float damage, bool isCritical) {
  critical = isCritical;
  int multiplier = stg::scoreHitMultiplier();
  if (isCritical) {
    life -= damage * 5;
    scoreValue += 10 * multiplier;
    stg::addScoreHit(10);
    criticalParticles->FireAt(x, y);
    criticalCount = 0;
  } else {
    life -= damage;
    scoreValue += multiplier;
    stg::addScoreHit(1);
  }
  if (life <= 0) {
    die(isCritical);
    return true;
  }
  if (attackedAnimSet) sprite->setAnim(kAttackedAnim);
  return false;
}

void xEnemy::die(bool) {
  dyingCount = 0;
  if (!sprite) return;
  sprite->sprite->fade(15, 0, false, false);
  sprite->sprite->scaleTo(30, 2.0f, 2.0f);
  xSoundManager::getInstance()->playSoundEffect(kDieSound);
  dieParticles->FireAt(x - 16, y - 16);
  stg::addScorePoints(scoreValue + 100);
  xFloatingTextManager::getInstance()->addText(IntToString(scoreValue), "consolab.ttf", 15, 0xFFFFFFFF, x, y, x,
                                                y - 60, 60, 10, 30);
  if (!dieFuncBound) return;
  callName_.assign(dieFuncName);
  xScriptManager* scripts = xScriptManager::getInstance();
  scripts->pushCurrFloatParam(x);
  scripts->pushCurrFloatParam(y);
  scripts->callCurrFunc(callName_);
}

void xEnemy::fadeOut() {
  dyingCount = 0;
  if (sprite) sprite->sprite->fade(60, 0, false, false);
}

void xEnemy::fadeIn(std::uint32_t frames) {
  if (sprite) sprite->sprite->fade(frames, 1.0f, true, false);
}

void xEnemy::update() {
  if (waiting) {
    waitCounter.step();
    if (waitCounter.state == xFrameCounter::kFired) {
      waiting = false;
      waitCounter = xFrameCounter{};
    }
    return;
  }
  if (dying()) {
    if (sprite) sprite->update();
    return;
  }
  if (funcBound) {
    funcCounter.step();
    if (funcCounter.state == xFrameCounter::kFired) {
      callBoundFunction();
      // The function removed its own enemy: it is deleted after the walk.
      if (removed) return;
    }
  }
  movement.step();
  x += movement.vx;
  y += movement.vy;
  if (sprite) sprite->setPos(x, y);
  if (lifeFrames != -1 && ++lifeFrameCount > lifeFrames) fadeOut();
  moveTween.update();
  if (moveTween.active) {
    x = moveTween.x;
    y = moveTween.y;
  }
  if (sprite) {
    sprite->update();
    const stg::BulletTargets& targets = stg::bulletTargets();
    bool playerDying = targets.playerDying && targets.playerDying();
    if (!playerDying) {
      float px = kNoPlayerX, py = kNoPlayerY;
      if (targets.playerPosition && !targets.playerPosition(px, py)) {
        px = kNoPlayerX;
        py = kNoPlayerY;
      }
      float dx = px - x, dy = py - y;
      if (dx * dx + dy * dy < kBodyRadiusSq && targets.hitPlayer) targets.hitPlayer();
    }
  }
  choosePose();
  hitRect.Set(x - hitW / 2, y - hitH / 2, x + hitW / 2, y + hitH / 2);
}

void xEnemy::callBoundFunction() {
  // The limit is tested before the call, so the function runs count + 1 times.
  if (funcCalls >= funcCallLimit && funcCallLimit != kUnlimitedCalls) funcBound = false;
  xScriptManager* scripts = xScriptManager::getInstance();
  if (vm* group = scripts->getScriptGroup(scripts->focusedGroup())) {
    script::ThreadIndex thread = scripts->focusedThread();
    group->pushIntParam(thread, id);
    group->pushFloatParam(thread, sprite ? sprite->sprite->x : x);
    group->pushFloatParam(thread, sprite ? sprite->sprite->y : y);
    group->pushIntParam(thread, static_cast<std::int32_t>(funcCounter.limit * funcCalls));
  }
  if (attackAnimSet && sprite) sprite->setAnim(kAttackAnim);
  callName_.assign(funcName);
  scripts->callCurrFunc(callName_);
  ++funcCalls;
}

void xEnemy::choosePose() {
  if (!sprite) return;
  int pose = -1;
  float targetX = moveTween.targetX;
  if (movement.vx > 0 || x < targetX) {
    pose = 2;
  } else if (movement.vx < 0 || x > targetX) {
    pose = 1;
  }
  if (movement.vx == 0 && targetX == 0) pose = 0;
  if (pose != -1) sprite->setPose(pose);
}

void xEnemy::render() {
  if (waiting) return;
  if (sprite) sprite->render();
  if (dying()) {
    dieParticles->Update(kFrameTime);
    dieParticles->Render();
    if (dyingCount == kParticleStopFrame) dieParticles->Stop(false);
  }
  if (critical) {
    if (++criticalCount == kParticleStopFrame) criticalParticles->Stop(false);
    criticalParticles->MoveTo(x - 16, y - 16, false);
    criticalParticles->Update(kFrameTime);
    criticalParticles->Render();
  }
}
