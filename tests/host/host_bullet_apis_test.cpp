// The bullet and enemy host functions called from compiled scripts: shots, the current bullet, setters, bad calls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/host_registration.h"
#include "tests/stg/bullet_fixture.h"

namespace {

using script::GroupId;
using script::ThreadIndex;

constexpr float kPi = 3.1415927f;

constexpr const char* kDeclarations = R"(
host htInsertBulletXY(ident, colour, x, y, vx, vy);
host htInsertBulletVec(ident, colour, x, y, speed, angle);
host htShootBullet(ident, colour, x, y, tx, ty, speed);
host htShootBulletToPlayer(ident, colour, x, y, speed);
host htAddBulletIdent(ident, x, y, w, h, n, radius);
host htSetBulletManagerTexture(file);
host htSetBulletScreenRect(x1, y1, x2, y2);
host htClearBullet();
host htSetBulletAcceleration(ax, ay, rotate);
host htSetBulletAccelerationEx(value, start, end);
host htSetBulletSpeed(vx, vy);
host htSetBulletSpeedEx(vx, vy, frames);
host htSetBulletSpeedDgr(speed, angle);
host htSetBulletSpeedDgrEx(speed, angle, frames);
host htSetBulletDeflection(step, change);
host htSetBulletDeflectionEx(step, change, start, length);
host htSetBulletForce(magnitude, angle, relative);
host htSetBulletTextureRect(ident, colour);
host htSetBulletGravitation(g);
host htSetBulletRotation(speed);
host htSetBulletColor(colour);
host htSetBulletReflectTime(count, bottom);
host htSetBulletPause(start, length);
host htSetBulletLifeTime(frames);
host htSetBulletMaxSpeed(speed);
host htBindScriptFuncToBullet(function, interval, count);
host htRemoveCurrBullet();
host htSetBulletRenderDegree(degrees, on);
host htSetBulletImmortal(on);
)";

