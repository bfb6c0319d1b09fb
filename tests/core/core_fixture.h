// A headless engine in a temporary working directory, with every core manager reset around each test.
#pragma once

#include <gtest/gtest.h>

#include "base/xLogFile.h"
#include "core/xInputManager.h"
#include "core/xMenu.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "core/xTimer.h"
#include "engine/headless/headless.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "gfx/xFontManager.h"
#include "gfx/xTextBox.h"
#include "script/manager/xScriptManager.h"
#include "tests/support/temp_dir.h"

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::options() = engine::Options{};
    engine::options().backend = engine::Backend::Headless;
    engine::headless::clearInput();
    resetManagers();
  }
  void TearDown() override {
    resetManagers();
    if (hge_) {
      hge_->System_Shutdown();
      hge_->Release();
    }
    engine::headless::clearInput();
    engine::options() = engine::Options{};
  }
  void startEngine() {
    hge_ = hgeCreate(HGE_VERSION);
    ASSERT_TRUE(hge_->System_Initiate());
    hge_->System_SetState(HGE_INIFILE, "config.ini");
  }
  // Runs [frames] engine frames (scripted input applies) calling [frameFunc] in each.
  void runFrames(long frames, hgeCallback frameFunc) {
    if (!hge_) startEngine();
    framesLeft() = frames;
    userFrame() = frameFunc;
    hge_->System_SetState(HGE_FRAMEFUNC, &CoreTest::frame);
    ASSERT_TRUE(hge_->System_Start());
  }
  static void resetManagers();

  ScopedTempDir dir_;
  HGE* hge_ = nullptr;

 private:
  static long& framesLeft() {
    static long left = 0;
    return left;
  }
  static hgeCallback& userFrame() {
    static hgeCallback f = nullptr;
    return f;
  }
  // Ends the loop itself: --frames is read only when the engine is first made.
  static bool frame() {
    userFrame()();
    return --framesLeft() <= 0;
  }
};
inline void CoreTest::resetManagers() {
  xSoundManager::destroy();
  xMenuManager::resetForTests();
  xTextBoxManager::resetForTests();
  xFontManager::resetForTests();
  xInputManager::resetForTests();
  xTimerManager::resetForTests();
  xSystem::resetForTests();
  xScriptManager::resetForTests();
  xLogFile::resetForTests();
  engine::recordedMessageBoxes().clear();
}
