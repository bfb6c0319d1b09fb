// Scenes played headless with scripted keys: text and confirm, voices, pictures, effects, choices, the stage link and the end.
#include "avg/xAVG.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "avg/screen_effects.h"
#include "avg/xAVGScriptParser.h"
#include "avg/xAVGScriptReader.h"
#include "avg/xAVGSelectionTable.h"
#include "avg/xDefineTable.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xSprite.h"
#include "script/runtime/xHostAPIManager.h"
#include "tests/core/core_fixture.h"
#include "tests/core/sound_fixture.h"
#include "tests/engine/audio_fixture.h"

namespace {

using T = xAVGOrderType;

int gEnds = 0;
const char* gNextScene = nullptr;

// The focused script's "onAVGEnd": counts, and may start another scene.
void host_SceneEnded(script::ThreadIndex, script::GroupId) {
  ++gEnds;
  if (!gNextScene) return;
  ASSERT_TRUE(xAVGScriptReader::getInstance()->readFile(gNextScene));
  xAVG::getInstance()->buildOrders();
  xAVG::getInstance()->start();
}

std::string fixture(const std::string& name) { return std::string(VELMORA_TEST_DATA) + "/avg/" + name; }

std::wstring textOf(const xTextBox& box) {
  std::wstring text;
  for (const TextBoxChar& c : box.chars) text += c.text;
  return text;
}

class PlayerTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    resetScene();
    gEnds = 0;
    gNextScene = nullptr;
    std::ifstream png(std::string(VELMORA_TEST_DATA) + "/engine_rgba_3x2.png", std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(png)), std::istreambuf_iterator<char>());
    for (const char* name : {"pic.png", "UI/stgtextbox.png", "se/black.png", "se/openL.png"})
      dir_.write(std::string("data/graphic/") + name, image);
    dir_.write("data/voice/voice01.wav", audio_test::makeWav(0.2));
    std::filesystem::create_directories("data/font");
    dir_.write("defines.txt", "define girl Li Ming\ndefine hi voice01.wav\ndefine Girl pic.png\n");
    dir_.write("end.vkscript", "host htSceneEnded();\nfunc onAVGEnd() { htSceneEnded(); }\n");
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "data/font/simkai.ttf");
    engine::clearPathCache();
    startEngine();
    fonts_ = std::make_unique<TTFontManager>(hge_);
    xHostAPIManager::getInstance()->addFunc("htSceneEnded", host_SceneEnded);
    xScriptManager* scripts = xScriptManager::getInstance();
    script::GroupId group = scripts->addScriptGroup();
    scripts->setCurrFocusScript(group, scripts->loadScript(group, "end.vkscript"));
    xSystem::getInstance()->setState(STATE_AVG);
    player_ = xAVG::getInstance();
  }
  void TearDown() override {
    resetScene();
    xHostAPIManager::resetForTests();
    xFontManager::resetForTests();
    fonts_.reset();
    CoreTest::TearDown();
  }
  static void resetScene() {
    xAVG::resetForTests();
    xAVGScriptReader::resetForTests();
    xAVGScriptParser::resetForTests();
    xDefineTable::resetForTests();
    xAVGSelectionTable::resetForTests();
  }
  void play(const char* file) {
    ASSERT_TRUE(xAVGScriptReader::getInstance()->readFile(fixture(file)));
    player_->buildOrders();
    player_->start();
  }
  // Runs [frames] frames: the input poll, then the player.
  void run(long frames) {
    runFrames(frames, [] {
      xInputManager::getInstance()->update();
      xAVG::getInstance()->update();
      return false;
    });
  }
  // [key] goes down in the next frame and up in the one after; runs the
  // 16 frames in which its binding takes no second press.
  void tap(int key) {
    engine::headless::keyDown(engine::headless::frameCount(), key);
    engine::headless::keyUp(engine::headless::frameCount() + 1, key);
    run(16);
  }
  void hold(int key) { engine::headless::keyDown(engine::headless::frameCount(), key); }
  std::string log() { return dir_.read("log.txt"); }

  xAVG* player_ = nullptr;
  std::unique_ptr<TTFontManager> fonts_;
};