// Each case shoots one bullet at (320, 240) moving right by 1, then shapes it.
constexpr const char* kBulletScript = R"(
var calls;
var lastDegrees;
func setup() {
  htSetBulletManagerTexture("sheet.png");
  htAddBulletIdent(1, 0, 0, 16, 16, 4, 8);
  htAddBulletIdent(2, 0, 16, 8, 8, 1, 3);
  htSetBulletScreenRect(0, 0, 640, 480);
  calls = 0;
}
func shot() { htInsertBulletXY(1, 0, 320, 240, 1, 0); }
func shots() {
  htInsertBulletXY(1, 1, 100, 50, 3, 4);
  htInsertBulletVec(2, 3, 100, 50, 2, 90);
  htShootBullet(1, 0, 100, 100, 103, 104, 5);
  htShootBulletToPlayer(1, 0, 300, 300, 2);
  htInsertBulletXY(7, 0, 10, 10, 0, 1);
}
func toPlayer() { htShootBulletToPlayer(1, 0, 300, 300, 2); }
func twoShots() {
  htInsertBulletXY(1, 0, 100, 100, 1, 0);
  htSetBulletSpeed(0, 2);
  htSetBulletSpeed(-3, 0);
  htInsertBulletXY(1, 0, 200, 100, 1, 0);
  htSetBulletSpeed(0, -1);
}
func accel() { shot(); htSetBulletAcceleration(0, 0.5, 0); }
func accelRotated() { shot(); htSetBulletAcceleration(0.5, 0.5, 1); }
func gravity() { shot(); htSetBulletGravitation(0.25); }
func gravityAtMaxSpeed() { shot(); htSetBulletGravitation(0.25); htSetBulletMaxSpeed(0); }
func force() { shot(); htSetBulletSpeed(0, 1); htSetBulletForce(1, 0, 0); }
func forceRelative() { shot(); htSetBulletSpeed(0, 1); htSetBulletForce(1, 0, 1); }
func deflect() { shot(); htSetBulletDeflection(90, 0); }
func deflectGrowing() { shot(); htSetBulletDeflection(0, 90); }
func deflectWindow() { shot(); htSetBulletDeflectionEx(90, 0, 0, 1); }
func decelerate() { shot(); htSetBulletAccelerationEx(0.25, 0, 3); }
func speedDgr() { shot(); htSetBulletSpeedDgr(2, 90); }
func speedLater() { shot(); htSetBulletSpeedEx(0, 2, 3); }
func speedNever() { shot(); htSetBulletSpeedEx(0, 2, 0); }
func speedDgrLater() { shot(); htSetBulletSpeedDgrEx(3, 180, 2); }
func paused() { shot(); htSetBulletPause(1, 2); }
func bounce() { htInsertBulletXY(1, 0, 638, 240, 4, 0); htSetBulletReflectTime(1, 0); }
func bounceBottom() { htInsertBulletXY(1, 0, 320, 478, 0, 4); htSetBulletReflectTime(1, 1); }
func bounceNotBottom() { htInsertBulletXY(1, 0, 320, 478, 0, 4); htSetBulletReflectTime(2, 0); }
func noBounce() { htInsertBulletXY(1, 0, 638, 240, 4, 0); }
func windows() {
  shot(); htSetBulletAccelerationEx(1, 30, 10);
  shot(); htSetBulletAccelerationEx(1, 30, 50);
  shot(); htSetBulletPause(5, 0);
}
func look() {
  htInsertBulletXY(2, 0, 100, 100, 1, 0);
  htSetBulletColor(2);
  htSetBulletColor(2);
  htInsertBulletXY(2, 0, 200, 100, 1, 0);
  htSetBulletTextureRect(1, 1);
  htSetBulletRenderDegree(90, 1);
  htInsertBulletXY(1, 0, 300, 100, 1, 0);
  htSetBulletRotation(0.5);
}
func lives() {
  shot(); htSetBulletLifeTime(2);
  shot(); htSetBulletImmortal(1);
  shot();
}
func clearAll() { htClearBullet(); }
func bound() {
  shot(); htBindScriptFuncToBullet("turn", 1, 2);
  htInsertBulletXY(1, 0, 100, 100, 0, 1);
}
func turn(x, y, degrees) {
  calls += 1;
  lastDegrees = degrees;
  htSetBulletSpeedDgr(2, degrees + 90);
}
func removeSelf(x, y, degrees) { htRemoveCurrBullet(); }
func bindRemoveSoon() { shot(); htBindScriptFuncToBullet("removeSelf", 1, 1); }
func getCalls() { return calls; }
func getDegrees() { return lastDegrees; }
func allSetters() {
  htSetBulletAcceleration(1, 1, 1);
  htSetBulletAccelerationEx(1, 1, 1);
  htSetBulletSpeed(1, 1);
  htSetBulletSpeedEx(1, 1, 1);
  htSetBulletSpeedDgr(1, 1);
  htSetBulletSpeedDgrEx(1, 1, 1);
  htSetBulletDeflection(1, 1);
  htSetBulletDeflectionEx(1, 1, 1, 1);
  htSetBulletForce(1, 1, 1);
  htSetBulletTextureRect(1, 1);
  htSetBulletGravitation(1);
  htSetBulletRotation(1);
  htSetBulletColor(1);
  htSetBulletReflectTime(1, 1);
  htSetBulletPause(1, 1);
  htSetBulletLifeTime(1);
  htSetBulletMaxSpeed(1);
  htBindScriptFuncToBullet("turn", 1, 1);
  htRemoveCurrBullet();
  htSetBulletRenderDegree(1, 1);
  htSetBulletImmortal(1);
}
)";

class HostBulletTest : public stg::test::BulletTest {
 protected:
  void SetUp() override {
    BulletTest::SetUp();
    // Scripts set the sheet up themselves; registration makes the manager.
    mBulletManager::resetForTests();
    RegisterHostBulletAPIs();
    ASSERT_NE(gBulletManager, nullptr);
    xScriptManager* scripts = xScriptManager::getInstance();
    scripts->setDiagnosticHandler([](const script::CompileDiagnostic& d) { ADD_FAILURE() << d.message; });
    group_ = scripts->addScriptGroup();
    dir_.write("bullets.vkscript", std::string(kDeclarations) + kBulletScript);
    engine::clearPathCache();
    thread_ = scripts->loadScript(group_, "bullets.vkscript");
    ASSERT_NE(thread_, script::kNoThread);
    scripts->setCurrFocusScript(group_, thread_);
  }
  const vm_value& call(const char* func) {
    EXPECT_TRUE(xScriptManager::getInstance()->callFunc(func, group_, thread_)) << func;
    return xScriptManager::getInstance()->getScriptGroup(group_)->getThread(thread_)->retval();
  }
  static mBulletManager* bullets() { return gBulletManager; }
  static mBullet* last() { return bullets()->bulletAt(bullets()->bulletCount() - 1); }
  void updates(int n) {
    for (int i = 0; i < n; ++i) bullets()->update();
  }

