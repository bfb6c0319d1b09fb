// The bullet managers' per-frame walk, drawing, clearing and the enemy manager's bullet identifiers.
#include "stg/mBulletManager.h"

#include <climits>
#include <cmath>

#include "base/xLogFile.h"
#include "script/manager/xScriptManager.h"
#include "stg/bullet_targets.h"

mBulletManager* gBulletManager = nullptr;

namespace {

constexpr float kPi = 3.1415927f;
constexpr std::uint32_t kUnlimitedCalls = 0xFFFFFFFFu;
constexpr std::uint32_t kHitFadeFrames = 10;
constexpr float kHitBox = 20;                       // the player is tested within 20 pixels on each axis
constexpr float kNoPlayerX = 400, kNoPlayerY = 300;  // where a player without a sprite is

void fadeAway(mBullet& b, std::uint32_t frames) {
  b.hittable = false;
  b.cleared = true;
  b.sprite->fade(frames, 0, false, false);
  b.sprite->scaleTo(frames, 0, 0);
}

}  // namespace

mBulletManager::mBulletManager() : hge_(hgeCreate(HGE_VERSION)), maxBullets_(kMaxEnemyBullets) {}

mBulletManager::mBulletManager(const char* textureName)
    : texture_(std::make_unique<xSprite>(textureName ? textureName : "")),
      hge_(hgeCreate(HGE_VERSION)),
      maxBullets_(kMaxPlayerShots) {
  bullets_.reserve(kReservedBullets);
}

mBulletManager::~mBulletManager() {
  current_ = nullptr;
  bullets_.clear();
  texture_.reset();
  hge_->Release();
}

mBulletManager* mBulletManager::getInstance() {
  if (!gBulletManager) gBulletManager = new mBulletManager();
  return gBulletManager;
}

void mBulletManager::resetForTests() {
  delete gBulletManager;
  gBulletManager = nullptr;
}

void mBulletManager::setTexture(const std::string& name) {
  mBulletManager* enemy = getInstance();
  // Live bullets share the old sheet's texture through their sprites.
  enemy->texture_ = std::make_unique<xSprite>(name);
  enemy->identifiers_.clear();
}

void mBulletManager::addBulletIdent(std::int32_t identifier, float x, float y, float w, float h, float radius) {
  getInstance()->identifiers_[identifier] = mBulletIdent{x, y, w, h, radius};
}

mBulletRect mBulletManager::getBulletIdentRect(std::int32_t identifier, std::int32_t column, float& radiusSq) {
  const auto& table = getInstance()->identifiers_;
  auto found = table.find(identifier);
  if (found == table.end()) {
    WriteLog("mBulletManager::getBulletIdentRect: invalid identifier %d", identifier);
    return {};
  }
  const mBulletIdent& id = found->second;
  radiusSq = id.radius * id.radius;
  return {id.x + static_cast<float>(static_cast<std::uint32_t>(column)) * id.w, id.y, id.w, id.h};
}

mBullet* mBulletManager::addBullet(std::unique_ptr<mBullet> bullet) {
  if (!bullet) return nullptr;
  if (!texture_) {
    WriteLog("mBulletManager::addBullet: no bullet texture initialized, bullet discarded");
    current_ = nullptr;
    return nullptr;
  }
  if (refuseAtCap()) return nullptr;
  const mBulletRect& r = bullet->texRect;
  bullet->sprite = std::make_unique<xSprite>(texture_->texture, r.x, r.y, r.w, r.h);
  if (!texture_->sprite) bullet->sprite->sprite.reset();  // the sheet failed to load: nothing to draw
  bullet->sprite->setHotSpot(r.w * 0.5f, r.h * 0.5f);
  current_ = bullet.get();
  bullets_.push_back(std::move(bullet));
  return current_;
}

bool mBulletManager::refuseAtCap() {
  if (bullets_.size() < maxBullets_) return false;
  if (!capReported_) WriteLog("mBulletManager::addBullet: %zu bullets live, no more are added", maxBullets_);
  capReported_ = refusedSinceUpdate_ = true;
  // The setters that follow the shot must not change another bullet.
  current_ = nullptr;
  return true;
}

void mBulletManager::setScreenRect(float x1, float y1, float x2, float y2) {
  screenRect_.Set(x1, y1, x2, y2);
  screenRectSet_ = true;
  screenRectWarned_ = false;
}

bool mBulletManager::inScreen(float x, float y) const {
  // Ends included, unlike hgeRect::TestPoint.
  return screenRectSet_ && x >= screenRect_.x1 && x <= screenRect_.x2 && y >= screenRect_.y1 &&
         y <= screenRect_.y2;
}

void mBulletManager::update() {
  if (!texture_) {
    WriteLog("BulletManager: no bullet texture initialized");
    return;
  }
  if (updateDepth_ > 0) return;
  deleteDeadBullets();
  if (bullets_.size() < maxBullets_ && !refusedSinceUpdate_) capReported_ = false;
  refusedSinceUpdate_ = false;
  if (!active || bullets_.empty()) return;
  ++updateDepth_;
  // By index, re-reading the count: scripts called below may append.
  for (std::size_t i = 0; i < bullets_.size(); ++i) {
    mBullet& b = *bullets_[i];  // the bullet outlives the walk; its slot may move
    // Only a script can have killed it during this walk: it is gone already.
    if (!b.exists) continue;
    if (b.playerShot) {
      updatePlayerShot(b);
    } else {
      updateEnemyBullet(b);
    }
  }
  --updateDepth_;
}