TEST_F(PlayerTest, TextRevealsConfirmShowsItWholeThenMovesOnAndVoicesAndMusicPlay) {
  ScopedRecorder recorder(xSoundManager::getInstance()->engine);
  play("player_text.txt");
  xTextBox& box = *player_->avgTextBox;
  EXPECT_EQ(textOf(*player_->avgTalkerBox), L"Li Ming");
  EXPECT_EQ(textOf(box), L"Hello");
  run(3);
  EXPECT_FALSE(box.isAllShown());
  tap(HGEK_ENTER);
  EXPECT_TRUE(box.isAllShown());
  EXPECT_EQ(player_->currentIndex(), 1);
  tap('Z');  // shoot confirms too
  EXPECT_EQ(textOf(box), L"HelloWorld");
  EXPECT_LT(box.shownCount, 10u) << "the added text is revealed";
  tap(HGEK_ENTER);
  EXPECT_TRUE(recorder->named("Effect_Load").empty());
  tap(HGEK_ENTER);
  EXPECT_EQ(textOf(box), L"Again");
  EXPECT_EQ(recorder->ops(), (std::vector<std::string>{"Effect_Load data/voice/voice01.wav", "Effect_PlayEx"}));
  tap(HGEK_ENTER);
  tap(HGEK_ENTER);
  // NOBGM with a parameter is skipped with its message; the music still starts.
  EXPECT_NE(log().find("xAVG::ParseOrder: order: NOBGM, invalid param size 1\n"), std::string::npos);
  EXPECT_EQ(recorder->named("Stream_Load").at(0).file, "data/music/theme.mp3");
  EXPECT_FALSE(player_->active);
  EXPECT_EQ(gEnds, 1);
  // The boxes keep their text after the end; the next start empties the main one.
  EXPECT_EQ(textOf(box), L"Again");
  EXPECT_EQ(textOf(*player_->avgTalkerBox), L"Li Ming");
}

TEST_F(PlayerTest, PicturesFadeInMoveAndOutOverTheirFramesAndCtrlRemovesOneAtOnce) {
  play("player_pictures.txt");
  ASSERT_EQ(player_->images.size(), 1u);
  xSprite& girl = *player_->images[0].sprite;
  EXPECT_EQ(girl.x, 100);
  EXPECT_EQ(girl.color.GetHWColor() & 0xFFFFFF, 0xFF0000u) << "SETRGBA colours later pictures";
  EXPECT_FLOAT_EQ(girl.color.a, 0.01f);
  run(50);
  EXPECT_LT(girl.color.a, 1.0f);
  run(1);
  EXPECT_EQ(girl.color.a, 1.0f) << "speed 5 fades in over 255 / 5 = 51 frames";
  run(8);
  EXPECT_EQ(player_->currentIndex(), 2) << "DELAY 60 still waits after 59 updates";
  run(1);
  EXPECT_EQ(player_->currentIndex(), 4);
  run(10);
  EXPECT_EQ(girl.x, 200);
  EXPECT_EQ(girl.y, 80);
  run(9);
  EXPECT_EQ(player_->images.size(), 1u);
  run(1);
  // IMGOUT speed 255: one frame, and the picture is gone at alpha 0.
  EXPECT_EQ(player_->currentIndex(), 7);
  EXPECT_TRUE(player_->images.empty());
  EXPECT_NE(log().find("xAVG::ParseOrder: order: IMGOUT, invalid param nobody\n"), std::string::npos);
  run(5);
  ASSERT_EQ(player_->currentIndex(), 9);
  ASSERT_EQ(player_->images.size(), 1u);
  hold(HGEK_CTRL);
  run(1);
  EXPECT_EQ(player_->currentIndex(), 11);
  EXPECT_TRUE(player_->images.empty());
  run(3);
  EXPECT_EQ(gEnds, 1);
}

TEST_F(PlayerTest, EachScreenEffectAndTheShakeWaitTheirFramesAndEffectsReleaseTheirImages) {
  // SCREENMOVE: mode, frames, amplitude (0 gives 5) and three unread words.
  for (const char* param : {"2", "20", "0", "x", "y", "z"}) {
    if (player_->orders.size() == 0) player_->addOrder(T::SCREENMOVE);
    player_->addOrderParam(param);
  }
  player_->start();
  xSystem* system = xSystem::getInstance();
  EXPECT_EQ(system->shakeFrames, 20);
  EXPECT_EQ(system->shakeMode, 2);
  EXPECT_EQ(system->shakeAmplitude, 5.0f);
  run(19);
  EXPECT_TRUE(player_->active);
  run(1);
  EXPECT_EQ(gEnds, 1);

  for (T kind = T::SE_OPEN_LEFT_IN; kind <= T::SE_OPENWINDOW; kind = T(int(kind) + 1)) {
    SCOPED_TRACE(int(kind));
    const avg::ScreenEffect& effect = *avg::findScreenEffect(kind);
    player_->reset();
    player_->effectImages.push_back({"", std::make_unique<xSprite>("pic.png")});
    player_->addOrder(kind);
    if (kind == T::SE_FADEIN || kind == T::SE_FADEOUT) player_->addOrderParam("pic.png");
    player_->addOrderParam("4");
    player_->addOrder(T::PAUSE);
    player_->start();
    ASSERT_EQ(player_->effectImages.size(), effect.releaseFirst ? 1u : 2u);
    const xSprite& sprite = *player_->effectImages.back().sprite;
    const int frames = kind == T::SE_OPEN_THOUSAND_RIGHT_IN ? 8 : 4;
    run(frames - 1);
    EXPECT_EQ(player_->currentIndex(), 0);
    run(1);
    EXPECT_EQ(player_->currentIndex(), 1);
    const bool released = kind == T::SE_OPEN_RIGHT_OUT || kind == T::SE_OPEN_THOUSAND_RIGHT_OUT ||
                          kind == T::SE_OPEN_THOUSAND_LEFT_OUT || kind == T::SE_FADEOUT || kind == T::SE_OPENWINDOW;
    EXPECT_EQ(player_->effectImages.empty(), released);
    if (!released && effect.motion == avg::EffectMotion::Slide) {
      EXPECT_EQ(sprite.x, effect.toX);
    }
  }
}

