// The bullet and enemy host functions called from compiled scripts: shots, the current bullet, setters, enemies, bad calls.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "host/host_registration.h"
#include "tests/stg/actor_fixture.h"

namespace {

using script::GroupId;

constexpr float kPi = 3.1415927f;

// Every name, in registration order.
constexpr const char* kDeclarations = R"(
host htInsertBulletXY(i, c, x, y, vx, vy); host htInsertBulletVec(i, c, x, y, s, a);
host htShootBullet(i, c, x, y, tx, ty, s); host htShootBulletToPlayer(i, c, x, y, s);
host htAddBulletIdent(i, x, y, w, h, n, r); host htSetBulletManagerTexture(f);
host htSetBulletScreenRect(x1, y1, x2, y2); host htClearBullet(); host htSetBulletAcceleration(ax, ay, r);
host htSetBulletAccelerationEx(v, s, e); host htSetBulletSpeed(vx, vy); host htSetBulletSpeedEx(vx, vy, n);
host htSetBulletSpeedDgr(s, a); host htSetBulletSpeedDgrEx(s, a, n); host htSetBulletDeflection(d, c);
host htSetBulletDeflectionEx(d, c, s, n); host htSetBulletForce(f, a, r); host htSetBulletTextureRect(i, c);
host htSetBulletGravitation(g); host htSetBulletRotation(s); host htSetBulletColor(c);
host htSetBulletReflectTime(n, b); host htSetBulletPause(s, n); host htSetBulletLifeTime(n);
host htSetBulletMaxSpeed(s); host htBindScriptFuncToBullet(f, i, n); host htRemoveCurrBullet();
host htCreateEnemyWithSprite(s, tx, ty, tw, th, x, y, l, d);
host htCreateEnemyWithSpritePath(f, tx, ty, tw, th, x, y, l, d);
host htSetEnemyMovementAnimRect(i, lx, ly, lw, lh, rx, ry, rw, rh); host htSetEnemyAttackAnim(i, x, y, w, h, n);
host htSetEnemyAttackedAnim(i, x, y, w, h, n); host htMoveEnemyTo(i, x, y, s, n);
host htBindScriptFuncToEnemy(i, f, n, c); host htBindDieFuncToEnemy(i, f); host htGetEnemyX(i);
host htGetEnemyY(i); host htShootBulletAtEnemyVec(i, c, p, q, r, s, a); host htShootBulletAtEnemy(i, c, p, q, r, vx, vy);
host htGetEnemySize(); host htRemoveEnemy(i); host htSetEnemyLifeFrame(i, n); host htFadeEnemyIn(i, n);
host htSetEnemySpeed(i, vx, vy); host htSetEnemySpeedVec(i, s, a); host htSetEnemyDeflection(i, d, n, s);
host htSetEnemyLife(i, l); host htSetBulletRenderDegree(d, on); host htSetBulletImmortal(on);
host htSetEnemyColor(i, r, g, b, a);
)";