void mBulletManager::deleteDeadBullets() {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < bullets_.size(); ++i) {
    if (bullets_[i]->exists) {
      if (kept != i) bullets_[kept] = std::move(bullets_[i]);
      ++kept;
      continue;
    }
    if (bullets_[i].get() == current_) current_ = nullptr;
    bullets_[i].reset();
  }
  bullets_.resize(kept);
}

void mBulletManager::updatePlayerShot(mBullet& b) {
  if (!b.cleared) {
    b.movement.step();
    b.x += b.movement.vx;
    b.y += b.movement.vy;
  }
  b.update();
  if (!inScreen(b.x, b.y)) {
    b.hittable = false;
    b.cleared = true;
  }
}

void mBulletManager::updateEnemyBullet(mBullet& b) {
  current_ = &b;
  b.update();
  if (b.exists) testPlayerHit(b);
  if (b.lifeTime != 0 && ++b.age > b.lifeTime) {
    // Started anew every frame from the current alpha and scale until it is gone.
    fadeAway(b, kHitFadeFrames);
  }
  advanceWindow(b.pauseStart, b.pauseEnd, b.pauseCount, b.pauseActive, b.pauseHeld);
  if (!b.pauseActive) moveAndBound(b);
  if (b.funcBound && !b.cleared) {
    b.funcCounter.step();
    if (b.funcCounter.state == xFrameCounter::kFired) {
      ++b.funcCalls;
      if (b.funcCalls >= b.funcCallLimit && b.funcCallLimit != kUnlimitedCalls) b.funcBound = false;
      callBoundFunction(b);
    }
  }
}

void mBulletManager::testPlayerHit(mBullet& b) {
  const stg::BulletTargets& targets = stg::bulletTargets();
  float px = kNoPlayerX, py = kNoPlayerY;
  if (targets.playerPosition && !targets.playerPosition(px, py)) {
    px = kNoPlayerX;
    py = kNoPlayerY;
  }
  float dx = std::fabs(px - b.x), dy = std::fabs(py - b.y);
  if (!(dx < kHitBox && dy < kHitBox && py > dy && b.hittable && dx * dx + dy * dy < b.hitRadiusSq)) return;
  // The bullet is spent even when an invincible player ignores the hit.
  if (targets.hitPlayer) targets.hitPlayer();
  fadeAway(b, kHitFadeFrames);
}

void mBulletManager::moveAndBound(mBullet& b) {
  xMovement& m = b.movement;
  m.step();
  b.x += m.vx;
  b.y += m.vy;
  if (inScreen(b.x, b.y)) return;
  if (!screenRectSet_ && !screenRectWarned_) {
    WriteLog("mBulletManager: no bullet screen rect set (htSetBulletScreenRect): bullets leave at their first move");
    screenRectWarned_ = true;
  }
  if (b.reflectCount == 0 || !screenRectSet_) {
    b.exists = b.hittable = b.cleared = false;
    return;
  }
  const hgeRect& r = screenRect_;
  if (b.x < r.x1 || b.x > r.x2) {
    m.vx = -m.vx;
    m.heading = std::atan2(m.vy, m.vx);
  }
  if (b.y < r.y1 || (b.reflectBottom && b.y > r.y2)) {
    m.vy = -m.vy;
    m.heading = std::atan2(m.vy, m.vx);
  }
  // One bounce spent per frame outside; a negative count bounces forever.
  if (b.reflectCount != INT32_MIN) --b.reflectCount;
}

void mBulletManager::callBoundFunction(mBullet& b) {
  // The function may rebind its own bullet: call with a copy of the name
  // (the buffer is reused, so no allocation per call).
  callName_.assign(b.funcName);
  float degrees = b.movement.heading * 180.0f / kPi;
  xScriptManager* scripts = xScriptManager::getInstance();
  const stg::BulletTargets& targets = stg::bulletTargets();
  script::GroupId group = script::kNoGroup;
  script::ThreadIndex thread = script::kNoThread;
  if (targets.bossFighting && targets.bossFighting() && targets.bossAttackScript &&
      targets.bossAttackScript(group, thread)) {
    if (vm* boss = scripts->getScriptGroup(group)) {
      boss->pushFloatParam(thread, b.x);
      boss->pushFloatParam(thread, b.y);
      boss->pushFloatParam(thread, degrees);
    }
    scripts->callFunc(callName_, group, thread);
    return;
  }
  scripts->pushCurrFloatParam(b.x);
  scripts->pushCurrFloatParam(b.y);
  scripts->pushCurrFloatParam(degrees);
  scripts->callCurrFunc(callName_);
}

void mBulletManager::render() {
  if (!texture_) {
    WriteLog("BulletManager: no bullet texture initialized");
    return;
  }
  for (std::size_t i = 0; i < bullets_.size(); ++i) bullets_[i]->render();
}

void mBulletManager::clearBullets(bool force) {
  for (const auto& b : bullets_) {
    if (force || !b->immortal) fadeAway(*b, mBullet::kClearFrames);
  }
}

void mBulletManager::killAllBullets() {
  for (const auto& b : bullets_) b->exists = b->hittable = b->cleared = false;
  update();
}
