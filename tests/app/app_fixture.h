// The started game on a headless engine in a fresh folder: every manager it touches reset around each test, its frame and render callbacks run by hand.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/game_loop.h"
#include "core/xSystem.h"
#include "engine/hge.h"
#include "tests/support/temp_dir.h"

namespace app::test {

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:  // also for the tests' own free helpers
  // Every manager the started game touches back to none, with the log, the
  // variable store, the scripted input and the recorded message boxes.
  static void resetGame();
  // Links the game's data folder in; with [startUpScript], copies its start-up script beside it.
  static void linkGameData(bool startUpScript = true);
  // Starts the game up over this folder's files, as the entry point does.
  void startGame();
  // [n] frame callbacks, nothing drawn.
  static void update(int n = 1);
  // [n] frames as the engine runs them: the frame callback, then the render callback.
  static void frames(int n = 1);
  // A faded switch to [state], stepped through by the state machine alone.
  static void switchTo(GameState state, const std::string& script = "");
  // Quads cut from [tex] in the scene drawn last.
  static long quadsOf(HTEXTURE tex);
  // Draws one scene; its quads cut from [tex].
  static long renderQuadsOf(HTEXTURE tex) {
    RenderFunc();
    return quadsOf(tex);
  }
  std::string log() const { return dir_.read("log.txt"); }

  ScopedTempDir dir_;
  xSystem* system = nullptr;  // set by startGame
};

// The game started over its own data.
class StartedGameTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    linkGameData();
    startGame();
  }
};

}  // namespace app::test