// Each motion case shoots one bullet at (320, 240) moving right by 1, then shapes it.
constexpr const char* kScript = R"(
var calls; var lastDegrees; var enemyCalls; var enemyArg; var died;
func setup() {
  htSetBulletManagerTexture("sheet.png");
  htAddBulletIdent(1, 0, 0, 16, 16, 4, 8); htAddBulletIdent(2, 0, 16, 8, 8, 1, 3); htAddBulletIdent(0, 0, 32, 8, 8, 1, 2);
  htSetBulletScreenRect(0, 0, 640, 480);
  calls = 0; enemyCalls = 0;
}
func shot() { htInsertBulletXY(1, 0, 320, 240, 1, 0); }
func shots() {
  htInsertBulletXY(1, 1, 100, 50, 3, 4); htInsertBulletVec(2, 3, 100, 50, 2, 90);
  htShootBullet(1, 0, 100, 100, 103, 104, 5); htShootBulletToPlayer(1, 0, 300, 300, 2);
  htInsertBulletXY(7, 0, 10, 10, 0, 1); htSetBulletSpeed(0, 2); htSetBulletSpeed(-3, 0);
}
func toPlayer() { htShootBulletToPlayer(1, 0, 300, 300, 2); }
func accel() { shot(); htSetBulletAcceleration(0, 0.5, 0); }
func accelRotated() { shot(); htSetBulletAcceleration(0.5, 0.5, 1); }
func gravity() { shot(); htSetBulletGravitation(0.25); }
func gravityAtMaxSpeed() { shot(); htSetBulletGravitation(0.25); htSetBulletMaxSpeed(0); }
func force() { shot(); htSetBulletSpeed(0, 1); htSetBulletForce(1, 0, 0); }
func forceRelative() { shot(); htSetBulletSpeed(0, 1); htSetBulletForce(1, 0, 1); }
func deflect() { shot(); htSetBulletDeflection(90, 0); }
func deflectWindow() { shot(); htSetBulletDeflectionEx(90, 0, 0, 1); }
func decelerate() { shot(); htSetBulletAccelerationEx(0.25, 0, 3); }
func speedDgr() { shot(); htSetBulletSpeedDgr(2, 90); }
func speedLater() { shot(); htSetBulletSpeedEx(0, 2, 3); }
func speedNever() { shot(); htSetBulletSpeedEx(0, 2, 0); }
func speedDgrLater() { shot(); htSetBulletSpeedDgrEx(3, 180, 2); }
func paused() { shot(); htSetBulletPause(1, 2); }
func bounce() { htInsertBulletXY(1, 0, 638, 240, 4, 0); htSetBulletReflectTime(1, 0); }
func bounceBottom() { htInsertBulletXY(1, 0, 320, 478, 0, 4); htSetBulletReflectTime(1, 1); }
func noBounce() { htInsertBulletXY(1, 0, 638, 240, 4, 0); }
func windows() { shot(); htSetBulletAccelerationEx(1, 30, 10); shot(); htSetBulletAccelerationEx(1, 30, 50); }
func look() {
  htInsertBulletXY(2, 0, 100, 100, 1, 0); htSetBulletColor(2); htSetBulletColor(2);
  htInsertBulletXY(2, 0, 200, 100, 1, 0); htSetBulletTextureRect(1, 1); htSetBulletRenderDegree(90, 1);
  htInsertBulletXY(1, 0, 300, 100, 1, 0); htSetBulletRotation(0.5);
}
func lives() { shot(); htSetBulletLifeTime(2); shot(); htSetBulletImmortal(1); shot(); }
func clearAll() { htClearBullet(); }
func bound() { shot(); htBindScriptFuncToBullet("turn", 1, 2); htInsertBulletXY(1, 0, 100, 100, 0, 1); }
func turn(x, y, degrees) { calls += 1; lastDegrees = degrees; htSetBulletSpeedDgr(2, degrees + 90); }
func removeSelf(x, y, degrees) { htRemoveCurrBullet(); }
func bindRemoveSoon() { shot(); htBindScriptFuncToBullet("removeSelf", 1, 1); }
func getCalls() { return calls; }
func getDegrees() { return lastDegrees; }
func allSetters() {
  htSetBulletAcceleration(1, 1, 1); htSetBulletAccelerationEx(1, 1, 1); htSetBulletSpeed(1, 1);
  htSetBulletSpeedEx(1, 1, 1); htSetBulletSpeedDgr(1, 1); htSetBulletSpeedDgrEx(1, 1, 1);
  htSetBulletDeflection(1, 1); htSetBulletDeflectionEx(1, 1, 1, 1); htSetBulletForce(1, 1, 1);
  htSetBulletTextureRect(1, 1); htSetBulletGravitation(1); htSetBulletRotation(1); htSetBulletColor(1);
  htSetBulletReflectTime(1, 1); htSetBulletPause(1, 1); htSetBulletLifeTime(1); htSetBulletMaxSpeed(1);
  htBindScriptFuncToBullet("turn", 1, 1); htRemoveCurrBullet(); htSetBulletRenderDegree(1, 1);
  htSetBulletImmortal(1);
}
func makePath() { return htCreateEnemyWithSpritePath("enemy.png", 0, 0, 32, 32, 300, 200, 3, 1); }
func makeMissing() { return htCreateEnemyWithSprite(5, 0, 0, 16, 16, 350, 100, 2, 1); }
func makeSprite() { return htCreateEnemyWithSprite(1, 0, 0, 16, 16, 350, 100, 2, 1); }
func enemyCount() { return htGetEnemySize(); }
func steer() {
  htSetEnemySpeedVec(0, 2, 1.5707964); htSetEnemyDeflection(0, 3, 10, 5); htSetEnemyLife(0, 7);
  htSetEnemyLifeFrame(0, 300); htSetEnemyColor(0, 1, 0, 0, 0.5); htSetEnemyAttackAnim(0, 0, 32, 32, 32, 1);
  htSetEnemyAttackedAnim(0, 32, 32, 32, 32, 1); htSetEnemyMovementAnimRect(0, 0, 0, 32, 32, 32, 0, 32, 32);
  htBindScriptFuncToEnemy(0, "onEnemy", 1, 0); htBindDieFuncToEnemy(0, "onDie");
  htSetEnemySpeed(1, 1, 0); htMoveEnemyTo(1, 500, 120, 0, 0); htFadeEnemyIn(1, 10); htSetEnemyLife(99, 1);
}
func onEnemy(id, x, y, n) { enemyCalls += 1; enemyArg = id; }
func onDie(x, y) { died = x; }
func getEnemyCalls() { return enemyCalls * 100 + enemyArg; }
func getDied() { return died; }
func shootFrom() {
  htShootBulletAtEnemyVec(0, 1, 9, 9, 9, 2, 90); htShootBulletAtEnemy(1, 0, 9, 9, 9, 3, 4);
  htShootBulletAtEnemy(99, 0, 9, 9, 9, 3, 4);
}
func whereMoved() { return htGetEnemyX(1) * 1000 + htGetEnemyY(1); }
func whereNobody() { return htGetEnemyX(99) * 1000 + htGetEnemyY(99); }
func removeOne() { htRemoveEnemy(1); }
)";

