// Registration of the bullet and enemy host functions: shooting, shaping the current bullet, enemies.
//
// A script shoots, then sets: every shot becomes the enemy bullet manager's
// current bullet, and the setters change the current bullet. While the
// manager walks its bullets each one is current in turn, so a function bound
// to a bullet changes its own bullet.
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>

#include "base/saturating.h"
#include "base/xLogFile.h"
#include "host/host_call.h"
#include "host/host_registration.h"
#include "stg/bullet_targets.h"
#include "stg/mBulletManager.h"
#include "stg/xMovement.h"
#include "stg/xSourceManager.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

constexpr float kPi = 3.1415927f;

// Most setters share one log name and one "no bullet" line.
constexpr const char* kInfoLog = "host_SetBulletInfo";
constexpr const char* kNoBulletInfo = "HostSetBulletInfo: no bullet available";
// Some setters say nothing when there is no current bullet.
constexpr const char* kSilent = nullptr;

float radiansToDegrees(float radians) { return radians * 180.0f / kPi; }

// A window of frames (delayed change, deceleration, deflection, pause) from
// [s] to [e]; an end below the start counts as a length. Both 0 switch the
// feature off. Ends beyond the int range stay at its limit.
void setWindow(std::int32_t& start, std::int32_t& end, bool& active, bool& held, std::int32_t s, std::int32_t e) {
  start = s;
  end = e < s ? base::addSaturated(e, s) : e;
  held = true;
  if (s == 0 && e == 0) {
    held = active = false;
    start = 0;
  }
}

// The bullet the setters change; logs [noBullet], if given, when there is none.
mBullet* currentBullet(const char* noBullet) {
  mBullet* b = mBulletManager::getInstance()->getCurrent();
  if (b == nullptr && noBullet != nullptr) WriteLog("%s", noBullet);
  return b;
}

// The frame of every current-bullet setter: the group, then the bullet,
// before any argument is read.
mBullet* setterTarget(const HostCall& call, const char* logName, const char* noBullet) {
  if (!call.checkGroup(BadGroup::ErrorLoading, logName)) return nullptr;
  return currentBullet(noBullet);
}

// Shows the bullet's new texture rectangle: its sprite was cut when it was shot.
void applyTexRect(mBullet& b) {
  if (!b.sprite) return;
  b.sprite->setTextureRect(b.texRect.x, b.texRect.y, b.texRect.w, b.texRect.h);
  b.sprite->setHotSpot(b.texRect.w * 0.5f, b.texRect.h * 0.5f);
}

// Every shot goes through here; the new bullet becomes the current one (or,
// without a bullet sheet, is discarded and nothing is current).
void insertBullet(std::int32_t ident, std::int32_t colour, float x, float y, float vx, float vy, float heading) {
  // A pattern that forks at the cap would build and drop thousands a frame.
  if (mBulletManager::getInstance()->refuseAtCap()) return;
  auto b = std::make_unique<mBullet>();
  b->texRect = mBulletManager::getBulletIdentRect(ident, colour, b->hitRadiusSq);
  b->movement.vx = vx;
  b->movement.vy = vy;
  b->movement.heading = heading;
  b->x = x;
  b->y = y;
  mBulletManager::getInstance()->addBullet(std::move(b));
}

// A shot of [speed] along [degrees].
void insertBulletVec(std::int32_t ident, std::int32_t colour, float x, float y, float speed, float degrees) {
  float a = degreesToRadians(degrees);
  insertBullet(ident, colour, x, y, speed * std::cos(a), speed * std::sin(a), a);
}

// A shot of [speed] from (x, y) towards (tx, ty).
void shootAt(std::int32_t ident, std::int32_t colour, float x, float y, float tx, float ty, float speed) {
  float a = std::atan2(ty - y, tx - x);
  insertBullet(ident, colour, x, y, speed * std::cos(a), speed * std::sin(a), a);
}

// ---- shooting and the bullet sheet ----

// "htInsertBulletXY"(ident: int, colour: int, x, y, vx, vy: float): shoots a bullet of kind ident
// in colour column colour from (x, y) with velocity (vx, vy); it becomes the current bullet.
void host_InsertBulletXY(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::Silent)) return;
  float vx = call.floatArg(4), vy = call.floatArg(5);
  insertBullet(call.intArg(0), call.intArg(1), call.floatArg(2), call.floatArg(3), vx, vy, std::atan2(vy, vx));
}

