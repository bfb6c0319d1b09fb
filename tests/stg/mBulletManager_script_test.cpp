// Script functions bound to bullets, called from inside the manager's walk: they shoot, kill and rebind.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "tests/engine/child_fixture.h"
#include "tests/stg/bullet_fixture.h"

namespace {

using script::GroupId;
using script::ThreadIndex;

std::vector<std::vector<float>> gCalls;

float arg(ThreadIndex t, GroupId g, int position) {
  return xScriptManager::getInstance()->getScriptGroup(g)->getParamAsFloat(t, position);
}
// htTestShoot(x, y): a bullet 50 below, falling 2 a frame.
void hostShoot(ThreadIndex t, GroupId g) {
  auto b = std::make_unique<mBullet>();
  b->texRect = {0, 0, 16, 16};
  b->x = arg(t, g, 1);
  b->y = arg(t, g, 0) + 50;
  b->movement.vy = 2;
  gBulletManager->addBullet(std::move(b));
}
// htTestFork(x, y): a bullet standing at (x, y) that calls "fork" every other frame.
void hostFork(ThreadIndex t, GroupId g) {
  auto b = std::make_unique<mBullet>();
  b->texRect = {0, 0, 16, 16};
  b->x = arg(t, g, 1);
  b->y = arg(t, g, 0);
  if (mBullet* added = gBulletManager->addBullet(std::move(b))) added->bindFunction("fork", 1, 0xFFFFFFFFu);
}
// htTestNudge(): the current bullet, if any, moves right.
void hostNudge(ThreadIndex, GroupId) {
  if (mBullet* b = gBulletManager->getCurrent()) b->movement.vx = 1;
}
void hostKill(ThreadIndex, GroupId) { gBulletManager->killAllBullets(); }
void hostRecord(ThreadIndex t, GroupId g) { gCalls.push_back({arg(t, g, 2), arg(t, g, 1), arg(t, g, 0)}); }
// Rebinds the bullet whose function runs to a name too long for a string's inline buffer.
void hostRebind(ThreadIndex, GroupId) {
  gBulletManager->getCurrent()->bindFunction("recordUnderAVeryLongFunctionNameIndeed", 1, 0xFFFFFFFFu);
}

constexpr const char* kScript = R"(
host htTestShoot(x, y);
host htTestKill();
host htTestRecord(a, b, c);
host htTestRebind();
host htTestFork(x, y);
host htTestNudge();
func fork(x, y, d) { htTestFork(x, y); htTestNudge(); htTestFork(x, y); htTestNudge(); }
func spawn(x, y, d) { htTestRecord(x, y, d); htTestShoot(x, y); }
func kill(x, y, d) { htTestKill(); }
func rebind(x, y, d) { htTestRebind(); }
func recordUnderAVeryLongFunctionNameIndeed(x, y, d) { htTestRecord(x, y, 7); }
)";

class BoundFunctionTest : public stg::test::BulletTest {
 protected:
  void SetUp() override {
    BulletTest::SetUp();
    gCalls.clear();
    xHostAPIManager* hosts = xHostAPIManager::getInstance();
    hosts->addFunc("htTestShoot", hostShoot);
    hosts->addFunc("htTestKill", hostKill);
    hosts->addFunc("htTestRecord", hostRecord);
    hosts->addFunc("htTestRebind", hostRebind);
    hosts->addFunc("htTestFork", hostFork);
    hosts->addFunc("htTestNudge", hostNudge);
    xScriptManager* scripts = xScriptManager::getInstance();
    scripts->setDiagnosticHandler([](const script::CompileDiagnostic& d) { ADD_FAILURE() << d.message; });
    group_ = scripts->addScriptGroup();
    dir_.write("bullets.vkscript", kScript);
    dir_.write("boss.vkscript", "host htTestRecord(a, b, c);\nfunc spawn(x, y, d) { htTestRecord(2, x, y); }\n");
    engine::clearPathCache();
    scripts->setCurrFocusScript(group_, scripts->loadScript(group_, "bullets.vkscript"));
    boss_ = scripts->loadScript(group_, "boss.vkscript");
    ASSERT_NE(boss_, script::kNoThread);
  }
  // Bullets along y = 100 bound to [name] every other frame, [count] times.
  std::vector<mBullet*> bound(const char* name, std::uint32_t count, int bullets = 3) {
    std::vector<mBullet*> out;
    for (int i = 1; i <= bullets; ++i) {
      out.push_back(shoot(100.0f * i, 100));
      out.back()->bindFunction(name, 1, count);
    }
    return out;
  }

  GroupId group_ = script::kNoGroup;
  ThreadIndex boss_ = script::kNoThread;
};

