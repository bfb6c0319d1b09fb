// Host functions given the int range's ends: frame windows, titles, deaths, floating texts and the player's stock
// saturate instead of overflowing (the sanitizer build stops on any signed overflow).
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "host/host_registration.h"
#include "tests/stg/actor_fixture.h"

namespace {

constexpr const char* kScript = R"(
host htSetBulletManagerTexture(f); host htAddBulletIdent(i, x, y, w, h, n, r); host htSetBulletScreenRect(a, b, c, d);
host htInsertBulletXY(i, c, x, y, vx, vy);
host htSetBulletAccelerationEx(v, s, e); host htSetBulletDeflectionEx(d, c, s, n); host htSetBulletPause(s, n);
host htCreateEnemyWithSpritePath(f, tx, ty, tw, th, x, y, l, d); host htSetEnemyDeflection(i, d, n, s);
host htCreateBoss(n, s, f, x, y, w, h, k); host htDisplayBossTitle(f, k); host htSetBossDieAnim(x, y, w, h, k);
host htEndBoss();
host htAddFloatingText(t, f, s, r, g, b, a, x0, y0, x1, y1, n, i, o);
host htSetPlayerLife(n); host htAddPlayerLife(); host htSetPlayerBomb(n); host htAddPlayerBomb();
func shot() {
  htSetBulletManagerTexture("treg.png"); htAddBulletIdent(1, 0, 0, 16, 16, 4, 8);
  htSetBulletScreenRect(0, 0, 640, 480); htInsertBulletXY(1, 0, 320, 240, 1, 0);
}
func decelerationWindow() { shot(); htSetBulletAccelerationEx(1, 2147483647, 1); }
func deflectionWindow() { shot(); htSetBulletDeflectionEx(1, 1, 2147483647, 1); }
func pauseWindow() { shot(); htSetBulletPause(2147483647, 1); }
func pauseWindowBelow() { shot(); htSetBulletPause(-2, -2147483647); }
func enemyDeflection() {
  htCreateEnemyWithSpritePath("enemy.png", 0, 0, 32, 32, 300, 200, 3, 0);
  htSetEnemyDeflection(0, 1, 2147483647, 2147483647);
  htCreateEnemyWithSpritePath("enemy.png", 0, 0, 32, 32, 300, 200, 3, 0);
  htSetEnemyDeflection(1, 1, -2147483647, -2147483647);
}
func bossTitle() { htCreateBoss("N", 0, "boss.png", 0, 0, 64, 64, 1); htDisplayBossTitle("boss.png", 2147483647); }
func bossDeath() {
  htCreateBoss("N", 0, "boss.png", 0, 0, 64, 64, 1); htEndBoss(); htSetBossDieAnim(0, 0, 64, 64, -2147483647 - 1);
}
func floatingText() { htAddFloatingText("x", "none.ttf", 16, 1, 1, 1, 1, 0, 0, 9, 9, -2147483647 - 1, 0, 65536); }
func lifeAbove() { htSetPlayerLife(2147483647); htAddPlayerLife(); }
func bombAbove() { htSetPlayerBomb(2147483647); htAddPlayerBomb(); }
func lifeBelow() { htSetPlayerLife(-2147483647 - 1); }
)";

class ExtremeArgumentsTest : public stg::test::ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    RegisterHostSystemAPIs();
    RegisterHostBulletAPIs();
    RegisterHostBossAPIs();
    RegisterHostPlayerAPIs();
    focusScript(kScript);
    xSystem::getInstance()->setState(STATE_STG);
  }
  static void call(const char* func) {
    xScriptManager* scripts = xScriptManager::getInstance();
    ASSERT_TRUE(scripts->callFunc(func, scripts->focusedGroup(), scripts->focusedThread())) << func;
  }
  static mBullet& lastBullet() {
    EXPECT_NE(gBulletManager->bulletCount(), 0u);
    return *gBulletManager->bulletAt(gBulletManager->bulletCount() - 1);
  }
  static void bulletFrames(int n) {
    for (int i = 0; i < n; ++i) gBulletManager->update();
  }
};

// Each row calls its script function, then runs what uses the numbers and
// checks the saturated result.
struct Case {
  const char* func;
  std::function<void()> check;
};

TEST_F(ExtremeArgumentsTest, ArithmeticOnScriptNumbersStaysInTheIntRange) {
  xBoss* boss = xBoss::getInstance();
  xPlayer* player = xPlayer::getInstance();
  const std::vector<Case> cases = {
      {"decelerationWindow",
       [] {
         EXPECT_EQ(lastBullet().movement.decelEnd, INT_MAX);
         bulletFrames(2);
         EXPECT_FALSE(lastBullet().movement.decelActive);
       }},
      {"deflectionWindow", [] { EXPECT_EQ(lastBullet().movement.deflectEnd, INT_MAX); }},
      {"pauseWindow",
       [] {
         EXPECT_EQ(lastBullet().pauseEnd, INT_MAX);
         bulletFrames(2);
         EXPECT_FALSE(lastBullet().pauseActive);
       }},
      {"pauseWindowBelow", [] { EXPECT_EQ(lastBullet().pauseEnd, INT_MIN); }},
      {"enemyDeflection",
       [] {
         EXPECT_EQ(xSourceManager::getInstance()->findSource(0)->movement.deflectEnd, INT_MAX);
         EXPECT_EQ(xSourceManager::getInstance()->findSource(1)->movement.deflectEnd, INT_MIN);
       }},
      {"bossTitle",
       [boss] {
         for (int i = 0; i < 3; ++i) boss->render();
         EXPECT_EQ(boss->titleFrames, INT_MAX) << "the title shows for ever";
       }},
      {"bossDeath",
       [boss] {
         boss->update();
         EXPECT_FALSE(boss->exists()) << "a death of no frames is over at once";
       }},
      {"floatingText",
       [] {
         xFloatingTextManager::getInstance()->update();
         xFloatingTextManager::getInstance()->update();
         EXPECT_EQ(xFloatingTextManager::getInstance()->size(), 0u) << "a text of no life is gone at once";
       }},
      {"lifeAbove", [player] { EXPECT_EQ(player->lives, INT_MAX); }},
      {"bombAbove", [player] { EXPECT_EQ(player->bombs, INT_MAX); }},
      {"lifeBelow",
       [player] {
         player->loseLife();
         EXPECT_EQ(player->lives, 0);
         EXPECT_EQ(xSystem::getInstance()->getState(), STATE_GAMEOVER);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.func);
    call(c.func);
    c.check();
  }
}

}  // namespace