// "htInsertBulletVec"(ident: int, colour: int, x, y, speed, angle: float): shoots a bullet from (x,
// y) at speed towards angle degrees (0 along +x, 90 down); it becomes the current bullet.
void host_InsertBulletVec(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_InsertBulletVec")) return;
  insertBulletVec(call.intArg(0), call.intArg(1), call.floatArg(2), call.floatArg(3), call.floatArg(4),
                  call.floatArg(5));
}

// "htShootBullet"(ident: int, colour: int, x, y, tx, ty, speed: float): shoots a bullet from (x, y)
// aimed at (tx, ty) at speed; it becomes the current bullet.
void host_ShootBullet(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 7);
  if (!call.checkGroup(BadGroup::Silent)) return;
  shootAt(call.intArg(0), call.intArg(1), call.floatArg(2), call.floatArg(3), call.floatArg(4), call.floatArg(5),
          call.floatArg(6));
}

// "htShootBulletToPlayer"(ident: int, colour: int, x, y, speed: float): shoots a bullet from (x, y)
// aimed at the player (at (400, 300) without one) at speed; it becomes the current bullet.
void host_ShootBulletToPlayer(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (!call.checkGroup(BadGroup::Silent)) return;
  float px = 400, py = 300;  // where a player without a sprite is
  const stg::BulletTargets& targets = stg::bulletTargets();
  if (targets.playerPosition && !targets.playerPosition(px, py)) {
    px = 400;
    py = 300;
  }
  shootAt(call.intArg(0), call.intArg(1), call.floatArg(2), call.floatArg(3), px, py, call.floatArg(4));
}

// "htAddBulletIdent"(ident: int, x, y, w, h: float, n: int, radius: float): defines bullet kind
// ident: its first cell (x, y, w, h) on the bullet sheet and its hit radius; a kind given again is
// replaced; n has no effect on bullets.
void host_AddBulletIdent(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 7);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_AddBulletIdent")) return;
  mBulletManager::addBulletIdent(call.intArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3),
                                 call.floatArg(4), call.floatArg(6));
}

// "htSetBulletManagerTexture"(file: string): sets the bullet sheet picture; also forgets every
// bullet kind.
void host_SetBulletManagerTexture(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetBulletManagerTexture")) return;
  mBulletManager::setTexture(call.stringArg(0));
}

// "htSetBulletScreenRect"(x1, y1, x2, y2: float): sets the rectangle bullets live in: they bounce
// off its edges or die outside it.
void host_SetBulletScreenRect(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::Silent)) return;
  mBulletManager::getInstance()->setScreenRect(call.floatArg(0), call.floatArg(1), call.floatArg(2),
                                               call.floatArg(3));
}

// "htClearBullet"(): every bullet that is not immortal fades out. No group check.
void host_ClearBullet(ThreadIndex, GroupId) { mBulletManager::getInstance()->clearBullets(false); }

// ---- the current bullet's motion ----

// "htSetBulletAcceleration"(ax, ay: float, rotate: int): current bullet: adds (ax, ay) to its
// velocity each frame, turned with the heading when rotate > 0.
void host_SetBulletAcceleration(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  mBullet* b = setterTarget(call, kInfoLog, kNoBulletInfo);
  if (b == nullptr) return;
  b->movement.accelX = call.floatArg(0);
  b->movement.accelY = call.floatArg(1);
  b->movement.accelRotated = call.intArg(2) > 0;
}

// "htSetBulletAccelerationEx"(value: float, start: int, end: int): current bullet: slows it along
// its heading by value each frame from frame start to end.
void host_SetBulletAccelerationEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  mBullet* b = setterTarget(call, "host_SetBulletAcceleration", kSilent);
  if (b == nullptr) return;
  xMovement& m = b->movement;
  m.deceleration = call.floatArg(0);
  setWindow(m.decelStart, m.decelEnd, m.decelActive, m.decelHeld, call.intArg(1), call.intArg(2));
}

// "htSetBulletSpeed"(vx, vy: float): current bullet: velocity (vx, vy), heading along it.
void host_SetBulletSpeed(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  mBullet* b = setterTarget(call, kInfoLog, kSilent);
  if (b == nullptr) return;
  xMovement& m = b->movement;
  m.vx = call.floatArg(0);
  m.vy = call.floatArg(1);
  m.heading = std::atan2(m.vy, m.vx);
}