// The script above focused, its functions registered; the sheet "sheet.png"
// (64 x 64) waits in the graphics folder for the script to set it, and the
// player stands at (400, 500).
class HostBulletTest : public stg::test::ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    gfx::test::writePng("data/graphic/sheet.png", 64, 64);
    gfx::test::writePng("data/graphic/p.png", 16, 16);  // the enemy manager's default sprite
    RegisterHostBulletAPIs();
    ASSERT_NE(gBulletManager, nullptr);  // made by the registration
    stg::bulletTargets().playerPosition = [this](float& x, float& y) {
      x = 400;
      y = 500;
      return playerHasSprite_;
    };
    focusScript(std::string(kDeclarations) + kScript);
  }
  const vm_value& call(const char* func) {
    xScriptManager* scripts = xScriptManager::getInstance();
    EXPECT_TRUE(scripts->callFunc(func, scripts->focusedGroup(), scripts->focusedThread())) << func;
    return scripts->getScriptGroup(scripts->focusedGroup())->getThread(scripts->focusedThread())->retval();
  }
  static mBulletManager* bullets() { return gBulletManager; }
  static mBullet* last() { return bullets()->bulletAt(bullets()->bulletCount() - 1); }
  static void updates(int n) {
    for (int i = 0; i < n; ++i) bullets()->update();
  }
  int logCount(const std::string& text) const {
    std::string all = log();
    int n = 0;
    for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
    return n;
  }

  bool playerHasSprite_ = true;
};

// The names kDeclarations declares, in its order.
std::vector<std::string> declaredNames() {
  std::vector<std::string> names;
  std::string text = kDeclarations;
  for (std::size_t at = text.find("host "); at != std::string::npos; at = text.find("host ", at + 1)) {
    names.push_back(text.substr(at + 5, text.find('(', at) - at - 5));
  }
  return names;
}

void expectVelocity(const xMovement& m, float vx, float vy) {
  EXPECT_NEAR(m.vx, vx, 1e-4);
  EXPECT_NEAR(m.vy, vy, 1e-4);
}

