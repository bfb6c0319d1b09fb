// The boss through compiled attack scripts: two attacks with life bar, transition and bonus, death, and scripts that end or remake it.
#include <gtest/gtest.h>

#include "tests/stg/actor_fixture.h"

namespace {

using stg::test::ActorTest;

int gMode = 0;

constexpr const char* kStage = R"(
host htRecord(tag, a, b, c, d);
host htTestMakeBoss();
host htTestEndBoss();
host htTestMode();
func onBossLossLife() { htRecord("lossLife", 0, 0, 0, 0); if (htTestMode() == 1) { htTestEndBoss(); } }
func onBossDie() { htRecord("bossDie", 0, 0, 0, 0); if (htTestMode() == 1) { htTestMakeBoss(); } }
)";

constexpr const char* kFirstAttack = R"(
host htRecord(tag, a, b, c, d);
func init() { htRecord("init1", 0, 0, 0, 0); }
func update() { htRecord("update1", 0, 0, 0, 0); }
)";

constexpr const char* kSecondAttack = R"(
host htRecord(tag, a, b, c, d);
func init() { htRecord("init2", 0, 0, 0, 0); }
func update() { htRecord("update2", 0, 0, 0, 0); }
func render() { htRecord("render2", 0, 0, 0, 0); }
)";

// Remakes the boss from inside its own running "update".
constexpr const char* kSelfRemaking = R"(
host htRecord(tag, a, b, c, d);
host htTestMakeBoss();
func update() { htRecord("before", 0, 0, 0, 0); htTestMakeBoss(); }
)";

void makeBoss() { xBoss::getInstance()->create("Boss", "boss.png", 0, 0, 64, 64, 2); }
void hostMakeBoss(script::ThreadIndex, script::GroupId) { makeBoss(); }
void hostEndBoss(script::ThreadIndex, script::GroupId) { xBoss::getInstance()->end(); }
void hostMode(script::ThreadIndex t, script::GroupId g) {
  xScriptManager::getInstance()->getScriptGroup(g)->returnIntFromHost(t, 0, gMode);
}

class BossTest : public ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    gMode = 0;
    xHostAPIManager* hosts = xHostAPIManager::getInstance();
    hosts->addFunc("htTestMakeBoss", hostMakeBoss);
    hosts->addFunc("htTestEndBoss", hostEndBoss);
    hosts->addFunc("htTestMode", hostMode);
    dir_.write("attack1.vkscript", kFirstAttack);
    dir_.write("attack2.vkscript", kSecondAttack);
    dir_.write("attack3.vkscript", kSelfRemaking);
    focusScript(kStage);
    xSystem::getInstance()->setState(STATE_STG);
    xPlayer::getInstance()->criticalProb = 0;
    boss_ = xBoss::getInstance();
  }
  void updates(int n) {
    for (int i = 0; i < n; ++i) boss_->update();
  }
  // A boss with a 10-life attack paying 1000 and a 20-life spell card paying 500, started.
  void startTwoAttacks() {
    makeBoss();
    boss_->addAttackScript("attack1.vkscript", 10, 0, 1000, false);
    boss_->addAttackScript("attack2.vkscript", 20, 0, 500, true);
    boss_->start();
  }
  float barWidth() const { return boss_->lifeBar->GetWidth(); }

  xBoss* boss_ = nullptr;
};

TEST_F(BossTest, TwoAttacksWithLifeBarTransitionBonusAndDeath) {
  startTwoAttacks();
  EXPECT_EQ(recorded("init1").size(), 1u);
  EXPECT_TRUE(boss_->isActive());
  updates(2);
  EXPECT_EQ(recorded("update1").size(), 2u);
  EXPECT_FLOAT_EQ(barWidth(), 430);

  boss_->hit(4);
  updates(1);
  EXPECT_FLOAT_EQ(barWidth(), 258);
  boss_->hit(6);  // exactly 0 does not end the attack
  EXPECT_EQ(boss_->attackIndex, 0);
  boss_->hit(1);
  EXPECT_EQ(score_.points, 1000);
  EXPECT_EQ(xFloatingTextManager::getInstance()->size(), 1u);
  EXPECT_EQ(recorded("lossLife").size(), 1u);
  EXPECT_EQ(boss_->attackIndex, 1);
  EXPECT_TRUE(boss_->spellCard);

  // 30 frames between the attacks: no damage, no "update".
  boss_->hit(100);
  updates(30);
  EXPECT_TRUE(recorded("init2").empty());
  EXPECT_EQ(recorded("update1").size(), 3u);
  updates(1);
  EXPECT_EQ(recorded("init2").size(), 1u);
  EXPECT_FLOAT_EQ(boss_->currentLife(), 20);
  updates(1);
  EXPECT_EQ(recorded("update2").size(), 1u);
  capture([&] { boss_->render(); });
  EXPECT_EQ(recorded("render2").size(), 1u);

  // A critical hit counts ten hits but takes only the damage.
  xPlayer::getInstance()->criticalProb = 2;
  boss_->hit(5);
  EXPECT_FLOAT_EQ(boss_->currentLife(), 15);
  EXPECT_EQ(score_.hits, 10);

  // The player lost a life during this attack: no bonus; the last attack ends the boss.
  xPlayer::getInstance()->lives = 5;
  xPlayer::getInstance()->loseLife();
  boss_->hit(100);
  EXPECT_EQ(score_.points, 1000);
  EXPECT_FALSE(boss_->isActive());
  EXPECT_FLOAT_EQ(boss_->currentLife(), 0);
  EXPECT_TRUE(capture([&] { boss_->renderOverlay(); }).empty());

  // Without a death animation "onBossDie" comes on the 61st update.
  updates(60);
  EXPECT_TRUE(recorded("bossDie").empty());
  EXPECT_TRUE(boss_->exists());
  updates(1);
  EXPECT_EQ(recorded("bossDie").size(), 1u);
  EXPECT_FALSE(boss_->exists());
}