// "htSetBulletSpeedEx"(vx, vy: float, frames: int): current bullet: the heading turns to (vx, vy)
// now, the velocity becomes (vx, vy) after frames frames.
void host_SetBulletSpeedEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  mBullet* b = setterTarget(call, kInfoLog, kSilent);
  if (b == nullptr) return;
  xMovement& m = b->movement;
  float vx = call.floatArg(0), vy = call.floatArg(1);
  std::int32_t frames = call.intArg(2);
  float a = std::atan2(vy, vx);
  m.delaySpeed = std::sqrt(vx * vx + vy * vy);
  m.delayDegree = radiansToDegrees(a);
  m.heading = a;
  setWindow(m.delayStart, m.delayEnd, m.delayActive, m.delayHeld, frames, frames);
}

// "htSetBulletSpeedDgr"(speed, angle: float): current bullet: speed towards angle degrees.
void host_SetBulletSpeedDgr(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  mBullet* b = setterTarget(call, kInfoLog, kSilent);
  if (b == nullptr) return;
  float speed = call.floatArg(0);
  float a = degreesToRadians(call.floatArg(1));
  b->movement.vx = speed * std::cos(a);
  b->movement.vy = speed * std::sin(a);
  b->movement.heading = a;
}

// "htSetBulletSpeedDgrEx"(speed, angle: float, frames: int): current bullet: the heading turns to
// angle degrees now, the speed becomes speed after frames frames.
void host_SetBulletSpeedDgrEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  mBullet* b = setterTarget(call, kInfoLog, kNoBulletInfo);
  if (b == nullptr) return;
  xMovement& m = b->movement;
  std::int32_t frames = call.intArg(2);
  m.delaySpeed = call.floatArg(0);
  m.delayDegree = call.floatArg(1);
  m.heading = degreesToRadians(m.delayDegree);
  setWindow(m.delayStart, m.delayEnd, m.delayActive, m.delayHeld, frames, frames);
}

// "htSetBulletDeflection"(step, change: float): current bullet: turns by step degrees a frame, step
// growing by change; stores the turn with its window cleared, so the bullet turns only once a
// window is set again (scripts rely on this to arm a turn that a later call starts).
void host_SetBulletDeflection(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  mBullet* b = setterTarget(call, "host_SetBulletDeflection", kNoBulletInfo);
  if (b == nullptr) return;
  xMovement& m = b->movement;
  m.deflection = call.floatArg(0);
  m.deflectionChange = call.floatArg(1);
  m.deflectStart = m.deflectEnd = m.deflectCount = 0;
  m.deflectActive = false;
  m.deflectHeld = false;
}

// "htSetBulletDeflectionEx"(step, change: float, start: int, length: int): current bullet: turns by
// step degrees a frame, step growing by change, from frame start for length frames.
void host_SetBulletDeflectionEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  mBullet* b = setterTarget(call, "host_SetBulletDeflection", kNoBulletInfo);
  if (b == nullptr) return;
  xMovement& m = b->movement;
  m.deflection = call.floatArg(0);
  m.deflectionChange = call.floatArg(1);
  std::int32_t start = call.intArg(2);
  setWindow(m.deflectStart, m.deflectEnd, m.deflectActive, m.deflectHeld, start,
            base::addSaturated(start, call.intArg(3)));
}

// "htSetBulletForce"(magnitude, angle: float, relative: int): current bullet: a constant push of
// magnitude towards angle degrees (relative > 0: relative to its heading).
void host_SetBulletForce(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  mBullet* b = setterTarget(call, "host_SetBulletForce", kNoBulletInfo);
  if (b == nullptr) return;
  b->movement.force = call.floatArg(0);
  b->movement.forceDegree = call.floatArg(1);
  b->movement.forceRelative = call.intArg(2) > 0;
}

// "htSetBulletGravitation"(g: float): current bullet: g is added to its vertical speed every frame
// (while it is below its maximum speed).
void host_SetBulletGravitation(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  mBullet* b = setterTarget(call, "host_SetBulletGravitation", kNoBulletInfo);
  if (b == nullptr) return;
  b->movement.gravitation = call.floatArg(0);
  b->movement.gravitationOn = true;
}