TEST_F(HostBulletTest, ShotsStartWhereTheyAreAimedAndSettersChangeTheLastOne) {
  call("setup");
  call("shots");
  ASSERT_EQ(bullets()->bulletCount(), 5u);
  const mBullet* xy = bullets()->bulletAt(0);
  EXPECT_EQ(xy->x, 100);
  EXPECT_EQ(xy->y, 50);
  expectVelocity(xy->movement, 3, 4);
  EXPECT_FLOAT_EQ(xy->movement.heading, std::atan2(4.0f, 3.0f));
  EXPECT_EQ(xy->texRect.x, 16);  // colour 1: one cell right
  EXPECT_EQ(xy->hitRadiusSq, 64);
  const mBullet* vec = bullets()->bulletAt(1);  // 90 degrees: straight down
  expectVelocity(vec->movement, 0, 2);
  EXPECT_FLOAT_EQ(vec->movement.heading, kPi / 2);
  EXPECT_EQ(vec->texRect.x, 24);
  EXPECT_EQ(vec->hitRadiusSq, 9);
  expectVelocity(bullets()->bulletAt(2)->movement, 3, 4);  // towards (103, 104) at 5
  expectVelocity(bullets()->bulletAt(3)->movement, 2 / std::sqrt(5.0f), 4 / std::sqrt(5.0f));  // the player
  // An identifier without a record: an empty rectangle, still shot, and
  // both setters changed it, the second last.
  const mBullet* unknown = bullets()->bulletAt(4);
  EXPECT_EQ(unknown->texRect.w, 0);
  EXPECT_EQ(unknown->hitRadiusSq, 0);
  EXPECT_EQ(logCount("mBulletManager::getBulletIdentRect: invalid identifier 7"), 1);
  expectVelocity(unknown->movement, -3, 0);
  EXPECT_FLOAT_EQ(unknown->movement.heading, kPi);

  playerHasSprite_ = false;  // aimed at as if the player stood at (400, 300)
  call("toPlayer");
  expectVelocity(last()->movement, 2, 0);
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
      {"forceRelative", 1, 320, 242, 0, 2},     // 0 degrees from the velocity's own
      {"deflect", 2, 322, 240, 1, 0},           // stored, but its window is cleared
      {"deflectWindow", 3, 318, 241, -1, 0},    // turns on the first two updates only
      {"decelerate", 6, 321.5f, 240, 0, 0},     // four frames of 0.25 along the heading
      {"speedDgr", 1, 320, 242, 0, 2},
      {"speedLater", 4, 323, 242, 0, 2},        // the fourth update sets the velocity
      {"speedNever", 6, 326, 240, 1, 0},        // frames 0: only the heading changes
      {"speedDgrLater", 3, 319, 240, -3, 0},
      {"paused", 5, 322, 240, 1, 0},            // still on updates 2 to 4
      {"bounce", 2, 638, 240, -4, 0},
      {"bounceBottom", 2, 320, 478, 0, -4},
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
    expectVelocity(b->movement, c.vx, c.vy);
    bullets()->killAllBullets();
  }
  call("speedLater");
  EXPECT_FLOAT_EQ(last()->movement.heading, kPi / 2);  // turned at once
  call("noBounce");
  mBullet* gone = last();
  updates(1);
  EXPECT_FALSE(gone->exists);
  // A window's end below its start is a length.
  bullets()->killAllBullets();
  call("windows");
  EXPECT_EQ(bullets()->bulletAt(0)->movement.decelEnd, 40);
  EXPECT_EQ(bullets()->bulletAt(1)->movement.decelEnd, 50);
}

TEST_F(HostBulletTest, ColourRectangleAndAnglesShowInTheDrawing) {
  call("setup");
  call("look");
  ASSERT_EQ(bullets()->bulletCount(), 3u);
  EXPECT_EQ(bullets()->bulletAt(1)->hitRadiusSq, 64);
  auto angle = [](const hgeQuad& q) { return std::atan2(q.v[1].y - q.v[0].y, q.v[1].x - q.v[0].x); };
  for (int frame = 0; frame < 2; ++frame) {
    bullets()->update();
    std::vector<hgeQuad> quads = capture([] { bullets()->render(); });
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_FLOAT_EQ(quads[0].v[0].tx, 32.0f / 64);  // two steps of 2 cells of 8
    EXPECT_FLOAT_EQ(quads[0].v[0].ty, 16.0f / 64);
    EXPECT_FLOAT_EQ(quads[1].v[0].tx, 16.0f / 64);  // identifier 1, colour 1
    EXPECT_FLOAT_EQ(quads[1].v[2].ty, 16.0f / 64);
    EXPECT_NEAR(angle(quads[1]), 0, 1e-4);  // upright although it flies right
    EXPECT_NEAR(angle(quads[2]), -kPi / 2 + 0.5f, 1e-4);  // a fixed tilt from the heading
  }
}

TEST_F(HostBulletTest, LifeTimeImmortalityAndClearing) {
  call("setup");
  call("lives");
  mBullet* timed = bullets()->bulletAt(0);
  updates(2);
  EXPECT_TRUE(timed->hittable);
  updates(1);
  EXPECT_TRUE(timed->cleared);
  call("clearAll");
  EXPECT_FALSE(bullets()->bulletAt(1)->cleared);
  EXPECT_TRUE(bullets()->bulletAt(2)->cleared);
}

