// A headless engine in a fresh folder with a bullet sheet, clean managers and a fake player and boss.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "gfx/hgeParticleSystem.h"
#include "script/manager/xScriptManager.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/bullet_targets.h"
#include "stg/mBulletManager.h"
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/temp_dir.h"

namespace stg::test {

// A player and a boss that bullets can meet, recording what happens to them.
struct FakeWorld {
  bool playerHasSprite = true;
  float playerX = 400, playerY = 500;
  int playerHits = 0;
  bool bossVisible = false, bossFighting = false;
  float bossX = 300, bossY = 100;
  std::vector<float> bossDamage;
  int scoreHits = 0;
  std::vector<float> enemyShots;  // x of every shot that hit an enemy
  float enemyHitX = -1000;        // shots at this x hit an enemy

  void install() {
    BulletTargets& t = bulletTargets();
    t.playerPosition = [this](float& x, float& y) {
      x = playerX;
      y = playerY;
      return playerHasSprite;
    };
    t.hitPlayer = [this] { ++playerHits; };
    t.visibleBossPosition = [this](float& x, float& y) {
      x = bossX;
      y = bossY;
      return bossVisible;
    };
    t.bossFighting = [this] { return bossFighting; };
    t.hitBoss = [this](float d) { bossDamage.push_back(d); };
    t.addScoreHits = [this](int n) { scoreHits += n; };
    t.hitEnemyAt = [this](float x, float, float) {
      if (x != enemyHitX) return false;
      enemyShots.push_back(x);
      return true;
    };
  }
};

// Each test has the sheet "sheet.png" (64 x 64) and "other.png" in the
// graphics folder, identifier 1 = 16 x 16 cells at (0, 0) with radius 8,
// and a screen rectangle of (0, 0)-(640, 480).
class BulletTest : public gfx::test::HeadlessEngineTest {
 protected:
  void SetUp() override {
    HeadlessEngineTest::SetUp();
    hge_->System_SetState(HGE_INIFILE, "config.ini");
    resetAll();
    gfx::test::writePng("data/graphic/sheet.png", 64, 64);
    gfx::test::writePng("data/graphic/other.png", 32, 32);
    engine::clearPathCache();
    world_.install();
  }
  void TearDown() override {
    resetAll();
    HeadlessEngineTest::TearDown();
  }
  static void resetAll() {
    mBulletManager::resetForTests();
    xScriptManager::resetForTests();
    xHostAPIManager::resetForTests();
    hgeParticleSystem::forgetCachedFiles();
    xLogFile::resetForTests();
    bulletTargets() = BulletTargets{};
  }
  // The enemy manager with its sheet, identifier and screen.
  static mBulletManager* enemy() {
    mBulletManager* m = mBulletManager::getInstance();
    if (!m->hasTexture()) {
      mBulletManager::setTexture("sheet.png");
      mBulletManager::addBulletIdent(1, 0, 0, 16, 16, 8);
      m->setScreenRect(0, 0, 640, 480);
    }
    return m;
  }
  // An enemy bullet of identifier 1 at ([x], [y]) moving by ([vx], [vy]).
  static mBullet* shoot(float x, float y, float vx = 0, float vy = 1, mBulletManager* m = nullptr) {
    auto b = std::make_unique<mBullet>();
    b->texRect = mBulletManager::getBulletIdentRect(1, 0, b->hitRadiusSq);
    b->x = x;
    b->y = y;
    b->movement.vx = vx;
    b->movement.vy = vy;
    b->movement.heading = std::atan2(vy, vx);
    return (m ? m : enemy())->addBullet(std::move(b));
  }
  // One frame of the manager: update, then the quads render draws.
  std::vector<hgeQuad> frame(mBulletManager* m) {
    m->update();
    return capture([m] { m->render(); });
  }
  std::string log() const { return dir_.read("log.txt"); }
  int logCount(const std::string& line) const {
    std::string text = log();
    int n = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
  }

  ScopedTempDir dir_;
  FakeWorld world_;
};

}  // namespace stg::test