// "htSetBulletMaxSpeed"(speed: float): current bullet: acceleration, gravitation and force act only
// while its speed is below speed (8.0 by default).
void host_SetBulletMaxSpeed(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  mBullet* b = setterTarget(call, "host_SetBulletMaxSpeed", "HostSetBulletMaxSpeed: no bullet available");
  if (b == nullptr) return;
  b->movement.maxSpeed = call.floatArg(0);
}

// ---- the current bullet's look and life ----

// "htSetBulletTextureRect"(ident: int, colour: int): current bullet: its picture and hit radius
// become those of kind ident in colour column colour.
void host_SetBulletTextureRect(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  mBullet* b = setterTarget(call, "host_SetBulletTextureRect", kNoBulletInfo);
  if (b == nullptr) return;
  b->texRect = mBulletManager::getBulletIdentRect(call.intArg(0), call.intArg(1), b->hitRadiusSq);
  applyTexRect(*b);
}

// "htSetBulletRotation"(speed: float): current bullet: a fixed tilt of speed radians, as the
// drawing sets the rotation from the heading every frame before the sprite turns.
void host_SetBulletRotation(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  mBullet* b = setterTarget(call, "host_SetBulletRotation", kSilent);
  if (b == nullptr || !b->sprite) return;
  b->sprite->rotationSpeed = call.floatArg(0);
  b->sprite->rotationMode = xSprite::kRotateForever;
}

// "htSetBulletColor"(colour: int): current bullet: its picture moves colour cells to the right of
// its current cell.
void host_SetBulletColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  mBullet* b = setterTarget(call, "host_SetBulletColor", "HostSetBulletColor: no bullet available");
  if (b == nullptr) return;
  b->texRect.x += static_cast<float>(call.intArg(0)) * b->texRect.w;
  applyTexRect(*b);
}

// "htSetBulletReflectTime"(count: int, bottom: int): current bullet: bounces off the edges of the
// bullet rectangle count times (bottom > 0: the bottom edge too).
void host_SetBulletReflectTime(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  mBullet* b = setterTarget(call, "host_SetBulletReflectTime", "HostSetBulletReflectTime: no bullet available");
  if (b == nullptr) return;
  b->reflectCount = call.intArg(0);
  b->reflectBottom = call.intArg(1) > 0;
}

// "htSetBulletPause"(start: int, length: int): current bullet: stands still from frame start for
// length frames.
void host_SetBulletPause(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  mBullet* b = setterTarget(call, "host_SetBulletPause", "HostSetBulletPause: no bullet available");
  if (b == nullptr) return;
  std::int32_t start = call.intArg(0);
  setWindow(b->pauseStart, b->pauseEnd, b->pauseActive, b->pauseHeld, start, base::addSaturated(start, call.intArg(1)));
}

// "htSetBulletLifeTime"(frames: int): current bullet: dies after frames frames (0 lives for ever).
void host_SetBulletLifeTime(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  mBullet* b = setterTarget(call, "host_SetBulletLifeTime", "HostSetBulletLifeTime: no bullet available");
  if (b == nullptr) return;
  b->lifeTime = static_cast<std::uint32_t>(call.intArg(0));
}

// "htBindScriptFuncToBullet"(function: string, interval: int, count: int): current bullet: calls
// function(x, y, heading in degrees) every interval + 1 updates, count times (-1 for ever); while
// it runs that bullet is the current one.
void host_BindScriptFuncToBullet(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  mBullet* b =
      setterTarget(call, "host_BindScriptFuncToBullet", kSilent);
  if (b == nullptr) return;
  std::string name = call.stringArg(0);
  b->bindFunction(name, static_cast<std::uint32_t>(call.intArg(1)), static_cast<std::uint32_t>(call.intArg(2)));
}

// "htRemoveCurrBullet"(): current bullet: gone at the manager's next update.
void host_RemoveCurrBullet(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  mBullet* b = setterTarget(call, "host_RemoveCurrBullet", kSilent);
  if (b == nullptr) return;
  b->exists = b->hittable = false;
}