TEST_F(HostBulletTest, ABoundFunctionChangesItsOwnBulletUntilItIsGone) {
  call("setup");
  call("bound");
  const mBullet* turning = bullets()->bulletAt(0);
  const mBullet* other = bullets()->bulletAt(1);
  updates(2);  // interval 1: every second update
  EXPECT_EQ(call("getCalls").intValue, 1);
  EXPECT_FLOAT_EQ(call("getDegrees").floatValue, 0);
  expectVelocity(turning->movement, 0, 2);
  expectVelocity(other->movement, 0, 1);
  updates(6);
  EXPECT_EQ(call("getCalls").intValue, 2);  // count 2
  expectVelocity(turning->movement, -2, 0);

  call("bindRemoveSoon");
  const mBullet* removed = last();
  updates(2);
  EXPECT_FALSE(removed->exists);
  bullets()->update();
  EXPECT_EQ(bullets()->bulletCount(), 2u);
}

// Without a current bullet nine setters share one line, five have their own and
// the rest (acceleration window, the three speeds, rotation, binding, removal) are silent.
TEST_F(HostBulletTest, WithoutACurrentBulletSettersLogAsNamedAndShotsNeedASheet) {
  call("allSetters");
  EXPECT_EQ(logCount("HostSetBulletInfo: no bullet available"), 9);
  for (const char* own : {"HostSetBulletColor", "HostSetBulletReflectTime", "HostSetBulletPause",
                          "HostSetBulletLifeTime", "HostSetBulletMaxSpeed"}) {
    EXPECT_EQ(logCount(std::string(own) + ": no bullet available"), 1) << own;
  }
  EXPECT_EQ(logCount("no bullet available"), 14);
  call("shot");  // no sheet yet: discarded
  EXPECT_EQ(bullets()->bulletCount(), 0u);
  call("allSetters");
  EXPECT_EQ(logCount("HostSetBulletInfo: no bullet available"), 18);
}

TEST_F(HostBulletTest, EnemiesAreMadeSteeredAndShotFrom) {
  call("setup");
  xSpriteManager::getInstance()->addSprite(1, "enemy.png");
  EXPECT_EQ(call("makePath").intValue, 0);
  EXPECT_EQ(call("makeMissing").intValue, -1);
  EXPECT_EQ(call("makeSprite").intValue, 1);
  EXPECT_EQ(call("enemyCount").intValue, 2);
  EXPECT_EQ(logCount("parameter table size error"), 0);  // 7 declared of 9 passed

  call("steer");
  xSourceManager* sources = xSourceManager::getInstance();
  xEnemy* first = sources->findSource(0);
  xEnemy* second = sources->findSource(1);
  expectVelocity(first->movement, 0, 2);  // radians, not degrees
  EXPECT_EQ(first->movement.deflectStart, 5);
  EXPECT_EQ(first->movement.deflectEnd, 20);  // duration + 2 x start
  EXPECT_EQ(first->life, 7);
  EXPECT_EQ(first->lifeFrames, 300);
  EXPECT_NEAR(first->sprite->sprite->color.a, 0.5f, 0.01f);
  EXPECT_FLOAT_EQ(first->sprite->sprite->color.g, 0);
  EXPECT_TRUE(first->attackAnimSet && first->attackedAnimSet);
  EXPECT_EQ(first->sprite->poses[2].x, 32);
  expectVelocity(second->movement, 1, 0);
  EXPECT_LT(second->sprite->sprite->color.a, 0.5f);  // fading in
  EXPECT_FLOAT_EQ(call("whereMoved").floatValue, 500120);  // placed at once
  EXPECT_FLOAT_EQ(call("whereNobody").floatValue, 400300);

  // From each enemy's sprite, its id as the identifier; none from nobody.
  call("shootFrom");
  ASSERT_EQ(bullets()->bulletCount(), 2u);
  const mBullet* vec = bullets()->bulletAt(0);
  EXPECT_EQ(vec->x, 300);
  EXPECT_EQ(vec->y, 200);
  EXPECT_EQ(vec->texRect.x, 8);  // identifier 0, colour 1
  expectVelocity(vec->movement, 0, 2);
  const mBullet* xy = bullets()->bulletAt(1);
  EXPECT_EQ(xy->x, 350);
  EXPECT_EQ(xy->texRect.x, 0);  // identifier 1
  expectVelocity(xy->movement, 3, 4);

  for (int i = 0; i < 4; ++i) sources->update();  // one to wait, then every other frame
  EXPECT_EQ(call("getEnemyCalls").intValue, 100);
  first->hit(100, false);
  EXPECT_FLOAT_EQ(call("getDied").floatValue, first->x);
  call("removeOne");
  EXPECT_EQ(call("enemyCount").intValue, 1);
}

