// The enemy manager: creation by id, the per-frame walk with deferred removal, shot tests and the kill count.
#include "stg/xSourceManager.h"

#include <algorithm>
#include <cmath>

#include "base/saturating.h"
#include "base/xLogFile.h"
#include "gfx/hgeColor.h"
#include "gfx/xSpriteManager.h"
#include "stg/bullet_targets.h"

namespace {

xSourceManager* gSources = nullptr;

constexpr float kNoSourceX = 400, kNoSourceY = 300;
constexpr std::uint32_t kDeadFrames = 60;  // a dead enemy is drawn this long, then deleted
// Scripts give animations any number of cells; more than any sheet holds
// would exhaust memory (and overflow the lengths), so columns stop here.
constexpr int kMaxAnimCells = 1024;

bool inRect(const hgeRect& r, float x, float y) { return x >= r.x1 && x <= r.x2 && y >= r.y1 && y <= r.y2; }

}  // namespace

xSourceManager* xSourceManager::getInstance() {
  if (!gSources) gSources = new xSourceManager();
  return gSources;
}

void xSourceManager::resetForTests() {
  delete gSources;
  gSources = nullptr;
}

xSourceManager::xSourceManager() : defaultSprite(std::make_unique<xSprite>("p.png")), hge(hgeCreate(HGE_VERSION)) {
  stg::bulletTargets().hitEnemyAt = [](float x, float y, float damage) {
    return getInstance()->testPlayerBulletHit(x, y, damage);
  };
}

xSourceManager::~xSourceManager() {
  stg::bulletTargets().hitEnemyAt = nullptr;
  sources.clear();
  defaultSprite.reset();
  hge->Release();
}

std::int32_t xSourceManager::createSourceWithSprite(int spriteIndex, float tx, float ty, float tw, float th, float x,
                                                    float y, int life, int delay) {
  const xSprite* source = xSpriteManager::getInstance()->findSprite(spriteIndex);
  if (!source || refuseAtCap()) return kNoSource;
  auto enemy = std::make_unique<xEnemy>(x, y);
  enemy->sprite = std::make_unique<xSpriteCharacWithAnim>(*source, tx, ty, tw, th);
  return addSource(std::move(enemy), tw, th, x, y, life, delay);
}

std::int32_t xSourceManager::createSourceWithSpritePath(const std::string& file, float tx, float ty, float tw,
                                                        float th, float x, float y, int life, int delay) {
  if (refuseAtCap()) return kNoSource;
  auto enemy = std::make_unique<xEnemy>(x, y);
  enemy->sprite = std::make_unique<xSpriteCharacWithAnim>(file, tx, ty, tw, th);
  return addSource(std::move(enemy), tw, th, x, y, life, delay);
}

bool xSourceManager::refuseAtCap() {
  if (sources.size() < kMaxSources) return false;
  if (!capReported_) WriteLog("xSourceManager::createSource: %zu enemies live, no more are created", kMaxSources);
  capReported_ = refusedSinceUpdate_ = true;
  return true;
}

std::int32_t xSourceManager::addSource(std::unique_ptr<xEnemy> enemy, float tw, float th, float x, float y, int life,
                                       int delay) {
  enemy->sprite->setPos(x, y);
  enemy->hitW = tw;
  enemy->hitH = th;
  enemy->waiting = true;
  // A delay of 0 gives a counter that is off: the enemy waits for ever.
  enemy->waitCounter = xFrameCounter{xFrameCounter::kCounting, false, static_cast<std::uint32_t>(delay), 0};
  enemy->life = static_cast<float>(life);
  enemy->sprite->sprite->setHotSpot(tw * 0.5f, th * 0.5f);
  enemy->id = nextId;
  sources.push_back(std::move(enemy));
  ++created;
  return nextId++;
}

xEnemy* xSourceManager::findSource(std::int32_t id) const {
  for (const auto& e : sources) {
    if (e->id == id) return e->removed ? nullptr : e.get();
  }
  return nullptr;
}