TEST_F(BossTest, EndedByOnBossLossLifeAndRemadeByOnBossDie) {
  gMode = 1;
  startTwoAttacks();
  boss_->hit(11);
  // The handler ended the boss: no transition to the second attack.
  EXPECT_EQ(boss_->transitionCount, -1);
  EXPECT_TRUE(boss_->dying);
  boss_->setDieAnim(0, 64, 64, 64, 2);  // ten frames of dying
  updates(11);
  EXPECT_EQ(recorded("bossDie").size(), 1u);
  // The boss made inside "onBossDie" stays, fresh.
  ASSERT_TRUE(boss_->exists());
  EXPECT_FALSE(boss_->dying);
  EXPECT_FALSE(boss_->isActive());
  updates(100);
  EXPECT_TRUE(boss_->exists());
  EXPECT_EQ(recorded("bossDie").size(), 1u);
}

TEST_F(BossTest, NothingWithoutABossHugeAnimationColumnsAndSafeRemakingFromItsOwnScript) {
  boss_->start();
  boss_->end();
  boss_->moveTo(10, 300, 100);
  boss_->playAnim(xBoss::kIdleAnim, 10, 0);
  boss_->playEnergyAnim(30);
  boss_->setPos(1, 2);
  updates(2);
  EXPECT_FALSE(boss_->exists());
  EXPECT_FALSE(boss_->dying);
  float x = 7, y = 7;
  EXPECT_FALSE(boss_->position(x, y));

  makeBoss();
  boss_->start();
  EXPECT_NE(log().find("xBoss::start: no attack script added"), std::string::npos);
  EXPECT_FALSE(boss_->isActive());

  // A script asking for more cells than any sheet holds gets a column of
  // 1024, with lengths counted from it, instead of running out of memory.
  boss_->addAnim(5, 0, 0, 64, 64, 100000);
  ASSERT_NE(boss_->sprite->findAnim(5), nullptr);
  EXPECT_EQ(boss_->sprite->findAnim(5)->frames.size(), 1024u);
  EXPECT_EQ(boss_->sprite->findAnim(5)->length, 1024u * 5);
  boss_->setDieAnim(0, 0, 64, 64, 100000);
  EXPECT_EQ(boss_->dieFrames, 1024);
  xSourceManager* sources = xSourceManager::getInstance();
  std::int32_t enemy = sources->createSourceWithSpritePath("enemy.png", 0, 0, 32, 32, 300, 200, 5, 1);
  sources->setSourceAttackAnim(enemy, 0, 0, 32, 32, 100000);
  sources->setSourceAttackedAnim(enemy, 0, 0, 32, 32, 100000);
  EXPECT_EQ(sources->findSource(enemy)->sprite->findAnim(xEnemy::kAttackAnim)->frames.size(), 1024u);
  EXPECT_EQ(sources->findSource(enemy)->sprite->findAnim(xEnemy::kAttackAnim)->length, 1024u * 10);
  EXPECT_EQ(sources->findSource(enemy)->sprite->findAnim(xEnemy::kAttackedAnim)->frames.size(), 1024u);

  // An attack of life 0 shows an empty bar.
  boss_->addAttackScript("attack1.vkscript", 0, 0, 0, false);
  boss_->start();
  updates(1);
  EXPECT_FLOAT_EQ(barWidth(), 0);

  makeBoss();
  boss_->addAttackScript("attack3.vkscript", 10, 0, 0, false);
  boss_->start();
  updates(1);
  EXPECT_EQ(recorded("before").size(), 1u);
  EXPECT_TRUE(boss_->exists());
  EXPECT_FALSE(boss_->isActive());
  EXPECT_EQ(boss_->attackThread, script::kNoThread);
  updates(5);  // the old attack is gone with the old boss
  EXPECT_EQ(recorded("before").size(), 1u);
}

}  // namespace
