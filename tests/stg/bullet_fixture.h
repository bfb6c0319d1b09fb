// A headless engine in a fresh folder with bullet sheets, clean managers and a fake player and boss.
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

// What bullets meet, recording what happens to it. Shots at x = enemyX hit an enemy.
struct FakeWorld {
  bool playerHasSprite = true, bossVisible = false, bossFighting = false;
  float playerX = 400, playerY = 500, bossX = 300, bossY = 100, enemyX = -1000;
  int playerHits = 0, scoreHits = 0, enemyHits = 0;
  std::vector<float> bossDamage;

  void install() {
    BulletTargets& t = bulletTargets();
    t.playerPosition = [this](float& x, float& y) { return x = playerX, y = playerY, playerHasSprite; };
    t.hitPlayer = [this] { ++playerHits; };
    t.visibleBossPosition = [this](float& x, float& y) { return x = bossX, y = bossY, bossVisible; };
    t.bossFighting = [this] { return bossFighting; };
    t.hitBoss = [this](float d) { bossDamage.push_back(d); };
    t.addScoreHits = [this](int n) { scoreHits += n; };
    t.hitEnemyAt = [this](float x, float, float) { return x == enemyX && ++enemyHits; };
  }
};

// Sheets "sheet.png" (64 x 64) and "other.png" (32 x 32); the enemy manager
// gets the first, identifier 1 (16 x 16 cells at (0, 0), radius 8) and the
// screen (0, 0)-(640, 480).
class BulletTest : public gfx::test::HeadlessEngineTest {
 protected:
  void SetUp() override {
    HeadlessEngineTest::SetUp();
    resetAll();
    gfx::test::writePng("data/graphic/sheet.png", 64, 64);
    gfx::test::writePng("data/graphic/other.png", 32, 32);
    engine::clearPathCache();
    world_.install();
    mBulletManager::setTexture("sheet.png");
    mBulletManager::addBulletIdent(1, 0, 0, 16, 16, 8);
    enemy()->setScreenRect(0, 0, 640, 480);
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
  static mBulletManager* enemy() { return mBulletManager::getInstance(); }
  // A bullet of identifier 1 at ([x], [y]) moving by ([vx], [vy]), in [m] or the enemy manager.
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
  // Update, then the quads render draws.
  std::vector<hgeQuad> frame(mBulletManager* m) {
    m->update();
    return capture([m] { m->render(); });
  }
  int logCount(const std::string& text) const {
    std::string log = dir_.read("log.txt");
    int n = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }

  ScopedTempDir dir_;
  FakeWorld world_;
};

}  // namespace stg::test
