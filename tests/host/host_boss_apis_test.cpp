// The boss host functions called from a compiled script: creation, animations, attacks, decoration, moves, end, bad groups.
#include <gtest/gtest.h>

#include <string>

#include "host/host_registration.h"
#include "tests/stg/actor_fixture.h"

namespace {

using script::GroupId;

constexpr const char* kDeclarations = R"(
host htGetBossX(); host htGetBossY(); host htCreateBoss(n, s, f, x, y, w, h, k);
host htSetBossMovementRect(x1, y1, w1, h1, k1, x2, y2, w2, h2, k2); host htAddBossAnim(a, x, y, w, h, k);
host htPlayBossAnimEx(a, d, l); host htPlayBossAnim(a, d); host htAddBossAttackScript(f, l, s, b, c);
host htBossStart(); host htPlayBossAnimWithDuration(a, d); host htPlayBossEnergyAnim(k);
host htSetBossMagicCircleColor(r, g, b, a); host htDisplayBossTitle(f, k); host htEnableBossMagicCircle(f, on);
host htSetBossMagicRotationSpeed(s); host htSetBossDieAnim(x, y, w, h, k); host htMoveBossTo(x, y, k);
host htSetBossPos(x, y); host htGetBossLife(); host htSetBossImmortal(on); host htSetBossNameboxColor(r, g, b, a);
host htEndBoss();
)";

constexpr const char* kScript = R"(
func where() { return htGetBossX() * 1000 + htGetBossY(); }
func life() { return htGetBossLife(); }
func make() {
  htCreateBoss("Nue", 99, "boss.png", 0, 0, 64, 64, 2);
  htSetBossMovementRect(0, 64, 64, 64, 2, 0, 192, 64, 64, 1); htAddBossAnim(5, 0, 0, 64, 32, 3);
  htSetBossDieAnim(0, 0, 64, 64, 2); htAddBossAttackScript("attack.vkscript", 50, 99, 300, 1);
}
func go() { htBossStart(); }
func place() { htSetBossPos(300, 150); }
func moveRight() { htMoveBossTo(500, 150, 10); }
func anim() { htPlayBossAnim(5, 12); }
func animDuration() { htPlayBossAnimWithDuration(5, 12); }
func animLooped() { htPlayBossAnimEx(5, 24, 1); }
func decorate() {
  htPlayBossEnergyAnim(30); htSetBossMagicCircleColor(1, 0, 0, 0.5); htDisplayBossTitle("boss.png", 20);
  htEnableBossMagicCircle("boss.png", 1); htSetBossMagicRotationSpeed(0.5); htSetBossNameboxColor(0, 1, 0, 1);
  htSetBossImmortal(1);
}
func finish() { htEndBoss(); }
)";

class HostBossTest : public stg::test::ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    RegisterHostBossAPIs();
    dir_.write("attack.vkscript", "func init() { }\nfunc update() { }\n");
    focusScript(std::string(kDeclarations) + kScript);
    xSystem::getInstance()->setState(STATE_STG);
    boss_ = xBoss::getInstance();
  }
  vm_value call(const char* func) {
    xScriptManager* scripts = xScriptManager::getInstance();
    EXPECT_TRUE(scripts->callFunc(func, scripts->focusedGroup(), scripts->focusedThread())) << func;
    return scripts->getScriptGroup(scripts->focusedGroup())->getThread(scripts->focusedThread())->retval();
  }
  const xAnimation* playing() const {
    const xSpriteCharacWithAnim& s = *boss_->sprite;
    return s.current == xSpriteCharacWithAnim::kNone ? nullptr : &s.anims[static_cast<std::size_t>(s.current)];
  }
  xBoss* boss_ = nullptr;
};

TEST_F(HostBossTest, AScriptMakesDecoratesStartsMovesAndEndsTheBoss) {
  EXPECT_FLOAT_EQ(call("where").floatValue, 0);
  call("anim");  // nothing to animate yet
  call("make");
  ASSERT_TRUE(boss_->exists());
  EXPECT_EQ(boss_->name, "Nue");
  ASSERT_EQ(boss_->attacks.size(), 1u);
  EXPECT_EQ(boss_->attacks[0].bonus, 300);
  EXPECT_TRUE(boss_->attacks[0].spellCard);
  EXPECT_EQ(boss_->dieFrames, 2);
  ASSERT_NE(boss_->sprite->findAnim(5), nullptr);
  EXPECT_EQ(boss_->sprite->findAnim(5)->frames.size(), 3u);
  EXPECT_FLOAT_EQ(boss_->sprite->findAnim(5)->frames[2].y, 64);
  EXPECT_FLOAT_EQ(call("life").floatValue, 0);  // not started

  call("go");
  EXPECT_FLOAT_EQ(call("life").floatValue, 50);
  call("place");
  EXPECT_FLOAT_EQ(call("where").floatValue, 300150);
  call("moveRight");
  EXPECT_EQ(playing()->id, xBoss::kRightAnim);
  EXPECT_EQ(boss_->moveFrames, 10);

  // The two names of the one-shot animation do the same.
  for (const char* f : {"anim", "animDuration"}) {
    boss_->moveCount = 7;
    call(f);
    EXPECT_EQ(playing()->id, 5) << f;
    EXPECT_FALSE(boss_->sprite->loop) << f;
    EXPECT_EQ(boss_->moveFrames, 12) << f;
    EXPECT_EQ(boss_->moveCount, 0) << f;
  }
  call("animLooped");
  EXPECT_TRUE(boss_->sprite->loop);
  EXPECT_EQ(boss_->moveFrames, 12);

  call("decorate");
  EXPECT_TRUE(boss_->magicCircleOn);
  EXPECT_FLOAT_EQ(boss_->magicCircleSprite->rotationSpeed, 0.5f);
  EXPECT_FLOAT_EQ(boss_->magicCircleColor.a, 0.5f);
  EXPECT_EQ(boss_->titleFrames, 20);
  EXPECT_EQ(boss_->energyCount, 0);
  EXPECT_FLOAT_EQ(boss_->nameBox->topColor.r, 0);
  boss_->hit(100);  // immortal
  EXPECT_FLOAT_EQ(call("life").floatValue, 50);

  call("finish");
  EXPECT_TRUE(boss_->dying);
  EXPECT_FLOAT_EQ(call("life").floatValue, 0);
}

TEST_F(HostBossTest, ABadGroupIsSilentAndChangesNothingButEndingTheBoss) {
  call("make");
  call("go");
  xScriptManager* scripts = xScriptManager::getInstance();
  std::string declarations = kDeclarations;
  int names = 0;
  for (std::size_t at = declarations.find("host "); at != std::string::npos; at = declarations.find("host ", at + 1)) {
    std::string name = declarations.substr(at + 5, declarations.find('(', at) - at - 5);
    ++names;
    if (name == "htEndBoss") continue;
    EXPECT_EQ(xHostAPIManager::getInstance()->callFunc(name, GroupId{9}, scripts->focusedThread()), 1) << name;
  }
  EXPECT_EQ(names, 22);
  EXPECT_EQ(boss_->name, "Nue");
  EXPECT_EQ(boss_->attacks.size(), 1u);
  EXPECT_FALSE(boss_->immortal || boss_->magicCircleOn);
  EXPECT_EQ(boss_->titleFrames, -1);
  EXPECT_EQ(log().find("Error loading script manager"), std::string::npos);
  xHostAPIManager::getInstance()->callFunc("htEndBoss", GroupId{9}, scripts->focusedThread());
  EXPECT_TRUE(boss_->dying);
}

}  // namespace
