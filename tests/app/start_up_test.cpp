// Start-up with the start-up script, the stage set-up's script focus, and the script calls of the frame and render callbacks.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "avg/xAVG.h"
#include "core/xMenu.h"
#include "core/xSoundManager.h"
#include "core/xTimer.h"
#include "gfx/xFloatingText.h"
#include "gfx/xTextBox.h"
#include "host/globalVariableMap.h"
#include "script/manager/xScriptManager.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "tests/app/app_fixture.h"

namespace {

constexpr const char* kInitialize = R"(
host htStoreVariable(value, key);
func initSoundEffects() { print("step 1 initSoundEffects"); }
func initSystem() { print("step 2 initSystem"); }
func initBullet() { print("step 3 initBullet"); }
func initBackground() { print("step 4 initBackground"); }
func initDifficulty() { print("step 5 initDifficulty"); }
func init() { print("step 6 init"); }
func initScript() { htStoreVariable("yes", "newGame"); }
)";

// Counts its calls in the variable store; "init" may ask for a faded switch.
constexpr const char* kStage = R"(
host htStoreVariable(value, key);
host htTestChange();
var updates;
var renders;
func init() { updates = 0; renders = 0; htStoreVariable("stage", "init"); htTestChange(); }
func Update() { updates += 1; htStoreVariable(updates, "updates"); }
func Render() { renders += 1; htStoreVariable(renders, "renders"); }
)";

void host_TestChange(script::ThreadIndex, script::GroupId) {
  xSystem::getInstance()->changeState(STATE_AVG_IN_STG, true, "");
}

class StartUpTest : public app::test::GameTest {
 protected:
  void startUp() {
    dir_.write("initialize.vkscript", kInitialize);
    dir_.write("stage.vkscript", kStage);
    startGame();
    xHostAPIManager::getInstance()->addFunc("htTestChange", host_TestChange);
  }
  static std::string variable(const char* key) {
    auto found = globalVariableMap.find(key);
    return found != globalVariableMap.end() ? found->second : "";
  }
};

TEST_F(StartUpTest, TheSixSetUpFunctionsRunInOrderBeforeTheLogHeader) {
  startUp();
  std::string log = dir_.read("log.txt");
  EXPECT_EQ(log.rfind(std::string(47, '=') + "\n", 0), 0u) << log;
  std::size_t at = 0;
  for (const char* line : {"step 1 initSoundEffects", "step 2 initSystem", "step 3 initBullet",
                           "step 4 initBackground", "step 5 initDifficulty", "step 6 init",
                           "Project Tazrel Log"}) {
    std::size_t found = log.find(std::string("\n") + line + "\n", at);
    ASSERT_NE(found, std::string::npos) << line << " missing or out of order in\n" << log;
    at = found + 1;
  }
  EXPECT_EQ(system->getState(), STATE_TITLE);
  EXPECT_NE(activeScriptGroupID, script::kNoGroup);
  EXPECT_NE(activeScriptGroupID, script::GroupId{system->mainScriptGroup});

  system->startNewGame();
  EXPECT_EQ(variable("newGame"), "yes");
}

TEST_F(StartUpTest, TheShellBuildsItsOwnMenusAndARetryRestoresTheStageStart) {
  startUp();
  ASSERT_NE(system->gameOverMenu, nullptr);
  EXPECT_TRUE(xMenuManager::getInstance()->menus.empty());
  xPlayer* player = xPlayer::getInstance();
  xScoreManager* score = xScoreManager::getInstance();
  player->lives = 2;
  score->score = 1200;
  player->saveStageStartValues();
  score->saveStageStart();
  player->lives = 0;
  score->score = 5000;
  system->hooks.retryStage();
  EXPECT_EQ(player->lives, 2);
  EXPECT_EQ(score->score, 1200u);
}