  GroupId group_ = script::kNoGroup;
  ThreadIndex thread_ = script::kNoThread;
};

void expectVelocity(const mBullet* b, float vx, float vy) {
  EXPECT_NEAR(b->movement.vx, vx, 1e-4);
  EXPECT_NEAR(b->movement.vy, vy, 1e-4);
}

TEST_F(HostBulletTest, ShotsStartWhereAndHowTheyAreAimedAndTheLastIsCurrent) {
  call("setup");
  call("shots");
  ASSERT_EQ(bullets()->bulletCount(), 5u);
  const mBullet* xy = bullets()->bulletAt(0);
  EXPECT_EQ(xy->x, 100);
  EXPECT_EQ(xy->y, 50);
  expectVelocity(xy, 3, 4);
  EXPECT_FLOAT_EQ(xy->movement.heading, std::atan2(4.0f, 3.0f));
  EXPECT_EQ(xy->texRect.x, 16);  // colour 1: one cell right
  EXPECT_EQ(xy->hitRadiusSq, 64);

  const mBullet* vec = bullets()->bulletAt(1);  // 90 degrees: straight down
  expectVelocity(vec, 0, 2);
  EXPECT_FLOAT_EQ(vec->movement.heading, kPi / 2);
  EXPECT_EQ(vec->texRect.x, 24);
  EXPECT_EQ(vec->texRect.y, 16);
  EXPECT_EQ(vec->hitRadiusSq, 9);

  expectVelocity(bullets()->bulletAt(2), 3, 4);  // towards (103, 104) at 5
  // Towards the player at (400, 500).
  const mBullet* aimed = bullets()->bulletAt(3);
  expectVelocity(aimed, 2 / std::sqrt(5.0f), 4 / std::sqrt(5.0f));

  // An identifier without a record: an empty rectangle, still shot.
  const mBullet* unknown = bullets()->bulletAt(4);
  EXPECT_EQ(unknown->texRect.w, 0);
  EXPECT_EQ(unknown->hitRadiusSq, 0);
  EXPECT_EQ(logCount("mBulletManager::getBulletIdentRect: invalid identifier 7"), 1);
  EXPECT_EQ(bullets()->getCurrent(), unknown);

  // A player without a sprite is aimed at as if at (400, 300).
  world_.playerHasSprite = false;
  call("toPlayer");
  expectVelocity(last(), 2, 0);
}

TEST_F(HostBulletTest, SettersChangeTheBulletShotLast) {
  call("setup");
  call("twoShots");
  const mBullet* first = bullets()->bulletAt(0);
  const mBullet* second = bullets()->bulletAt(1);
  expectVelocity(first, -3, 0);
  EXPECT_FLOAT_EQ(first->movement.heading, kPi);
  expectVelocity(second, 0, -1);
}

struct MotionCase {
  const char* func;
  int updates;
  float x, y, vx, vy;
};

