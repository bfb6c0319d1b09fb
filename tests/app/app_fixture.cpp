#include "tests/app/app_fixture.h"

#include <algorithm>
#include <filesystem>

#include "avg/end_theme.h"
#include "avg/xAVG.h"
#include "avg/xAVGScriptParser.h"
#include "avg/xAVGScriptReader.h"
#include "base/xLogFile.h"
#include "core/xInputManager.h"
#include "core/xMenu.h"
#include "core/xSoundManager.h"
#include "core/xTimer.h"
#include "engine/headless/headless.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "gfx/xFloatingText.h"
#include "gfx/xSpriteManager.h"
#include "gfx/xTextBox.h"
#include "host/globalVariableMap.h"
#include "script/manager/xScriptManager.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/mBulletManager.h"
#include "stg/xBackgroundManager.h"
#include "stg/xBoss.h"
#include "stg/xItemManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "stg/xSourceManager.h"

namespace app::test {

void GameTest::SetUp() {
  engine::options().backend = engine::Backend::Headless;
  hge = hgeCreate(HGE_VERSION);  // the entry point's, which the callbacks read
  ASSERT_TRUE(hge->System_Initiate());
  hge->System_SetState(HGE_INIFILE, "config.ini");
  resetGame();
}

void GameTest::TearDown() {
  resetGame();
  hge->System_Shutdown();
  hge->Release();
  hge = nullptr;
}

void GameTest::resetGame() {
  avg::resetEndThemeForTests();
  xAVG::resetForTests();
  xAVGScriptReader::resetForTests();
  xAVGScriptParser::resetForTests();
  xItemManager::resetForTests();
  xScoreManager::resetForTests();
  xPlayer::resetForTests();
  xBoss::resetForTests();
  xSourceManager::resetForTests();
  mBulletManager::resetForTests();
  xSpriteManager::resetForTests();
  xTextBoxManager::resetForTests();
  xFloatingTextManager::resetForTests();
  xTimerManager::resetForTests();
  xMenuManager::resetForTests();
  xInputManager::resetForTests();
  xSoundManager::destroy();
  xBackgroundManager::resetForTests();
  xSystem::resetForTests();
  xScriptManager::resetForTests();
  xHostAPIManager::resetForTests();
  xLogFile::resetForTests();
  globalVariableMap.clear();
  engine::headless::clearInput();
  engine::recordedMessageBoxes().clear();
}

void GameTest::linkGameData(bool startUpScript) {
  std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data", "data");
  if (startUpScript) {
    std::filesystem::copy_file(VELMORA_SOURCE_DIR "/data/initialize.vkscript", "initialize.vkscript");
  }
}

void GameTest::startGame() {
  engine::clearPathCache();
  GameStartUp();
  system = xSystem::getInstance();
}

void GameTest::update(int n) {
  for (int i = 0; i < n; ++i) FrameFunc();
}

void GameTest::frames(int n) {
  for (int i = 0; i < n; ++i) {
    FrameFunc();
    RenderFunc();
  }
}

void GameTest::switchTo(GameState state, const std::string& script) {
  xSystem* system = xSystem::getInstance();
  system->changeState(state, true, script);
  for (int i = 0; i < xSystem::kSwitchFrame; ++i) system->update();
}

long GameTest::quadsOf(HTEXTURE tex) {
  const auto& quads = engine::headless::recordedQuads();
  return std::count_if(quads.begin(), quads.end(), [&](const hgeQuad& q) { return q.tex == tex; });
}

}  // namespace app::test
