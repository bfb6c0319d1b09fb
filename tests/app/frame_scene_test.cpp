// The scene player's places in start-up, the frame and render callbacks and the scene set-up, with the game's own data.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/game_loop.h"
#include "avg/xAVG.h"
#include "avg/xAVGScriptParser.h"
#include "avg/xAVGScriptReader.h"
#include "base/xLogFile.h"
#include "core/xSystem.h"
#include "engine/headless/headless.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "gfx/xSprite.h"
#include "script/manager/xScriptManager.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/xBackgroundManager.h"
#include "stg/xPlayer.h"
#include "tests/support/temp_dir.h"

namespace {

std::string fixture(const char* name) { return std::string(VELMORA_TEST_DATA) + "/avg/" + name; }

class SceneWiringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::options().backend = engine::Backend::Headless;
    hge = hgeCreate(HGE_VERSION);  // the entry point's, which the callbacks read
    ASSERT_TRUE(hge->System_Initiate());
    reset();
    std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data", "data");
    std::filesystem::copy_file(VELMORA_SOURCE_DIR "/data/initialize.vkscript", "initialize.vkscript");
    engine::clearPathCache();
    GameStartUp();
    system_ = xSystem::getInstance();
  }
  void TearDown() override {
    reset();
    hge->System_Shutdown();
    hge->Release();
    hge = nullptr;
  }
  static void reset() {
    xAVG::resetForTests();
    xAVGScriptReader::resetForTests();
    xAVGScriptParser::resetForTests();
    xPlayer::resetForTests();
    xBackgroundManager::resetForTests();
    xSystem::resetForTests();
    xScriptManager::resetForTests();
    xHostAPIManager::resetForTests();
    xLogFile::resetForTests();
    engine::recordedMessageBoxes().clear();
  }
  void frames(int n) {
    for (int i = 0; i < n; ++i) FrameFunc();
  }
  static bool drawn(HTEXTURE texture) {
    RenderFunc();
    const auto& quads = engine::headless::recordedQuads();
    return std::any_of(quads.begin(), quads.end(), [&](const hgeQuad& q) { return q.tex == texture; });
  }

  ScopedTempDir dir_;
  xSystem* system_ = nullptr;
};

TEST_F(SceneWiringTest, TheSceneStateReadsItsFileAtTheSwitchAndDrawsItsPicturesOrGoesBackToTheTitle) {
  const std::string scene = fixture("app_scene.txt");
  system_->changeState(STATE_AVG, true, scene);
  frames(xSystem::kSwitchFrame - 1);
  xAVG* player = xAVG::getInstance();
  EXPECT_FALSE(player->active);
  frames(1);
  ASSERT_TRUE(player->active);
  ASSERT_EQ(player->images.size(), 1u);
  // SETBG reached the background through the stage link.
  xBackgroundManager* bg = xBackgroundManager::getInstance();
  EXPECT_EQ(bg->background->sprite->GetHeight(), 600);
  EXPECT_EQ(bg->mode, stg::kModeStill);
  frames(1);
  EXPECT_EQ(player->images[0].sprite->color.a, 1.0f) << "updated in the scene state";
  EXPECT_TRUE(drawn(player->images[0].sprite->sprite->GetTexture()));

  system_->changeState(STATE_AVG, true, "missing.txt");
  frames(xSystem::kSwitchFrame);
  EXPECT_EQ(engine::recordedMessageBoxes(),
            (std::vector<std::string>{"Fatal Error: Error loading AVGScript missing.txt"}));
  EXPECT_NE(dir_.read("log.txt").find("xSystem: Error loading AVGScript missing.txt\n"), std::string::npos);
  EXPECT_EQ(system_->getState(), STATE_TITLE);
  EXPECT_EQ(system_->scriptName, "");
  EXPECT_FALSE(player->active);
}

TEST_F(SceneWiringTest, ASceneOverAStageChangesThePlayerRunsInTheFrameAndReturnsToTheStage) {
  xPlayer* player = xPlayer::getInstance();
  player->lives = 3;
  player->power = 1;
  system_->setState(STATE_STG);
  ASSERT_TRUE(xAVGScriptReader::getInstance()->readFile(fixture("app_stage.txt")));
  system_->changeState(STATE_AVG_IN_STG, false, "app_stage.txt");
  xAVG::getInstance()->buildOrders();
  xAVG::getInstance()->start();
  EXPECT_EQ(player->lives, 5);
  EXPECT_EQ(player->bombs, 7);
  EXPECT_EQ(player->power, xPlayer::kMaxPower);
  frames(1);
  EXPECT_EQ(system_->getState(), STATE_AVG_IN_STG);
  frames(1);
  EXPECT_EQ(system_->getState(), STATE_STG);
  EXPECT_EQ(system_->scriptName, "");
}

}  // namespace