std::size_t xSourceManager::sourceCount() const {
  return static_cast<std::size_t>(
      std::count_if(sources.begin(), sources.end(), [](const auto& e) { return !e->removed; }));
}

float xSourceManager::getSourceX(std::int32_t id) const {
  const xEnemy* e = findSource(id);
  return e ? e->x : kNoSourceX;
}

float xSourceManager::getSourceY(std::int32_t id) const {
  const xEnemy* e = findSource(id);
  return e ? e->y : kNoSourceY;
}

void xSourceManager::moveSourceTo(std::int32_t id, float x, float y, int start, int frames) {
  xEnemy* e = findSource(id);
  if (!e) return;
  // 0 frames would divide by zero and a negative count would move backwards.
  if (frames <= 1) {
    e->x = x;
    e->y = y;
    return;
  }
  std::uint32_t first = static_cast<std::uint32_t>(std::max(start, 0));
  e->moveTween.start = first;
  e->moveTween.aim(first + static_cast<std::uint32_t>(frames), static_cast<float>(frames), e->x, e->y, x, y);
}

void xSourceManager::setSourceMovementRect(std::int32_t id, float lx, float ly, float lw, float lh, float rx, float ry,
                                           float rw, float rh) {
  xEnemy* e = findSource(id);
  if (e && e->sprite) e->sprite->setMoveRects(lx, ly, lw, lh, rx, ry, rw, rh);
}

void xSourceManager::bindScriptFuncToSource(std::int32_t id, const std::string& name, int interval, int count) {
  xEnemy* e = findSource(id);
  if (!e) return;
  e->funcBound = true;
  e->funcName = name;
  e->funcCounter = xFrameCounter{xFrameCounter::kCounting, true, static_cast<std::uint32_t>(interval), 0};
  e->funcCallLimit = static_cast<std::uint32_t>(count);
}

void xSourceManager::bindDieFuncToSource(std::int32_t id, const std::string& name) {
  xEnemy* e = findSource(id);
  if (!e) return;
  e->dieFuncBound = true;
  e->dieFuncName = name;
}

void xSourceManager::addColumnAnim(std::int32_t id, std::int32_t anim, float x, float y, float w, float h,
                                   int frames, std::uint32_t length) {
  xEnemy* e = findSource(id);
  if (!e || !e->sprite) return;
  e->sprite->addAnim(anim, length);
  for (int i = 0; i < frames; ++i) e->sprite->addAnimFrame(anim, x, y + static_cast<float>(i) * h, w, h);
  if (anim == xEnemy::kAttackAnim) {
    e->attackAnimSet = true;
  } else {
    e->attackedAnimSet = true;
  }
}

void xSourceManager::setSourceAttackAnim(std::int32_t id, float x, float y, float w, float h, int frames) {
  frames = std::min(frames, kMaxAnimCells);
  addColumnAnim(id, xEnemy::kAttackAnim, x, y, w, h, frames, static_cast<std::uint32_t>(frames) * 10);
}

void xSourceManager::setSourceAttackedAnim(std::int32_t id, float x, float y, float w, float h, int frames) {
  frames = std::min(frames, kMaxAnimCells);
  addColumnAnim(id, xEnemy::kAttackedAnim, x, y, w, h, frames, 25);
}

void xSourceManager::setSourceLife(std::int32_t id, int life) {
  if (xEnemy* e = findSource(id)) e->life = static_cast<float>(life);
}

void xSourceManager::setSourceLifeFrame(std::int32_t id, int frames) {
  if (xEnemy* e = findSource(id)) {
    e->lifeFrames = frames;
    e->lifeFrameCount = 0;
  }
}

void xSourceManager::fadeSourceIn(std::int32_t id, int frames) {
  if (xEnemy* e = findSource(id)) e->fadeIn(static_cast<std::uint32_t>(frames));
}

void xSourceManager::removeSource(std::int32_t id) {
  if (xEnemy* e = findSource(id)) discard(*e);
}

