// A headless engine in a fresh folder with the demo particle files, clean shooting-game managers, a focused script and a fake score.
#pragma once

#include <filesystem>
#include <functional>
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
#include "stg/xBoss.h"
#include "stg/xPlayer.h"
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

// Every test runs in its own folder holding the demo particle files and
// sound effects, white images for the actors ("particles.png", "enemy.png",
// the ship "player.png", the shot sheet "treg.png", "boss.png") and a
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
    gfx::test::writePng("data/graphic/player.png", 96, 48);
    gfx::test::writePng("data/graphic/treg.png", 256, 256);
    gfx::test::writePng("data/graphic/boss.png", 64, 256);
    std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data/se", "data/se");
    engine::clearPathCache();
    score_.install();
    xHostAPIManager::getInstance()->addFunc("htRecord", hostRecord);
  }
  void TearDown() override {
    resetAll();
    HeadlessEngineTest::TearDown();
  }
  virtual void resetAll() {
    xPlayer::resetForTests();
    xBoss::resetForTests();
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
  // Runs [frames] more engine frames with the scripted input; [each] gets
  // the frame's number, counted from the engine's first as input events are.
  void runFrames(long frames, std::function<void(long frame)> each) {
    frameLeft() = frames;
    frameBody() = std::move(each);
    hge_->System_SetState(HGE_FRAMEFUNC, &ActorTest::frame);
    ASSERT_TRUE(hge_->System_Start());
  }

  ScopedTempDir dir_;
  FakeScore score_;

 private:
  static long& frameLeft() {
    static long left = 0;
    return left;
  }
  static std::function<void(long)>& frameBody() {
    static std::function<void(long)> body;
    return body;
  }
  static bool frame() {
    frameBody()(engine::headless::frameCount() - 1);
    return --frameLeft() <= 0;
  }
  static void hostRecord(script::ThreadIndex t, script::GroupId g) {
    vm* group = xScriptManager::getInstance()->getScriptGroup(g);
    records().push_back({group->getParamAsString(t, 4), group->getParamAsFloat(t, 3), group->getParamAsFloat(t, 2),
                         group->getParamAsFloat(t, 1), group->getParamAsFloat(t, 0)});
  }
};

}  // namespace stg::test