TEST_F(BoundFunctionTest, BulletsShotDuringTheWalkMoveInTheSameFrameAndBecomeCurrent) {
  std::vector<mBullet*> bullets = bound("spawn", 1);
  mBulletManager* m = enemy();
  m->update();
  EXPECT_TRUE(gCalls.empty());  // interval 1: every second frame
  m->update();
  EXPECT_EQ(gCalls, (std::vector<std::vector<float>>{{100, 102, 90}, {200, 102, 90}, {300, 102, 90}}));
  EXPECT_FALSE(bullets[0]->funcBound);  // count 1: that was the last call
  ASSERT_EQ(m->bulletCount(), 6u);
  for (std::size_t i = 3; i < 6; ++i) EXPECT_FLOAT_EQ(m->bulletAt(i)->y, 154);  // moved already
  EXPECT_EQ(m->getCurrent(), m->bulletAt(5));
  for (int i = 0; i < 4; ++i) m->update();
  EXPECT_EQ(gCalls.size(), 3u);
}

TEST_F(BoundFunctionTest, KillingEveryBulletFromABoundFunctionWaitsForTheNextUpdateToDelete) {
  std::vector<mBullet*> bullets = bound("kill", 0xFFFFFFFFu);
  mBulletManager* m = enemy();
  m->update();
  m->update();
  ASSERT_EQ(m->bulletCount(), 3u);
  EXPECT_FALSE(bullets[2]->exists);
  EXPECT_FLOAT_EQ(bullets[2]->y, 101);  // killed before its turn: not moved again
  EXPECT_EQ(bullets[2]->funcCalls, 0u);
  EXPECT_EQ(capture([m] { m->render(); }).size(), 3u);  // dead this frame, still drawn
  m->update();
  EXPECT_EQ(m->bulletCount(), 0u);
  EXPECT_EQ(m->getCurrent(), nullptr);
}

TEST_F(BoundFunctionTest, AFunctionMayRebindItsOwnBulletAndTheFightingBossRunsItInstead) {
  mBullet* b = bound("rebind", 0xFFFFFFFFu, 1)[0];
  for (int i = 0; i < 4; ++i) enemy()->update();
  EXPECT_EQ(gCalls, (std::vector<std::vector<float>>{{100, 104, 7}}));
  b->bindFunction("spawn", 0, 5);  // interval 0: never called
  for (int i = 0; i < 4; ++i) enemy()->update();
  EXPECT_EQ(gCalls.size(), 1u);

  stg::bulletTargets().bossAttackScript = [this](GroupId& g, ThreadIndex& t) { return g = group_, t = boss_, true; };
  world_.bossFighting = true;
  b->bindFunction("spawn", 1, 1);
  enemy()->update();
  enemy()->update();
  EXPECT_EQ(gCalls.back(), (std::vector<float>{2, 100, 110}));
  EXPECT_EQ(enemy()->bulletCount(), 1u);  // the focused script's spawn did not run
}

TEST_F(BoundFunctionTest, BulletsThatShootThemselvesAreHeldAtTheCapWithOneLogLine) {
  constexpr std::size_t kCap = mBulletManager::kMaxEnemyBullets;
  constexpr long kMaxGrowth = 512L << 20;  // the capped bullets take under 100 MB; uncapped, gigabytes
  ChildResult child = runChild([] {
    mBulletManager* m = enemy();
    long before = residentBytes();
    shoot(100, 100, 0, 0)->bindFunction("fork", 1, 0xFFFFFFFFu);
    // About 15 frames to the cap, then two whose shots are all refused.
    for (int frame = 1, full = 0; frame <= 40 && full < 3; ++frame) {
      m->update();
      if (m->bulletCount() > kCap) return std::fprintf(stderr, "%zu bullets in frame %d\n", m->bulletCount(), frame), 2;
      if (m->bulletCount() == kCap) ++full;
    }
    long grown = residentBytes() - before;
    std::fprintf(stderr, "%zu bullets, %ld MiB\n", m->bulletCount(), grown >> 20);
    if (m->bulletCount() != kCap) return 3;
    // A refused shot leaves no current bullet: the nudge meant for it does
    // not move the first bullet, whose function shot it.
    if (m->bulletAt(0)->movement.vx != 0) return 4;
    if (shoot(100, 100) != nullptr || m->getCurrent() != nullptr) return 5;
    return grown > kMaxGrowth ? 6 : 0;
  });
  EXPECT_TRUE(ranCleanly(child));
  const std::string capLine =
      "mBulletManager::addBullet: " + std::to_string(kCap) + " bullets live, no more are added";
  EXPECT_EQ(logCount(capLine), 1) << "one line while shots are refused";
}

}  // namespace
