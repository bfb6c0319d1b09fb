// Enemies driven by a compiled stage script: waiting, bound and die functions, hits, death, removal during the walk.
#include <gtest/gtest.h>

#include "tests/stg/actor_fixture.h"

namespace {

using stg::test::ActorTest;

constexpr const char* kStage = R"(
host htRecord(tag, a, b, c, d);
host htTestRemove(id);
host htTestSpawn();
host htTestClear();
host htTestFork();
func tick(id, x, y, n) { htRecord("tick", id, x, y, n); }
func died(x, y) { htRecord("died", x, y, 0, 0); }
func removeSelf(id, x, y, n) { htRecord("remove", id, 0, 0, 0); htTestRemove(id); htTestSpawn(); }
func dieAndClear(x, y) { htTestClear(); htTestSpawn(); htRecord("cleared", x, y, 0, 0); }
func fork(id, x, y, n) { htTestFork(); htTestFork(); }
func one(a) { htRecord("one", a, 0, 0, 0); }
)";

void hostRemove(script::ThreadIndex t, script::GroupId g) {
  xSourceManager::getInstance()->removeSource(xScriptManager::getInstance()->getScriptGroup(g)->getParamAsInt(t, 0));
}
void hostSpawn(script::ThreadIndex, script::GroupId) {
  xSourceManager::getInstance()->createSourceWithSpritePath("enemy.png", 0, 0, 32, 32, 200, 100, 5, 1);
}
void hostClear(script::ThreadIndex, script::GroupId) { xSourceManager::getInstance()->clear(); }
// An enemy that calls "fork" every other frame, which makes two more of it.
void hostFork(script::ThreadIndex, script::GroupId) {
  xSourceManager* sources = xSourceManager::getInstance();
  std::int32_t id = sources->createSourceWithSpritePath("enemy.png", 0, 0, 32, 32, 200, 100, 5, 1);
  sources->bindScriptFuncToSource(id, "fork", 1, -1);
}

class EnemyTest : public ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    xHostAPIManager* hosts = xHostAPIManager::getInstance();
    hosts->addFunc("htTestRemove", hostRemove);
    hosts->addFunc("htTestSpawn", hostSpawn);
    hosts->addFunc("htTestClear", hostClear);
    hosts->addFunc("htTestFork", hostFork);
    focusScript(kStage);
    sources_ = xSourceManager::getInstance();
  }
  std::int32_t spawn(float x, float y, int life, int delay) {
    return sources_->createSourceWithSpritePath("enemy.png", 0, 0, 32, 32, x, y, life, delay);
  }
  void updates(int n) {
    for (int i = 0; i < n; ++i) sources_->update();
  }
  void chance(float p) {
    stg::bulletTargets().criticalChance = [p] { return p; };
  }
  xSourceManager* sources_ = nullptr;
};