TEST_F(PlayerTest, AChoiceWaitsTwentySevenUpdatesThenRunsOnlyTheChosenPart) {
  auto confirmThrough = [&](const wchar_t* text) {
    EXPECT_EQ(textOf(*player_->avgTextBox), text);
    tap(HGEK_ENTER);
    tap(HGEK_ENTER);
  };
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    play("player_choice.txt");
    xMenu& menu = *player_->selectionMenu;
    ASSERT_EQ(menu.itemCount(), 3);
    EXPECT_FLOAT_EQ(menu.item(1)->rect.y1, 100 + 400.0f / 3);
    EXPECT_TRUE(xMenuManager::getInstance()->menus.empty());
    EXPECT_EQ(xAVGSelectionTable::getInstance()->read("color"), 0);
    if (pass == 0) {
      run(26);
      EXPECT_NEAR(player_->blackCover->color.a, 0.53f, 0.001f) << "from 0.01 by 0.02 a frame";
      tap(HGEK_ENTER);  // the 27th update: the menu shows but takes no input
      EXPECT_EQ(player_->currentIndex(), 0);
      tap(HGEK_DOWN);
    } else {
      run(27);
    }
    tap(HGEK_ENTER);  // in the 28th update at the earliest
    EXPECT_EQ(xAVGSelectionTable::getInstance()->read("color"), pass == 0 ? 2 : 1);
    confirmThrough(pass == 0 ? L"green" : L"red");
    EXPECT_EQ(player_->currentIndex(), 8);
    run(27);
    if (pass == 1) tap(HGEK_UP);  // wraps to the last option
    tap(HGEK_ENTER);
    // The second block has no ENDIF: it runs to the end of the scene.
    confirmThrough(pass == 0 ? L"big" : L"small");
    EXPECT_EQ(gEnds, pass + 1);
  }
}

// The press records the menu's selection + 1; clearing the menu left the last choice's.
TEST_F(PlayerTest, AChoiceOfNoOptionsDimsTheSceneShowsAnEmptyMenuAndRecordsThePress) {
  play("player_empty_choice.txt");
  run(27);
  tap(HGEK_DOWN);
  tap(HGEK_ENTER);
  ASSERT_EQ(player_->currentIndex(), 1);
  EXPECT_EQ(xAVGSelectionTable::getInstance()->read("pick"), 2);
  EXPECT_EQ(xAVGSelectionTable::getInstance()->read("none"), 0);
  EXPECT_EQ(player_->selectionMenu->itemCount(), 0);
  EXPECT_EQ(log().find("invalid param size"), std::string::npos);
  // 16 updates from the press: the cover fades in again from 0.01, and the
  // menu takes no input before its 28th update.
  EXPECT_EQ(player_->currentOrder()->waitState, -15);
  EXPECT_NEAR(player_->blackCover->color.a, 0.33f, 0.001f);
  tap(HGEK_ENTER);
  EXPECT_EQ(player_->currentIndex(), 1);
  tap(HGEK_ENTER);
  EXPECT_EQ(player_->currentIndex(), 2);
  EXPECT_EQ(xAVGSelectionTable::getInstance()->read("none"), 2);
  EXPECT_EQ(textOf(*player_->avgTextBox), L"after");
}

