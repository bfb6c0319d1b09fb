// The state machine with its menus built over the game's data, stepped by scripted keys, with its hooks counted.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gfx/hgeTTFont.h"
#include "tests/core/core_fixture.h"

class ShellTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    startEngine();
    std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data", "data");
    engine::clearPathCache();
    fonts_ = std::make_unique<TTFontManager>(hge_);  // the menus' font comes from the system's fonts
    calls().clear();
    observer() = nullptr;
  }
  void TearDown() override {
    resetManagers();  // the menus go before their fonts
    fonts_.reset();
    CoreTest::TearDown();
  }
  // Builds the menus with [difficulties] and enters the title as start-up does.
  xSystem* makeShell(std::vector<std::string> difficulties = {"Easy"}) {
    xSystem* system = xSystem::getInstance();
    system->difficultyNames = std::move(difficulties);
    core::StateHooks& h = system->hooks;
    h.enemyBulletsActive = [](bool on) { calls().push_back(on ? "bullets on" : "bullets off"); };
    h.retryStage = [] { calls().push_back("retry"); };
    h.clearShots = [] { calls().push_back("clear shots"); };
    h.newGame = [] { calls().push_back("new game"); };
    system->buildMenus();
    system->setupTitleBackground();
    return system;
  }
  // Taps [key] [offset] frames from the next frame to run.
  static void tap(long offset, int key) {
    long frame = engine::headless::frameCount() + offset;
    engine::headless::keyDown(frame, key);
    engine::headless::keyUp(frame + 1, key);
  }
  // Runs [frames] frames of input and state machine; [observe] runs after each.
  void run(long frames, std::function<void()> observe = nullptr) {
    observer() = std::move(observe);
    runFrames(frames, &ShellTest::frame);
    observer() = nullptr;
  }
  static std::vector<std::string>& calls() {
    static std::vector<std::string> c;
    return c;
  }

  std::unique_ptr<TTFontManager> fonts_;

 private:
  static std::function<void()>& observer() {
    static std::function<void()> f;
    return f;
  }
  static bool frame() {
    xInputManager::getInstance()->update();
    xSystem::getInstance()->update();
    if (observer()) observer()();
    return false;
  }
};
