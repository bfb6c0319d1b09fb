// Script functions bound to bullets, called from inside the manager's walk: they shoot, kill and rebind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/stg/bullet_fixture.h"

namespace {

using script::GroupId;
using script::ThreadIndex;
using stg::test::BulletTest;

struct Call {
  float a, b, c;
};
std::vector<Call> gCalls;

vm* caller(GroupId g) { return xScriptManager::getInstance()->getScriptGroup(g); }

// htTestShoot(x, y): a bullet 50 below, falling 2 per frame.
void hostShoot(ThreadIndex t, GroupId g) {
  float x = caller(g)->getParamAsFloat(t, 1);
  float y = caller(g)->getParamAsFloat(t, 0);
  auto b = std::make_unique<mBullet>();
  b->texRect = {0, 0, 16, 16};
  b->x = x;
  b->y = y + 50;
  b->movement.vy = 2;
  gBulletManager->addBullet(std::move(b));
}
void hostKill(ThreadIndex, GroupId) { gBulletManager->killAllBullets(); }
void hostRecord(ThreadIndex t, GroupId g) {
  gCalls.push_back({caller(g)->getParamAsFloat(t, 2), caller(g)->getParamAsFloat(t, 1),
                    caller(g)->getParamAsFloat(t, 0)});
}
// Rebinds the current bullet (the one whose function runs) to a name too
// long for the string's inline buffer.
void hostRebind(ThreadIndex, GroupId) {
  gBulletManager->getCurrent()->bindFunction("recordUnderAVeryLongFunctionNameIndeed", 1, 0xFFFFFFFFu);
}

constexpr const char* kScript = R"(
host htTestShoot(x, y);
host htTestKill();
host htTestRecord(a, b, c);
host htTestRebind();
func spawn(x, y, d) { htTestRecord(x, y, d); htTestShoot(x, y); }
func kill(x, y, d) { htTestKill(); }
func rebind(x, y, d) { htTestRebind(); }
func recordUnderAVeryLongFunctionNameIndeed(x, y, d) { htTestRecord(x, y, 7); }
func tagged(x, y, d) { htTestRecord(1, 0, 0); }
)";

constexpr const char* kBossScript = R"(
host htTestRecord(a, b, c);
func tagged(x, y, d) { htTestRecord(2, x, y); }
)";

class BoundFunctionTest : public BulletTest {
 protected:
  void SetUp() override {
    BulletTest::SetUp();
    gCalls.clear();
    xHostAPIManager* hosts = xHostAPIManager::getInstance();
    hosts->addFunc("htTestShoot", hostShoot);
    hosts->addFunc("htTestKill", hostKill);
    hosts->addFunc("htTestRecord", hostRecord);
    hosts->addFunc("htTestRebind", hostRebind);
    xScriptManager* scripts = xScriptManager::getInstance();
    scripts->setDiagnosticHandler([](const script::CompileDiagnostic& d) { ADD_FAILURE() << d.message; });
    group_ = scripts->addScriptGroup();
    dir_.write("bullets.vkscript", kScript);
    dir_.write("boss.vkscript", kBossScript);
    engine::clearPathCache();
    ThreadIndex focused = scripts->loadScript(group_, "bullets.vkscript");
    ASSERT_NE(focused, script::kNoThread);
    scripts->setCurrFocusScript(group_, focused);
    boss_ = scripts->loadScript(group_, "boss.vkscript");
    ASSERT_NE(boss_, script::kNoThread);
  }
  // Three bullets along y = 100 bound to [name] every other frame, [count] times.
  std::vector<mBullet*> bound(const std::string& name, std::uint32_t count) {
    std::vector<mBullet*> out;
    for (float x : {100.0f, 200.0f, 300.0f}) {
      mBullet* b = shoot(x, 100);
      b->bindFunction(name, 1, count);
      out.push_back(b);
    }
    return out;
  }

  GroupId group_ = script::kNoGroup;
  ThreadIndex boss_ = script::kNoThread;
};

TEST_F(BoundFunctionTest, BulletsShotDuringTheWalkMoveInTheSameFrameAndBecomeCurrent) {
  std::vector<mBullet*> bullets = bound("spawn", 1);
  enemy()->update();
  EXPECT_TRUE(gCalls.empty());  // interval 1: every second frame
  enemy()->update();
  ASSERT_EQ(gCalls.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FLOAT_EQ(gCalls[i].a, 100.0f * (i + 1));
    EXPECT_FLOAT_EQ(gCalls[i].b, 102);
    EXPECT_FLOAT_EQ(gCalls[i].c, 90);  // the heading in degrees
    EXPECT_FALSE(bullets[i]->funcBound);  // count 1: that was the last call
  }
  mBulletManager* m = enemy();
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
  for (mBullet* b : bullets) EXPECT_FALSE(b->exists);
  EXPECT_FLOAT_EQ(bullets[2]->y, 101);  // killed before its turn: not moved again
  EXPECT_EQ(bullets[2]->funcCalls, 0u);
  EXPECT_EQ(capture([m] { m->render(); }).size(), 3u);  // dead this frame, still drawn
  m->update();
  EXPECT_EQ(m->bulletCount(), 0u);
  EXPECT_EQ(m->getCurrent(), nullptr);
}

TEST_F(BoundFunctionTest, AFunctionMayRebindItsOwnBullet) {
  mBullet* b = shoot(10, 20, 0, 0);
  b->bindFunction("rebind", 1, 0xFFFFFFFFu);
  for (int i = 0; i < 4; ++i) enemy()->update();
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_FLOAT_EQ(gCalls[0].a, 10);
  EXPECT_FLOAT_EQ(gCalls[0].c, 7);
  // Interval 0 is never called.
  b->bindFunction("recordUnderAVeryLongFunctionNameIndeed", 0, 5);
  for (int i = 0; i < 6; ++i) enemy()->update();
  EXPECT_EQ(gCalls.size(), 1u);
}

TEST_F(BoundFunctionTest, WhileTheBossFightsTheFunctionRunsInItsAttackScript) {
  mBullet* b = shoot(10, 20, 0, 0);
  b->bindFunction("tagged", 1, 0xFFFFFFFFu);
  stg::bulletTargets().bossAttackScript = [this](GroupId& g, ThreadIndex& t) {
    g = group_;
    t = boss_;
    return true;
  };
  world_.bossFighting = true;
  enemy()->update();
  enemy()->update();
  world_.bossFighting = false;  // dying or gone: the focused script again
  enemy()->update();
  enemy()->update();
  ASSERT_EQ(gCalls.size(), 2u);
  EXPECT_FLOAT_EQ(gCalls[0].a, 2);
  EXPECT_FLOAT_EQ(gCalls[0].b, 10);
  EXPECT_FLOAT_EQ(gCalls[0].c, 20);
  EXPECT_FLOAT_EQ(gCalls[1].a, 1);
}

}  // namespace