// "htSetBulletRenderDegree"(degrees: float, on: int): current bullet: drawn at a fixed angle (90
// upright) when on > 0, instead of along its heading.
void host_SetBulletRenderDegree(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  mBullet* b = setterTarget(call, "host_SetBulletRenderingDegree", kNoBulletInfo);
  if (b == nullptr) return;
  b->renderAngle = degreesToRadians(call.floatArg(0) - 90.0f);
  b->fixedRender = call.intArg(1) > 0;
}

// "htSetBulletImmortal"(on: int): current bullet: survives htClearBullet when on > 0.
void host_SetBulletImmortal(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  mBullet* b = setterTarget(call, "host_SetBulletImmortal", kNoBulletInfo);
  if (b == nullptr) return;
  b->immortal = call.intArg(0) > 0;
}

// ---- enemies ----

constexpr int kCreateDeclared = 7;  // creation declares 7 of its 9 arguments

xSourceManager* sources() { return xSourceManager::getInstance(); }

// "htCreateEnemyWithSprite"(sprite: int, tx, ty, tw, th, x, y: float, life: int, delay: int) ->
// int: a new enemy drawn with cell (tx, ty, tw, th) of the script sprite sprite, at (x, y) with
// life life, appearing delay + 1 updates later (delay 0: never); its id, or -1 when no script
// sprite has that id.
void host_CreateEnemyWithSprite(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 9);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_CreateSourceWithSprite")) return;
  call.returnInt(sources()->createSourceWithSprite(call.intArg(0), call.floatArg(1), call.floatArg(2),
                                                   call.floatArg(3), call.floatArg(4), call.floatArg(5),
                                                   call.floatArg(6), call.intArg(7), call.intArg(8)),
                 kCreateDeclared);
}

// "htCreateEnemyWithSpritePath"(file: string, tx, ty, tw, th, x, y: float, life: int, delay: int)
// -> int: a new enemy drawn with cell (tx, ty, tw, th) of the picture file, at (x, y) with life
// life, appearing delay + 1 updates later (delay 0: never); its id.
void host_CreateEnemyWithSpritePath(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 9);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_CreateSourceWithSpritePath")) return;
  std::string file = call.stringArg(0);
  call.returnInt(sources()->createSourceWithSpritePath(file, call.floatArg(1), call.floatArg(2), call.floatArg(3),
                                                       call.floatArg(4), call.floatArg(5), call.floatArg(6),
                                                       call.intArg(7), call.intArg(8)),
                 kCreateDeclared);
}

// "htSetEnemyMovementAnimRect"(id: int, lx, ly, lw, lh, rx, ry, rw, rh: float): the enemy's two
// movement cells: the left-moving (lx, ly, lw, lh) and the right-moving (rx, ry, rw, rh).
void host_SetEnemyMovementAnimRect(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 9);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceMovementRect")) return;
  sources()->setSourceMovementRect(call.intArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3),
                                   call.floatArg(4), call.floatArg(5), call.floatArg(6), call.floatArg(7),
                                   call.floatArg(8));
}

// "htSetEnemyAttackAnim"(id: int, x, y, w, h: float, frames: int): the enemy's attack animation:
// frames cells from (x, y, w, h).
void host_SetEnemyAttackAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceAnimRect")) return;
  sources()->setSourceAttackAnim(call.intArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3),
                                 call.floatArg(4), call.intArg(5));
}

// "htSetEnemyAttackedAnim"(id: int, x, y, w, h: float, frames: int): the enemy's hit animation:
// frames cells from (x, y, w, h).
void host_SetEnemyAttackedAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceAnimRect")) return;
  sources()->setSourceAttackedAnim(call.intArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3),
                                   call.floatArg(4), call.intArg(5));
}

// "htMoveEnemyTo"(id: int, x, y: float, start: int, frames: int): moves the enemy to (x, y) from
// its frame start over frames frames (1 places it at once).
void host_MoveEnemyTo(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_MoveSourceTo")) return;
  sources()->moveSourceTo(call.intArg(0), call.floatArg(1), call.floatArg(2), call.intArg(3), call.intArg(4));
}

// "htBindScriptFuncToEnemy"(id: int, function: string, interval: int, count: int): calls
// function(id, x, y, frame) every interval + 1 updates of the enemy, count + 1 times (-1 for ever);
// frame is interval times the calls made before.
void host_BindScriptFuncToEnemy(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_BindScriptFuncToSource")) return;
  std::int32_t id = call.intArg(0);
  std::string name = call.stringArg(1);
  sources()->bindScriptFuncToSource(id, name, call.intArg(2), call.intArg(3));
}

