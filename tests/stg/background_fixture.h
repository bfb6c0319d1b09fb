// A headless engine in a fresh working folder with the background's images and configuration.
#pragma once

#include <string>

#include "base/xLogFile.h"
#include "core/xSystem.h"
#include "engine/platform.h"
#include "stg/xBackgroundManager.h"
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/temp_dir.h"

namespace stg::test {

// Each test runs in its own folder holding [config] as config.ini and
// plain white images: "bg.png" 450 x 1200, "fog.png" 750 x 1200,
// "objects.png" 256 x 256, "sc.png" 256 x 64, "cover.png" 100 x 50.
class BackgroundTest : public gfx::test::HeadlessEngineTest {
 protected:
  void SetUp() override {
    HeadlessEngineTest::SetUp();
    dir_.write("config.ini", config());
    hge_->System_SetState(HGE_INIFILE, "config.ini");
    gfx::test::writePng("data/graphic/bg.png", 450, 1200);
    gfx::test::writePng("data/graphic/fog.png", 750, 1200);
    gfx::test::writePng("data/graphic/objects.png", 256, 256);
    gfx::test::writePng("data/graphic/sc.png", 256, 64);
    gfx::test::writePng("data/graphic/cover.png", 100, 50);
    engine::clearPathCache();
  }
  void TearDown() override {
    xBackgroundManager::resetForTests();
    xSystem::resetForTests();
    xLogFile::resetForTests();
    HeadlessEngineTest::TearDown();
  }
  virtual std::string config() const { return "[STG]\nScreenX=100\nScreenY=20\n"; }

  static xBackgroundManager* background() { return xBackgroundManager::getInstance(); }
  // The state the background reads; a pause keeps [previous].
  static void enterState(GameState state, GameState previous = STATE_TITLE) {
    xSystem::getInstance()->setState(state);
    xSystem::getInstance()->previousState = previous;
  }

  ScopedTempDir dir_;
};

}  // namespace stg::test