TEST_F(PlayerTest, PlayerAndBackgroundOrdersGoThroughTheStageLink) {
  std::vector<std::string> calls;
  avg::StageLink& link = player_->stage;
  link.setBackground = [&](const std::string& name) { calls.push_back("background " + name); };
  link.addPower = [&](float v) { calls.push_back("power+ " + std::to_string(v)); };
  link.setPower = [&](float v) { calls.push_back("power= " + std::to_string(v)); };
  link.addBombs = [&](int v) { calls.push_back("bombs+ " + std::to_string(v)); };
  link.setBombs = [&](int v) { calls.push_back("bombs= " + std::to_string(v)); };
  link.addLives = [&](int v) { calls.push_back("lives+ " + std::to_string(v)); };
  link.setLives = [&](int v) { calls.push_back("lives= " + std::to_string(v)); };
  link.setPlayerType = [&](int v) { calls.push_back("type " + std::to_string(v)); };
  play("player_stock.txt");
  EXPECT_EQ(calls, (std::vector<std::string>{"lives+ 2", "lives+ -1", "bombs+ 3", "bombs+ -1", "bombs= 5",
                                             "lives= 4", "power+ 1.500000", "power+ -0.250000",
                                             "power= 2.500000", "type 37", "background sky.png"}));
  EXPECT_NE(log().find("\n37\n"), std::string::npos) << "PLAYERTYPE logs its parameter";
  EXPECT_EQ(gEnds, 1) << "a scene of orders that go on at once ends in the frame of its start";
}

// A DELAY ending and Ctrl skipping advance twice in one update: the end runs once.
TEST_F(PlayerTest, CtrlSkipsOneOrderPerFrameStopsAtAChoiceAndTheEndRunsOnce) {
  play("player_ctrl.txt");
  hold(HGEK_CTRL);
  run(1);
  EXPECT_EQ(player_->currentIndex(), 1);
  run(40);
  EXPECT_EQ(player_->currentIndex(), 2);
  hold(HGEK_ENTER);
  run(1);
  EXPECT_EQ(player_->currentIndex(), 3);
  EXPECT_EQ(gEnds, 0);
  run(1);
  EXPECT_EQ(gEnds, 1);
  run(5);
  player_->nextOrder();
  EXPECT_EQ(gEnds, 1);
  EXPECT_EQ(player_->currentIndex(), -1);
}

// Run under AddressSanitizer: the ended scene's lists are rebuilt under the player's loop.
TEST_F(PlayerTest, AnEndThatStartsAnotherSceneLeavesTheNewSceneWhole) {
  gNextScene = nullptr;
  play("player_first.txt");
  static const std::string second = fixture("player_second.txt");
  gNextScene = second.c_str();
  run(1);
  gNextScene = nullptr;
  EXPECT_EQ(gEnds, 1);
  ASSERT_TRUE(player_->active);
  ASSERT_EQ(player_->images.size(), 1u);
  EXPECT_EQ(player_->images[0].sprite->x, 10);
  EXPECT_EQ(player_->currentIndex(), 2);
  EXPECT_EQ(textOf(*player_->avgTextBox), L"Second");
  run(3);
  EXPECT_TRUE(player_->active);
}

TEST_F(PlayerTest, ASceneInAStageUsesTheStageBoxesAndReturnsToTheStage) {
  xSystem* system = xSystem::getInstance();
  system->previousState = STATE_AVG;  // left over from an earlier pause
  system->setState(STATE_AVG_IN_STG);
  system->scriptName = "player_stage.txt";
  play("player_stage.txt");
  EXPECT_EQ(textOf(*player_->stgTextBox), L"Stage");
  EXPECT_EQ(textOf(*player_->stgTalkerBox), L"Li Ming");
  EXPECT_TRUE(player_->avgTextBox->chars.empty());
  hge_->Gfx_BeginScene(0);
  player_->render();
  hge_->Gfx_EndScene();
  const std::vector<hgeQuad>& quads = engine::headless::recordedQuads();
  ASSERT_FALSE(quads.empty());
  EXPECT_EQ(quads[0].v[0].x, 180) << "the stage box's frame";
  tap(HGEK_ENTER);
  tap(HGEK_ENTER);
  EXPECT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(system->scriptName, "");
  EXPECT_EQ(gEnds, 0);
  system->setState(STATE_PAUSE);
  EXPECT_TRUE(player_->usesAvgBoxes()) << "a pause over a full-screen scene";
}

TEST_F(PlayerTest, NoTextFadeInLengthShowsCharactersAtOnce) {
  xAVG::resetForTests();
  dir_.write("config.ini", "[AVG]\nTextFadeInUpdateDuration=0\n");
  xAVG* player = xAVG::getInstance();
  EXPECT_EQ(player->avgTextBox->fadeStep, 1.0f);
  player->avgTextBox->setText(L"A");
  player->avgTextBox->shownCount = 1;
  player->avgTextBox->Render();
  EXPECT_EQ(player->avgTextBox->chars[0].a, 1.0f);
}

}  // namespace