bool xSourceManager::insertBulletVec(std::int32_t id, const std::function<void(float x, float y)>& shoot) const {
  const xEnemy* e = findSource(id);
  if (!e) return false;
  if (e->sprite) {
    shoot(e->sprite->sprite->x, e->sprite->sprite->y);
  } else {
    shoot(e->x, e->y);
  }
  return true;
}

void xSourceManager::setSourceSpeed(std::int32_t id, float vx, float vy) {
  xEnemy* e = findSource(id);
  if (!e) return;
  e->movement.vx = vx;
  e->movement.vy = vy;
  e->movement.heading = std::atan2(vy, vx);
}

void xSourceManager::setSourceColor(std::int32_t id, float r, float g, float b, float a) {
  xEnemy* e = findSource(id);
  if (e && e->sprite) e->sprite->sprite->setColor(GetHWColorFromFloats(r, g, b, a));
}

void xSourceManager::setSourceDeflection(std::int32_t id, float deflection, int duration, int start) {
  xEnemy* e = findSource(id);
  if (!e) return;
  xMovement& m = e->movement;
  m.deflection = deflection;
  m.deflectionChange = 0;
  m.deflectStart = start;
  m.deflectEnd = base::clampToInt(duration + 2 * std::int64_t{start});
  if (m.deflectEnd < start) m.deflectEnd = base::clampToInt(duration + 3 * std::int64_t{start});
  m.deflectHeld = true;
  if (m.deflectStart == 0 && m.deflectEnd == 0) {
    m.deflectHeld = false;
    m.deflectActive = false;
    m.deflectStart = 0;
  }
}

void xSourceManager::discard(xEnemy& enemy) {
  if (walkDepth_ > 0) {
    enemy.removed = true;
    return;
  }
  auto it = std::find_if(sources.begin(), sources.end(), [&](const auto& e) { return e.get() == &enemy; });
  if (it != sources.end()) sources.erase(it);
}

void xSourceManager::endWalk() {
  if (--walkDepth_ > 0) return;
  std::erase_if(sources, [](const auto& e) { return e->removed; });
}

void xSourceManager::update() {
  ++walkDepth_;
  // By index, re-reading the size: scripts called below may append.
  for (std::size_t i = 0; i < sources.size(); ++i) {
    xEnemy& e = *sources[i];
    if (e.removed) continue;
    if (e.dying() && static_cast<std::uint32_t>(++e.dyingCount) > kDeadFrames) {
      e.removed = true;
      continue;
    }
    const xSprite& s = *e.sprite->sprite;
    if (inRect(moveRect, s.x, s.y)) {
      e.update();
    } else {
      e.removed = true;
    }
  }
  endWalk();
  if (walkDepth_ > 0) return;
  if (sources.size() < kMaxSources && !refusedSinceUpdate_) capReported_ = false;
  refusedSinceUpdate_ = false;
}

void xSourceManager::render() {
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (!sources[i]->removed) sources[i]->render();
  }
}

bool xSourceManager::testPlayerBulletHit(float x, float y, float damage) {
  if (sources.empty() || y < 0) return false;
  ++walkDepth_;
  bool hit = false;
  for (std::size_t i = 0; i < sources.size() && !hit; ++i) {
    xEnemy& e = *sources[i];
    // The dying, shot or faded out, take no more hits.
    if (e.removed || e.waiting || !e.sprite || e.life <= 0 || e.dying() || e.y > y) continue;
    if (!inRect(e.hitRect, x, y)) continue;
    const stg::BulletTargets& targets = stg::bulletTargets();
    int r = hge->Random_Int(0, 100);
    float p = targets.criticalChance ? targets.criticalChance() : 0.0f;
    if (e.hit(damage, p * 100 > static_cast<float>(r))) ++killed;
    hit = true;
  }
  endWalk();
  return hit;
}

void xSourceManager::clear() {
  if (walkDepth_ > 0) {
    for (const auto& e : sources) e->removed = true;
    return;
  }
  sources.clear();
  capReported_ = refusedSinceUpdate_ = false;
}

float xSourceManager::getDefeatRate() const {
  return created == 0 ? 0.0f : static_cast<float>(killed) / static_cast<float>(created);
}