TEST_F(HostBulletTest, SettersShapeTheMotion) {
  const MotionCase cases[] = {
      {"accel", 2, 322, 241.5f, 1, 1},
      {"accelRotated", 1, 321.5f, 239.5f, 1.5f, -0.5f},  // each axis uses its own value
      {"gravity", 4, 324, 242.5f, 1, 1},
      {"gravityAtMaxSpeed", 4, 324, 240, 1, 0},  // speed 0 is not below 0
      {"force", 1, 321, 241, 1, 1},
      {"forceRelative", 1, 320, 242, 0, 2},  // 0 degrees from the velocity's own
      {"deflect", 2, 319, 241, -1, 0},      // 90 degrees a frame, no window
      {"deflectGrowing", 2, 321, 241, 0, 1},  // the first frame only raises the rate
      {"deflectWindow", 3, 318, 241, -1, 0},  // turns on the first two updates only
      {"decelerate", 6, 321.5f, 240, 0, 0},   // four frames of 0.25 along the heading
      {"speedDgr", 1, 320, 242, 0, 2},
      {"speedLater", 4, 323, 242, 0, 2},    // the fourth update sets the velocity
      {"speedNever", 6, 326, 240, 1, 0},    // frames 0: only the heading changes
      {"speedDgrLater", 3, 319, 240, -3, 0},
      {"paused", 5, 322, 240, 1, 0},  // still on updates 2 to 4
      {"bounce", 2, 638, 240, -4, 0},
      {"bounceBottom", 2, 320, 478, 0, -4},
      {"bounceNotBottom", 2, 320, 486, 0, 4},  // spends its bounces without turning
  };
  call("setup");
  for (const MotionCase& c : cases) {
    SCOPED_TRACE(c.func);
    call(c.func);
    mBullet* b = last();
    updates(c.updates);
    EXPECT_TRUE(b->exists);
    EXPECT_NEAR(b->x, c.x, 1e-3);
    EXPECT_NEAR(b->y, c.y, 1e-3);
    expectVelocity(b, c.vx, c.vy);
    bullets()->killAllBullets();
  }
  call("speedLater");
  EXPECT_FLOAT_EQ(last()->movement.heading, kPi / 2);  // turned at once
  call("speedNever");
  EXPECT_FALSE(last()->movement.delayHeld);
  call("noBounce");
  mBullet* gone = last();
  updates(1);
  EXPECT_FALSE(gone->exists);
}

TEST_F(HostBulletTest, AWindowEndBelowItsStartIsALength) {
  call("setup");
  call("windows");
  EXPECT_EQ(bullets()->bulletAt(0)->movement.decelStart, 30);
  EXPECT_EQ(bullets()->bulletAt(0)->movement.decelEnd, 40);
  EXPECT_EQ(bullets()->bulletAt(1)->movement.decelEnd, 50);
  const mBullet* pause = bullets()->bulletAt(2);
  EXPECT_EQ(pause->pauseStart, 5);
  EXPECT_EQ(pause->pauseEnd, 5);
  EXPECT_TRUE(pause->pauseHeld);
}

TEST_F(HostBulletTest, ColourRectangleAndAnglesShowInTheDrawing) {
  call("setup");
  call("look");
  ASSERT_EQ(bullets()->bulletCount(), 3u);
  EXPECT_EQ(bullets()->bulletAt(0)->texRect.x, 32);  // two steps of 2 from the first cell
  EXPECT_EQ(bullets()->bulletAt(1)->hitRadiusSq, 64);
  for (int frame = 0; frame < 2; ++frame) {
    std::vector<hgeQuad> quads = this->frame(bullets());
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_FLOAT_EQ(quads[0].v[0].tx, 32.0f / 64);
    EXPECT_FLOAT_EQ(quads[0].v[0].ty, 16.0f / 64);
    EXPECT_FLOAT_EQ(quads[1].v[0].tx, 16.0f / 64);  // identifier 1, colour 1
    EXPECT_FLOAT_EQ(quads[1].v[2].ty, 16.0f / 64);
    auto angle = [](const hgeQuad& q) { return std::atan2(q.v[1].y - q.v[0].y, q.v[1].x - q.v[0].x); };
    EXPECT_NEAR(angle(quads[1]), 0, 1e-4);  // drawn upright although it flies right
    // A fixed tilt of 0.5 from the heading, the same in every frame.
    EXPECT_NEAR(angle(quads[2]), -kPi / 2 + 0.5f, 1e-4);
  }
}

TEST_F(HostBulletTest, LifeTimeImmortalityAndClearing) {
  call("setup");
  call("lives");
  mBullet* timed = bullets()->bulletAt(0);
  mBullet* immortal = bullets()->bulletAt(1);
  mBullet* plain = bullets()->bulletAt(2);
  updates(2);
  EXPECT_TRUE(timed->hittable);
  updates(1);
  EXPECT_TRUE(timed->cleared);
  call("clearAll");
  EXPECT_TRUE(plain->cleared);
  EXPECT_FALSE(immortal->cleared);
}