// "htBindDieFuncToEnemy"(id: int, function: string): calls function(x, y) when the enemy is shot
// down.
void host_BindDieFuncToEnemy(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_BindDieFuncToSource")) return;
  std::int32_t id = call.intArg(0);
  sources()->bindDieFuncToSource(id, call.stringArg(1));
}

// "htGetEnemyX"(id: int) -> float: the enemy's x; 400 when no enemy has the id.
void host_GetEnemyX(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_GetSourceX")) return;
  call.returnFloat(sources()->getSourceX(call.intArg(0)));
}

// "htGetEnemyY"(id: int) -> float: the enemy's y; 300 when no enemy has the id.
void host_GetEnemyY(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_GetSourceY")) return;
  call.returnFloat(sources()->getSourceY(call.intArg(0)));
}

// "htShootBulletAtEnemyVec"(id: int, colour: int, unused1, unused2, unused3: int, speed, degrees:
// float): shoots a bullet from enemy id's position at speed towards degrees, the id serving as the
// bullet kind; the three middle arguments are not read.
void host_ShootBulletAtEnemyVec(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 7);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::int32_t id = call.intArg(0), colour = call.intArg(1);
  float speed = call.floatArg(5), degrees = call.floatArg(6);
  sources()->insertBulletVec(id, [&](float x, float y) { insertBulletVec(id, colour, x, y, speed, degrees); });
}

// "htShootBulletAtEnemy"(id: int, colour: int, unused1, unused2, unused3: int, vx, vy: float):
// shoots a bullet from enemy id's position with velocity (vx, vy), the id serving as the bullet
// kind; the three middle arguments are not read.
void host_ShootBulletAtEnemy(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 7);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::int32_t id = call.intArg(0), colour = call.intArg(1);
  float vx = call.floatArg(5), vy = call.floatArg(6);
  sources()->insertBulletVec(
      id, [&](float x, float y) { insertBullet(id, colour, x, y, vx, vy, std::atan2(vy, vx)); });
}

// "htGetEnemySize"() -> int: the number of enemies alive.
void host_GetEnemySize(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_GetSourceSize")) return;
  call.returnInt(static_cast<std::int32_t>(sources()->sourceCount()));
}

// "htRemoveEnemy"(id: int): removes the enemy at once.
void host_RemoveEnemy(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_RemoveSource")) return;
  sources()->removeSource(call.intArg(0));
}

// "htSetEnemyLifeFrame"(id: int, frames: int): the enemy fades out once frames more frames have
// passed (-1: no limit).
void host_SetEnemyLifeFrame(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceLifeFrame")) return;
  sources()->setSourceLifeFrame(call.intArg(0), call.intArg(1));
}

// "htFadeEnemyIn"(id: int, frames: int): fades the enemy in over frames frames.
void host_FadeEnemyIn(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_FadeSourceIn")) return;
  sources()->fadeSourceIn(call.intArg(0), call.intArg(1));
}

// "htSetEnemySpeed"(id: int, vx, vy: float): the enemy's velocity (vx, vy).
void host_SetEnemySpeed(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceSpeed")) return;
  sources()->setSourceSpeed(call.intArg(0), call.floatArg(1), call.floatArg(2));
}

// "htSetEnemySpeedVec"(id: int, speed, angle: float): the enemy's velocity: speed towards angle, in
// radians (unlike the bullets' degrees).
void host_SetEnemySpeedVec(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceSpeedVec")) return;
  float speed = call.floatArg(1), a = call.floatArg(2);
  sources()->setSourceSpeed(call.intArg(0), speed * std::cos(a), speed * std::sin(a));
}

// "htSetEnemyDeflection"(id: int, deflection: float, duration: int, start: int): the enemy turns by
// deflection degrees a frame, in a window that start and duration set.
void host_SetEnemyDeflection(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceDeflection")) return;
  sources()->setSourceDeflection(call.intArg(0), call.floatArg(1), call.intArg(2), call.intArg(3));
}

// "htSetEnemyLife"(id: int, life: int): the enemy's life.
void host_SetEnemyLife(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceLife")) return;
  sources()->setSourceLife(call.intArg(0), call.intArg(1));
}