// Quitting a scene through the pause leaves no scene behind: the score
// board, which steps the scene player, must not run the rest of it.
TEST_F(StartUpTest, TheTitleSetUpEndsAQuitSceneBeforeTheNextScoreBoard) {
  dir_.write("scene.txt", "bgm first.mp3 ;\ndela 5 ;\naddl 1 ;\nbgm stale.mp3 ;\n");
  startUp();
  system->changeState(STATE_AVG, true, "scene.txt");
  update(xSystem::kSwitchFrame);
  xAVG* player = xAVG::getInstance();
  ASSERT_TRUE(player->active);
  system->setState(STATE_PAUSE);
  system->changeState(STATE_TITLE, true, "");
  update(xSystem::kSwitchFrame);
  ASSERT_EQ(system->getState(), STATE_TITLE);
  EXPECT_FALSE(player->active);
  EXPECT_EQ(player->orders.size(), 0u);
  xPlayer::getInstance()->lives = 2;
  system->setState(STATE_SCOREBOARD);
  update(10);
  EXPECT_EQ(xPlayer::getInstance()->lives, 2);
}

TEST_F(StartUpTest, InitScriptComesFromTheConfiguration) {
  dir_.write("config.ini", "[System]\nInitScript=other.vkscript\n");
  dir_.write("other.vkscript", "func init() { print(\"other init\"); }\n");
  startUp();
  std::string log = dir_.read("log.txt");
  EXPECT_NE(log.find("other init\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("step 6 init"), std::string::npos);
}

// Like any other start-up failure, a start-up script that does not load ends the process.
TEST_F(StartUpTest, AStartUpScriptThatDoesNotLoadEndsTheProcess) {
  dir_.write("config.ini", "[System]\nInitScript=missing.vkscript\n");
  EXPECT_EXIT(GameStartUp(), ::testing::ExitedWithCode(EXIT_FAILURE), "missing.vkscript");
}

TEST_F(StartUpTest, TheStageSetUpFocusesItsScriptAndKeepsAChangeItRequests) {
  startUp();
  system->changeState(STATE_STG, true, "stage.vkscript");
  for (int frame = 1; frame < xSystem::kSwitchFrame; ++frame) system->update();
  EXPECT_EQ(variable("init"), "");
  system->update();
  EXPECT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(variable("init"), "stage");
  EXPECT_EQ(xScriptManager::getInstance()->focusedGroup(), activeScriptGroupID);
  // The switch asked for by the stage's "init" runs its own 60 frames.
  EXPECT_EQ(system->transitionCounter, 0);
  for (int frame = 1; frame < xSystem::kSwitchFrame; ++frame) system->update();
  EXPECT_EQ(system->getState(), STATE_STG);
  system->update();
  EXPECT_EQ(system->getState(), STATE_AVG_IN_STG);
}

TEST_F(StartUpTest, AShortScriptNameKeepsTheFocus) {
  startUp();
  switchTo(STATE_STG, "abc");
  EXPECT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(xScriptManager::getInstance()->focusedThread(), script::kNoThread);
}

TEST_F(StartUpTest, TheStageStateCallsUpdateEachFrameAndRenderInTheScene) {
  startUp();
  xScriptManager* scripts = xScriptManager::getInstance();
  script::ThreadIndex stage = scripts->loadScript(activeScriptGroupID, "stage.vkscript");
  scripts->setCurrFocusScript(activeScriptGroupID, stage);
  system->setState(STATE_TITLE);
  frames();
  EXPECT_EQ(variable("updates"), "");
  EXPECT_EQ(variable("renders"), "");
  system->setState(STATE_STG);
  update(3);
  RenderFunc();
  EXPECT_EQ(variable("updates"), "3");
  EXPECT_EQ(variable("renders"), "1");
  system->setState(STATE_GAMEOVER);  // drawn, not updated
  frames();
  EXPECT_EQ(variable("updates"), "3");
  EXPECT_EQ(variable("renders"), "2");
}

TEST_F(StartUpTest, WithoutAFocusedScriptEveryStageFrameLogs) {
  startUp();
  system->setState(STATE_STG);
  update(2);
  std::string log = dir_.read("log.txt");
  std::string line = "xScriptManager::callCurrRenderFunc: invalid focused script manager id\n";
  std::size_t first = log.find(line);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(line, first + line.size()), std::string::npos);
}

int gTimerCalls = 0;

TEST_F(StartUpTest, TheFixedSoundsAndTitleMusicStartAndEachFrameStepsSoundTextsAndTimers) {
  std::filesystem::create_directory("data");
  std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data/music", "data/music");
  std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data/se", "data/se");
  startUp();
  xSoundManager* sound = xSoundManager::getInstance();
  for (int id = 10000; id <= 10005; ++id) EXPECT_NE(sound->effects[id], 0u) << id;
  EXPECT_TRUE(hge->Channel_IsPlaying(sound->musicChannel)) << "Ka01.mp3";
  std::wstring title;
  for (const TextBoxChar& c : xTextBoxManager::getInstance()->getTextBox(sound->titleBoxIndex)->chars) title += c.text;
  EXPECT_EQ(title, L"BGM ~ Ka01");

  auto timer = std::make_unique<xTimer>();
  timer->period = 1;
  timer->repeatLimit = xTimer::kEndless;
  timer->callback = [] { ++gTimerCalls; };
  gTimerCalls = 0;
  xTimerManager::getInstance()->add(std::move(timer));
  gfx::FloatingTextId text =
      xFloatingTextManager::getInstance()->addText("x", "none.ttf", 10, 0xFFFFFFFF, 0, 0, 0, 0, 2, 1, 1);
  const HCHANNEL titleMusic = sound->musicChannel;
  sound->setBackgroundMusic("Ka1-d.mp3", true);
  update(61);
  EXPECT_EQ(gTimerCalls, 61);
  EXPECT_EQ(xFloatingTextManager::getInstance()->get(text), nullptr);
  EXPECT_NE(sound->musicChannel, titleMusic);
  EXPECT_TRUE(hge->Channel_IsPlaying(sound->musicChannel)) << "Ka1-d.mp3";
}

// Every name scripts may call, in the order start-up registers them: a group
// registered out of order would let a later group's name replace an earlier one.
constexpr const char* kHostNames[] = {
    "htAddSprite", "htRenderSprite", "htRenderSpriteWithPos", "htDeleteSprite", "htDeleteSpriteEx",
    "htSetSpritePos", "htSetSpriteHotSpot", "htSetSpriteZ", "htSetSpriteRotation",
    "htSetSpriteScale", "htSetSpriteColor", "htSetSpriteColorEx", "htSpriteFadeIn",
    "htSpriteFadeOut", "htSpriteFadeInEx", "htSpriteFadeOutEx", "htSpriteScale", "htSpriteScaleEx",
    "htMoveSpriteTo", "htEnableSpriteDistort", "htSetSpriteBlendMode", "htSetDistortDisplacement",
    "htSetDistortColor", "htGetDistortCols", "htGetDistortRows", "htLog", "htMessagebox", "htExit",
    "htSet2DBackground", "htEnable2DFog1", "htSetFogSpeed", "htSetBackgroundSpeed",
    "htSetBackgroundAlpha", "htEnableSeaSimulation", "htStopSeaSimulation", "htReturnToMain",
    "htGetDifficulty", "htStoreVariable", "htGetVariableAsInt", "htGetVariableAsFloat",
    "htGetVariableAsString", "htShakeScreen", "htPlayEndTheme", "htStartTimer", "htIni_GetInt",
    "htIni_GetFloat", "htIni_GetString", "htIni_SetInt", "htIni_SetFloat", "htIni_SetString",
    "htAddDifficultyIdent", "htSetSCBackground", "htSetSCBackgroundAlpha", "htStopSCBackground",
    "htAddFloatingText", "htGetHit", "htAddBackgroundCover", "htClearBackgroundCover",
    "htStoreScore", "htInsertItem", "htClearAllItems", "htInsertBulletXY", "htInsertBulletVec",
    "htShootBullet", "htShootBulletToPlayer", "htAddBulletIdent", "htSetBulletManagerTexture",
    "htSetBulletScreenRect", "htClearBullet", "htSetBulletAcceleration",
    "htSetBulletAccelerationEx", "htSetBulletSpeed", "htSetBulletSpeedEx", "htSetBulletSpeedDgr",
    "htSetBulletSpeedDgrEx", "htSetBulletDeflection", "htSetBulletDeflectionEx",
    "htSetBulletForce", "htSetBulletTextureRect", "htSetBulletGravitation", "htSetBulletRotation",
    "htSetBulletColor", "htSetBulletReflectTime", "htSetBulletPause", "htSetBulletLifeTime",
    "htSetBulletMaxSpeed", "htBindScriptFuncToBullet", "htRemoveCurrBullet",
    "htCreateEnemyWithSprite", "htCreateEnemyWithSpritePath", "htSetEnemyMovementAnimRect",
    "htSetEnemyAttackAnim", "htSetEnemyAttackedAnim", "htMoveEnemyTo", "htBindScriptFuncToEnemy",
    "htBindDieFuncToEnemy", "htGetEnemyX", "htGetEnemyY", "htShootBulletAtEnemyVec",
    "htShootBulletAtEnemy", "htGetEnemySize", "htRemoveEnemy", "htSetEnemyLifeFrame",
    "htFadeEnemyIn", "htSetEnemySpeed", "htSetEnemySpeedVec", "htSetEnemyDeflection",
    "htSetEnemyLife", "htSetBulletRenderDegree", "htSetBulletImmortal", "htSetEnemyColor",
    "htTestKey", "htLoadScript", "htRemoveScript", "htSetCurrActiveScript",
    "htRemoveCurrActiveScript", "htRunScript", "htRunAVGScript", "htRunSTGScript",
    "htRunAVGScriptInSTG", "htStageEnd", "htCreateFont", "htRenderStr", "htCreateFontWithColor",
    "htCreateFontWithColorEx", "htSetFontColor", "htSetFontKerning", "htRenderStrEx",
    "htCreateTextBox", "htDeleteTextBox", "htMoveTextBoxTo", "htSetTextBoxColor",
    "htSetTextBoxPos", "htSetTextBoxFrame", "htSetTextBoxGradient", "htSetTextBoxInfo",
    "htSetTextBoxText", "htAddTextBoxText", "htSetTextBoxSize", "htSetTextBoxFadeUpdateDuration",
    "htSetTextBoxScrollUpdateDuration", "GetDegreeBetweenTwoPoints", "htSetBackgroundMusic",
    "htSetBackgroundMusicEx", "htGetCurrBackgroundMusicLength", "htStopBackgroundMusic",
    "htAddSoundEffect", "htPlaySoundEffect", "htPlaySoundEffectEx", "htPlaySoundEffectOut",
    "htSetSoundEffectVolume", "htSetBackgroundMusicVolume", "htSetVoiceVolume",
    "htSetBGSoundVolume", "htPlayVoice", "htSetBGSound", "htStopBGSound", "htGetBossX",
    "htGetBossY", "htCreateBoss", "htSetBossMovementRect", "htAddBossAnim", "htPlayBossAnimEx",
    "htPlayBossAnim", "htAddBossAttackScript", "htBossStart", "htPlayBossAnimWithDuration",
    "htPlayBossEnergyAnim", "htSetBossMagicCircleColor", "htDisplayBossTitle",
    "htEnableBossMagicCircle", "htSetBossMagicRotationSpeed", "htSetBossDieAnim", "htMoveBossTo",
    "htSetBossPos", "htGetBossLife", "htSetBossImmortal", "htSetBossNameboxColor", "htEndBoss",
    "htCreatePlayer", "htDestroyPlayer", "htSetPlayerLife", "htSetPlayerBomb", "htSetPlayerPower",
    "htGetPlayerLife", "htGetPlayerBomb", "htGetPlayerPower", "htAddPlayerLife", "htAddPlayerBomb",
    "htAddPlayerPower", "htGetPlayerX", "htGetPlayerY", "bindScriptToMenuItem"
};

TEST_F(StartUpTest, RegistrationMakesEveryHostNameInOrderOver191Functions) {
  RegisterHostAPIs();
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  std::vector<std::string> expected;
  for (const char* name : kHostNames) {
    std::string upper = name;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    expected.push_back(upper);
  }
  ASSERT_EQ(expected.size(), 193u);
  EXPECT_EQ(registry->namesInOrder(), expected);

  std::set<HostAPIFunc> functions;
  for (const char* name : kHostNames) functions.insert(registry->find(name));
  EXPECT_EQ(functions.count(nullptr), 0u);
  EXPECT_EQ(functions.size(), 191u);
  EXPECT_EQ(registry->find("htSetTextBoxGradient"), registry->find("htSetTextBoxFrame"));
}

}  // namespace
