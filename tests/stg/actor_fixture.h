// A headless engine in a fresh folder with the demo particle files, clean shooting-game managers, a focused script and a fake score.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "core/xInputManager.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "engine/headless/headless.h"
#include "engine/platform.h"
#include "gfx/hgeParticleSystem.h"
#include "gfx/xFloatingText.h"
#include "gfx/xSpriteManager.h"
#include "script/manager/xScriptManager.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/bullet_targets.h"
#include "stg/mBulletManager.h"
#include "stg/score_link.h"
#include "stg/xSourceManager.h"
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/temp_dir.h"

namespace stg::test {

// One call of the scripts' "htRecord(tag, a, b, c, d)".
struct Record {
  std::string tag;
  float a, b, c, d;
};

inline std::vector<Record>& records() {
  static std::vector<Record> list;
  return list;
}

// The score as the score manager would keep it.
struct FakeScore {
  int hits = 0;
  int points = 0;
  int multiplier = 1;
  int comboRestarts = 0;

  void install() {
    ScoreLink& link = scoreLink();
    link.addHit = [this](int n) { hits += n; };
    link.hitMultiplier = [this] { return multiplier; };
    link.addScore = [this](int n) { points += n; };
    link.restartCombo = [this] { ++comboRestarts; };
  }
};

// Every test runs in its own folder holding the demo particle files, white
// images "particles.png" (128 x 128) and "enemy.png" (64 x 64), and a
// config.ini of its own.
class ActorTest : public gfx::test::HeadlessEngineTest {
 protected:
  void SetUp() override {
    HeadlessEngineTest::SetUp();
    hge_->System_SetState(HGE_INIFILE, "config.ini");
    resetAll();
    std::filesystem::create_directories("data/particle");
    for (const auto& file : std::filesystem::directory_iterator(VELMORA_SOURCE_DIR "/data/particle")) {
      std::filesystem::copy_file(file.path(), "data/particle" / file.path().filename());
    }
    gfx::test::writePng("data/graphic/particles.png", 128, 128);
    gfx::test::writePng("data/graphic/enemy.png", 64, 64);
    engine::clearPathCache();
    score_.install();
    xHostAPIManager::getInstance()->addFunc("htRecord", hostRecord);
  }
  void TearDown() override {
    resetAll();
    HeadlessEngineTest::TearDown();
  }
  virtual void resetAll() {
    xSourceManager::resetForTests();
    mBulletManager::resetForTests();
    xSpriteManager::resetForTests();
    xFloatingTextManager::resetForTests();
    xSoundManager::destroy();
    xInputManager::resetForTests();
    xSystem::resetForTests();
    xScriptManager::resetForTests();
    xHostAPIManager::resetForTests();
    hgeParticleSystem::forgetCachedFiles();
    xLogFile::resetForTests();
    engine::headless::clearInput();
    bulletTargets() = BulletTargets{};
    scoreLink() = ScoreLink{};
    records().clear();
  }
  // Compiles [source] as "stage.vkscript" in a new group and focuses it.
  void focusScript(const std::string& source) {
    xScriptManager* scripts = xScriptManager::getInstance();
    scripts->setDiagnosticHandler([](const script::CompileDiagnostic& d) { ADD_FAILURE() << d.message; });
    script::GroupId group = scripts->addScriptGroup();
    dir_.write("stage.vkscript", source);
    engine::clearPathCache();
    script::ThreadIndex thread = scripts->loadScript(group, "stage.vkscript");
    ASSERT_NE(thread, script::kNoThread);
    scripts->setCurrFocusScript(group, thread);
  }
  // The records tagged [tag], in order.
  static std::vector<Record> recorded(const std::string& tag) {
    std::vector<Record> out;
    for (const Record& r : records()) {
      if (r.tag == tag) out.push_back(r);
    }
    return out;
  }
  std::string log() const { return dir_.read("log.txt"); }

  ScopedTempDir dir_;
  FakeScore score_;

 private:
  static void hostRecord(script::ThreadIndex t, script::GroupId g) {
    vm* group = xScriptManager::getInstance()->getScriptGroup(g);
    records().push_back({group->getParamAsString(t, 4), group->getParamAsFloat(t, 3), group->getParamAsFloat(t, 2),
                         group->getParamAsFloat(t, 1), group->getParamAsFloat(t, 0)});
  }
};

}  // namespace stg::test