TEST_F(EnemyTest, WaitsMovesCallsItsFunctionAndDiesFromShotsWithItsEffects) {
  std::int32_t id = spawn(300, 200, 3, 30);
  std::int32_t never = spawn(250, 200, 1, 0);  // a delay of 0 never ends
  sources_->bindScriptFuncToSource(id, "tick", 5, 2);
  sources_->setSourceSpeed(id, 1, 0);
  score_.multiplier = 2;

  updates(31);  // the 31st update only ends the wait
  EXPECT_FLOAT_EQ(sources_->getSourceX(id), 300);
  EXPECT_FALSE(sources_->testPlayerBulletHit(250, 200, 1));  // the waiting enemy is not hit
  updates(30);
  EXPECT_FLOAT_EQ(sources_->getSourceX(id), 330);
  // Every 6th update from the 32nd, count + 1 times, with the sprite's place
  // (one frame behind) and interval x calls made.
  std::vector<stg::test::Record> ticks = recorded("tick");
  ASSERT_EQ(ticks.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ticks[i].a, float(id));
    EXPECT_FLOAT_EQ(ticks[i].b, 305.0f + 6 * i);
    EXPECT_FLOAT_EQ(ticks[i].c, 200);
    EXPECT_FLOAT_EQ(ticks[i].d, 5.0f * i);
  }

  chance(0);
  sources_->bindDieFuncToSource(id, "died");
  EXPECT_FALSE(sources_->testPlayerBulletHit(330, 199, 1));  // the enemy lies below the shot
  EXPECT_FALSE(sources_->testPlayerBulletHit(330, -1, 1));
  EXPECT_TRUE(sources_->testPlayerBulletHit(346, 200, 1));  // edges included
  EXPECT_EQ(score_.hits, 1);
  chance(2);  // always critical: five times the damage, ten hits
  EXPECT_TRUE(sources_->testPlayerBulletHit(330, 216, 1));
  EXPECT_EQ(score_.hits, 11);
  EXPECT_EQ(sources_->killed, 1);
  EXPECT_EQ(score_.points, 2 + 20 + 100);
  EXPECT_EQ(xFloatingTextManager::getInstance()->size(), 1u);
  ASSERT_EQ(recorded("died").size(), 1u);
  EXPECT_FLOAT_EQ(recorded("died")[0].a, 330);
  EXPECT_FLOAT_EQ(recorded("died")[0].b, 200);
  EXPECT_FALSE(sources_->testPlayerBulletHit(330, 216, 1));  // the dead take no more hits

  xEnemy* dead = sources_->findSource(id);
  ASSERT_NE(dead, nullptr);
  capture([&] { sources_->render(); });
  EXPECT_GT(dead->dieParticles->GetParticlesAlive(), 0);
  EXPECT_GT(dead->criticalParticles->GetParticlesAlive(), 0);
  updates(60);
  EXPECT_NE(sources_->findSource(id), nullptr);
  updates(1);
  EXPECT_EQ(sources_->findSource(id), nullptr);
  EXPECT_FLOAT_EQ(sources_->getSourceX(id), 400);
  EXPECT_FLOAT_EQ(sources_->getSourceY(id), 300);
  EXPECT_EQ(sources_->killed, 1);
  EXPECT_NE(sources_->findSource(never), nullptr);
  EXPECT_TRUE(capture([&] { sources_->render(); }).empty());  // the waiting one is never drawn
  EXPECT_FLOAT_EQ(sources_->getDefeatRate(), 0.5f);
}

TEST_F(EnemyTest, LifeTimeEndsTheEnemyUnscoredAndUnshootable) {
  chance(0);
  std::int32_t id = spawn(300, 200, 5, 1);
  sources_->setSourceLifeFrame(id, 10);
  updates(2 + 11);
  ASSERT_TRUE(sources_->findSource(id)->dying());
  EXPECT_FALSE(sources_->testPlayerBulletHit(300, 200, 100));
  EXPECT_EQ(score_.points, 0);
  updates(61);
  EXPECT_EQ(sources_->findSource(id), nullptr);
  EXPECT_EQ(sources_->killed, 0);
  EXPECT_EQ(sources_->created, 1);
}

TEST_F(EnemyTest, MovesOverOneFrameOrFewerPlaceAtOnceAndLeavingTheFieldDeletes) {
  std::int32_t id = spawn(300, 200, 5, 1);
  updates(2);
  for (int frames : {1, 0, -5}) {
    sources_->moveSourceTo(id, 320.0f + frames, 240, 0, frames);
    EXPECT_FLOAT_EQ(sources_->getSourceX(id), 320.0f + frames);
    EXPECT_FLOAT_EQ(sources_->getSourceY(id), 240);
  }
  sources_->moveSourceTo(id, 400, 240, 0, 10);
  updates(12);
  EXPECT_FLOAT_EQ(sources_->getSourceX(id), 400);
  sources_->setSourceSpeed(id, 0, 50);
  updates(10);
  EXPECT_EQ(sources_->findSource(id), nullptr);  // below 650: gone, not killed
  EXPECT_EQ(sources_->killed, 0);
}