TEST_F(HostBulletTest, ABadGroupChangesNothing) {
  call("setup");
  call("makePath");
  call("shot");
  const mBullet* b = last();
  xScriptManager* scripts = xScriptManager::getInstance();
  std::vector<std::string> names = declaredNames();
  ASSERT_EQ(names.size(), 50u);
  for (const std::string& name : names) {
    if (name == "htClearBullet") continue;  // below
    EXPECT_EQ(xHostAPIManager::getInstance()->callFunc(name, GroupId{9}, scripts->focusedThread()), 1) << name;
  }
  EXPECT_EQ(bullets()->bulletCount(), 1u);
  EXPECT_EQ(bullets()->getCurrent(), b);
  expectVelocity(b->movement, 1, 0);
  EXPECT_EQ(b->texRect.x, 0);
  EXPECT_TRUE(b->exists);
  EXPECT_FALSE(b->funcBound || b->immortal || b->fixedRender || b->movement.gravitationOn);
  EXPECT_EQ(b->lifeTime, 0u);
  const xEnemy* enemy = xSourceManager::getInstance()->findSource(0);
  ASSERT_NE(enemy, nullptr);
  EXPECT_EQ(xSourceManager::getInstance()->sourceCount(), 1u);
  EXPECT_EQ(enemy->life, 3);
  EXPECT_FALSE(enemy->funcBound || enemy->dieFuncBound);
  call("shot");  // the sheet and its identifiers are as they were
  EXPECT_EQ(last()->hitRadiusSq, 64);
  // Six of them are silent; the others name themselves.
  EXPECT_EQ(logCount("Error loading script manager 9"), 43);
  EXPECT_EQ(logCount("host_SetBulletInfo: Error loading script manager 9"), 5);
  EXPECT_EQ(logCount("host_SetSourceAnimRect: Error loading script manager 9"), 2);
  EXPECT_EQ(logCount("host_SetBulletRenderingDegree: Error loading script manager 9"), 1);
  // Clearing takes no group.
  xHostAPIManager::getInstance()->callFunc("htClearBullet", GroupId{9}, scripts->focusedThread());
  EXPECT_TRUE(b->cleared);
}

// The demo's patterns run through all six attacks on the demo sheet without a complaint.
TEST_F(HostBulletTest, TheDemoPatternsPlayEveryAttack) {
  namespace fs = std::filesystem;
  fs::copy_file(VELMORA_SOURCE_DIR "/data/graphic/bullets.png", "data/graphic/bullets.png");
  fs::copy_file(VELMORA_SOURCE_DIR "/data/initialize.vkscript", "initialize.vkscript");
  fs::copy_file(VELMORA_SOURCE_DIR "/data/bullet_patterns.vkscript", "data/bullet_patterns.vkscript");
  RegisterHostSystemAPIs();
  xScriptManager* scripts = xScriptManager::getInstance();
  GroupId group = scripts->addScriptGroup();
  ASSERT_TRUE(scripts->callFunc("initBullet", group, scripts->loadScript(group, "initialize.vkscript")));
  script::ThreadIndex patterns = scripts->loadScript(group, "data/bullet_patterns.vkscript");
  ASSERT_NE(patterns, script::kNoThread);
  scripts->setCurrFocusScript(group, patterns);
  scripts->callCurrFunc("init");
  xSourceManager* sources = xSourceManager::getInstance();
  for (int frame = 1; frame <= 6 * 480; ++frame) {
    scripts->callCurrUpdateFunc();
    sources->update();
    bullets()->update();
    if (frame % 480 == 240) {
      EXPECT_GT(bullets()->bulletCount(), 20u) << "attack " << frame / 480;
      capture([sources] {
        sources->render();
        bullets()->render();
      });
    }
  }
  EXPECT_GE(sources->created, 4);
  EXPECT_EQ(sources->sourceCount(), 0u);  // taken away when their attack ended
  for (const char* complaint : {"Error", "Warning", "no bullet available", "invalid identifier", "size error"}) {
    EXPECT_EQ(logCount(complaint), 0) << complaint;
  }
}

}  // namespace