TEST_F(HostBulletTest, ABoundFunctionChangesItsOwnBullet) {
  call("setup");
  call("bound");
  mBullet* turning = bullets()->bulletAt(0);
  mBullet* other = bullets()->bulletAt(1);
  updates(2);  // interval 1: every second update
  EXPECT_EQ(call("getCalls").intValue, 1);
  EXPECT_FLOAT_EQ(call("getDegrees").floatValue, 0);
  expectVelocity(turning, 0, 2);
  expectVelocity(other, 0, 1);
  updates(2);
  EXPECT_EQ(call("getCalls").intValue, 2);
  expectVelocity(turning, -2, 0);
  updates(4);
  EXPECT_EQ(call("getCalls").intValue, 2);  // count 2

  // Removing itself: gone at the next update, and nothing is current then.
  call("bindRemoveSoon");
  mBullet* removed = last();
  updates(2);
  EXPECT_FALSE(removed->exists);
  EXPECT_EQ(bullets()->getCurrent(), removed);
  bullets()->killAllBullets();
  EXPECT_EQ(bullets()->getCurrent(), nullptr);
  call("allSetters");
  EXPECT_EQ(logCount("HostSetBulletInfo: no bullet available"), 12);
}

TEST_F(HostBulletTest, WithoutACurrentBulletEverySetterLogsAndShotsNeedASheet) {
  call("allSetters");
  EXPECT_EQ(logCount("HostSetBulletInfo: no bullet available"), 12);
  for (const char* own : {"HostSetBulletAcceleration", "HostSetBulletRotation", "HostSetBulletColor",
                          "HostSetBulletReflectTime", "HostSetBulletPause", "HostSetBulletLifeTime",
                          "HostSetBulletMaxSpeed", "HostBindScriptFuncToBullet", "HostRemoveCurrBullet"}) {
    EXPECT_EQ(logCount(std::string(own) + ": no bullet available"), 1) << own;
  }
  // No sheet yet: the shot is discarded and the setters still find nothing.
  call("shot");
  EXPECT_EQ(bullets()->bulletCount(), 0u);
  call("allSetters");
  EXPECT_EQ(logCount("HostSetBulletInfo: no bullet available"), 24);
}

TEST_F(HostBulletTest, ABadGroupChangesNothing) {
  call("setup");
  call("shot");
  mBullet* b = last();
  const char* names[] = {
      "htInsertBulletXY", "htInsertBulletVec", "htShootBullet", "htShootBulletToPlayer", "htAddBulletIdent",
      "htSetBulletManagerTexture", "htSetBulletScreenRect", "htSetBulletAcceleration",
      "htSetBulletAccelerationEx", "htSetBulletSpeed", "htSetBulletSpeedEx", "htSetBulletSpeedDgr",
      "htSetBulletSpeedDgrEx", "htSetBulletDeflection", "htSetBulletDeflectionEx", "htSetBulletForce",
      "htSetBulletTextureRect", "htSetBulletGravitation", "htSetBulletRotation", "htSetBulletColor",
      "htSetBulletReflectTime", "htSetBulletPause", "htSetBulletLifeTime", "htSetBulletMaxSpeed",
      "htBindScriptFuncToBullet", "htRemoveCurrBullet", "htSetBulletRenderDegree", "htSetBulletImmortal"};
  for (const char* name : names) {
    EXPECT_EQ(xHostAPIManager::getInstance()->callFunc(name, GroupId{9}, thread_), 1) << name;
  }
  EXPECT_EQ(bullets()->bulletCount(), 1u);
  EXPECT_EQ(bullets()->getCurrent(), b);
  expectVelocity(b, 1, 0);
  EXPECT_EQ(b->texRect.x, 0);
  EXPECT_TRUE(b->exists);
  EXPECT_FALSE(b->funcBound || b->immortal || b->fixedRender || b->movement.gravitationOn);
  EXPECT_EQ(b->lifeTime, 0u);
  call("shot");  // the sheet and its identifiers are as they were
  EXPECT_EQ(last()->hitRadiusSq, 64);
  // Four of them are silent; the others name themselves.
  EXPECT_EQ(logCount("Error loading script manager 9"), 24);
  EXPECT_EQ(logCount("host_SetBulletInfo: Error loading script manager 9"), 5);
  EXPECT_EQ(logCount("host_SetBulletDeflection: Error loading script manager 9"), 2);
  EXPECT_EQ(logCount("host_SetBulletRenderingDegree: Error loading script manager 9"), 1);
  // Clearing takes no group.
  xHostAPIManager::getInstance()->callFunc("htClearBullet", GroupId{9}, thread_);
  EXPECT_TRUE(b->cleared);
}

}  // namespace