TEST_F(EnemyTest, EnemiesRemovedFromInsideTheirOwnFunctionsGoAfterTheWalk) {
  std::int32_t a = spawn(300, 200, 1, 1);
  std::int32_t b = spawn(350, 200, 1, 1);
  sources_->bindScriptFuncToSource(a, "removeSelf", 1, 0);
  updates(4);  // a removes itself and spawns a new enemy from its function
  EXPECT_EQ(sources_->findSource(a), nullptr);
  EXPECT_NE(sources_->findSource(b), nullptr);
  EXPECT_EQ(sources_->sourceCount(), 2u);
  EXPECT_EQ(recorded("remove").size(), 1u);

  // A kill whose die function clears every enemy, itself included, and spawns one.
  chance(0);
  sources_->bindDieFuncToSource(b, "dieAndClear");
  EXPECT_TRUE(sources_->testPlayerBulletHit(350, 200, 1));
  EXPECT_EQ(recorded("cleared").size(), 1u);
  EXPECT_EQ(sources_->findSource(b), nullptr);
  EXPECT_EQ(sources_->sourceCount(), 1u);
  updates(3);
  capture([&] { sources_->render(); });
  EXPECT_EQ(sources_->sourceCount(), 1u);
}

TEST_F(EnemyTest, BoundFunctionsThatDoNotFitTheArgumentsLeaveTheStackAsItWas) {
  std::int32_t a = spawn(300, 200, 1, 1);
  std::int32_t b = spawn(350, 200, 1, 1);
  std::int32_t c = spawn(400, 200, 1, 1);
  xScriptManager* scripts = xScriptManager::getInstance();
  vm_script* focused = scripts->getScriptGroup(scripts->focusedGroup())->getThread(scripts->focusedThread());
  int top = focused->top();
  sources_->bindScriptFuncToSource(a, "noSuchFunction", 1, 0xFFFFFFFF);
  sources_->bindScriptFuncToSource(b, "one", 1, 0xFFFFFFFF);
  sources_->bindScriptFuncToSource(c, "tick", 1, 0xFFFFFFFF);
  updates(2 + 2 * 200);
  EXPECT_EQ(focused->top(), top);
  // The unknown and the one-parameter functions did not shift the arguments of the others.
  ASSERT_EQ(recorded("one").size(), 200u);
  std::vector<stg::test::Record> ticks = recorded("tick");
  ASSERT_EQ(ticks.size(), 200u);
  EXPECT_EQ(ticks.back().a, float(c));
  EXPECT_FLOAT_EQ(ticks.back().b, 400);
  EXPECT_FLOAT_EQ(ticks.back().d, 199);
}

TEST_F(EnemyTest, EnemiesThatMakeEnemiesAreHeldAtTheCapWithOneLogLine) {
  hostFork(script::kNoThread, script::kNoGroup);
  for (int frame = 1; frame <= 40; ++frame) {
    updates(1);
    ASSERT_LE(sources_->sources.size(), xSourceManager::kMaxSources) << "frame " << frame;
  }
  EXPECT_EQ(sources_->sourceCount(), xSourceManager::kMaxSources);
  EXPECT_EQ(sources_->created, static_cast<std::int32_t>(xSourceManager::kMaxSources)) << "refused ones uncounted";
  EXPECT_EQ(spawn(300, 200, 1, 0), xSourceManager::kNoSource);
  const std::string capLine = "xSourceManager::createSource: " + std::to_string(xSourceManager::kMaxSources) +
                              " enemies live, no more are created";
  std::string text = log();
  EXPECT_NE(text.find(capLine), std::string::npos);
  EXPECT_EQ(text.find(capLine), text.rfind(capLine)) << "one line while creations are refused";
  sources_->clear();
  EXPECT_NE(spawn(300, 200, 1, 0), xSourceManager::kNoSource);
}

}  // namespace