// "htSetEnemyColor"(id: int, r, g, b, a: float): colours the enemy (components 0..1).
void host_SetEnemyColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_SetSourceColor")) return;
  sources()->setSourceColor(call.intArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3), call.floatArg(4));
}

// DO NOT REORDER: registration order; a later group registering one of
// these names would replace it.
constexpr host::HostEntry kBulletAPIs[] = {
    {"htInsertBulletXY", host_InsertBulletXY},
    {"htInsertBulletVec", host_InsertBulletVec},
    {"htShootBullet", host_ShootBullet},
    {"htShootBulletToPlayer", host_ShootBulletToPlayer},
    {"htAddBulletIdent", host_AddBulletIdent},
    {"htSetBulletManagerTexture", host_SetBulletManagerTexture},
    {"htSetBulletScreenRect", host_SetBulletScreenRect},
    {"htClearBullet", host_ClearBullet},
    {"htSetBulletAcceleration", host_SetBulletAcceleration},
    {"htSetBulletAccelerationEx", host_SetBulletAccelerationEx},
    {"htSetBulletSpeed", host_SetBulletSpeed},
    {"htSetBulletSpeedEx", host_SetBulletSpeedEx},
    {"htSetBulletSpeedDgr", host_SetBulletSpeedDgr},
    {"htSetBulletSpeedDgrEx", host_SetBulletSpeedDgrEx},
    {"htSetBulletDeflection", host_SetBulletDeflection},
    {"htSetBulletDeflectionEx", host_SetBulletDeflectionEx},
    {"htSetBulletForce", host_SetBulletForce},
    {"htSetBulletTextureRect", host_SetBulletTextureRect},
    {"htSetBulletGravitation", host_SetBulletGravitation},
    {"htSetBulletRotation", host_SetBulletRotation},
    {"htSetBulletColor", host_SetBulletColor},
    {"htSetBulletReflectTime", host_SetBulletReflectTime},
    {"htSetBulletPause", host_SetBulletPause},
    {"htSetBulletLifeTime", host_SetBulletLifeTime},
    {"htSetBulletMaxSpeed", host_SetBulletMaxSpeed},
    {"htBindScriptFuncToBullet", host_BindScriptFuncToBullet},
    {"htRemoveCurrBullet", host_RemoveCurrBullet},
    {"htCreateEnemyWithSprite", host_CreateEnemyWithSprite},
    {"htCreateEnemyWithSpritePath", host_CreateEnemyWithSpritePath},
    {"htSetEnemyMovementAnimRect", host_SetEnemyMovementAnimRect},
    {"htSetEnemyAttackAnim", host_SetEnemyAttackAnim},
    {"htSetEnemyAttackedAnim", host_SetEnemyAttackedAnim},
    {"htMoveEnemyTo", host_MoveEnemyTo},
    {"htBindScriptFuncToEnemy", host_BindScriptFuncToEnemy},
    {"htBindDieFuncToEnemy", host_BindDieFuncToEnemy},
    {"htGetEnemyX", host_GetEnemyX},
    {"htGetEnemyY", host_GetEnemyY},
    {"htShootBulletAtEnemyVec", host_ShootBulletAtEnemyVec},
    {"htShootBulletAtEnemy", host_ShootBulletAtEnemy},
    {"htGetEnemySize", host_GetEnemySize},
    {"htRemoveEnemy", host_RemoveEnemy},
    {"htSetEnemyLifeFrame", host_SetEnemyLifeFrame},
    {"htFadeEnemyIn", host_FadeEnemyIn},
    {"htSetEnemySpeed", host_SetEnemySpeed},
    {"htSetEnemySpeedVec", host_SetEnemySpeedVec},
    {"htSetEnemyDeflection", host_SetEnemyDeflection},
    {"htSetEnemyLife", host_SetEnemyLife},
    {"htSetBulletRenderDegree", host_SetBulletRenderDegree},
    {"htSetBulletImmortal", host_SetBulletImmortal},
    {"htSetEnemyColor", host_SetEnemyColor},
};
static_assert(std::size(kBulletAPIs) == 50);

}  // namespace

void RegisterHostBulletAPIs() {
  mBulletManager::getInstance();
  host::registerHostTable(kBulletAPIs);
}
