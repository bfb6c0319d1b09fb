// The system host functions called from a compiled script: log and box, backgrounds, states, timers, config.ini,
// floating texts, score, items, exit and bad groups.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/xTimer.h"
#include "host/globalVariableMap.h"
#include "host/host_registration.h"
#include "stg/score_file.h"
#include "stg/xBackgroundManager.h"
#include "stg/xItemManager.h"
#include "stg/xScoreManager.h"
#include "tests/stg/actor_fixture.h"

namespace {

using script::GroupId;

// Every name, in registration order.
constexpr const char* kDeclarations = R"(
host htLog(t); host htMessagebox(t, c); host htExit(); host htSet2DBackground(f, s, m); host htEnable2DFog1(on, s);
host htSetFogSpeed(s); host htSetBackgroundSpeed(s); host htSetBackgroundAlpha(a); host htEnableSeaSimulation();
host htStopSeaSimulation(); host htReturnToMain(); host htGetDifficulty(); host htStoreVariable(v, k);
host htGetVariableAsInt(k); host htGetVariableAsFloat(k); host htGetVariableAsString(k);
host htShakeScreen(m, n, a); host htPlayEndTheme(); host htStartTimer(p, n, f); host htIni_GetInt(s, k, d);
host htIni_GetFloat(s, k, d); host htIni_GetString(s, k, d); host htIni_SetInt(s, k, v); host htIni_SetFloat(s, k, v);
host htIni_SetString(s, k, v); host htAddDifficultyIdent(n); host htSetSCBackground(f, w, h, n);
host htSetSCBackgroundAlpha(a); host htStopSCBackground();
host htAddFloatingText(t, f, n, r, g, b, a, x0, y0, x1, y1, l, i, o); host htGetHit();
host htAddBackgroundCover(f, s, x, y, n, m); host htClearBackgroundCover(); host htStoreScore(); host htInsertItem(k, x, y);
host htClearAllItems();
)";

constexpr const char* kScript = R"(
var ticks; var forever;
func logs() { htLog("100%d %s %n"); htLog("x"); htLog(htGetVariableAsString("long")); }
func box() { htMessagebox(htGetVariableAsString("greeting"), htGetVariableAsString("none")); }
func quit() { htExit(); }
func scenery() {
  htSet2DBackground("bg.png", 2, 0); htSetBackgroundSpeed(3); htSetBackgroundAlpha(0.25);
  htEnable2DFog1(1, 1.5); htSetFogSpeed(2.5); htEnableSeaSimulation();
  htSetSCBackground("sc.png", 64, 64, 4); htSetSCBackgroundAlpha(0.5);
  htAddBackgroundCover("cover.png", 0, 10, 20, 0, 1); htAddBackgroundCover("cover.png", 0.5, 30, 40, 5, 2);
}
func quiet() { htEnable2DFog1(0, 4); htStopSeaSimulation(); htStopSCBackground(); htClearBackgroundCover(); }
func toTitle() { htReturnToMain(); }
func toEnding() { htPlayEndTheme(); }
func difficulty() { htAddDifficultyIdent("Easy"); htAddDifficultyIdent("Lunatic"); return htGetDifficulty(); }
func shake() { htShakeScreen(2, 45, 3.5); }
func timers() { ticks = 0; forever = 0; htStartTimer(3, 2, "tick"); htStartTimer(30, 0, "tick"); htStartTimer(2, -1, "tock"); }
func tick() { ticks += 1; }
func tock() { forever += 1; }
func getTicks() { return ticks * 1000 + forever; }
func iniWrite() {
  htIni_SetInt("STG", "StageCleared", 1); htIni_SetFloat("Extra", "Ratio", 2.5);
  htIni_SetString("Extra", "Name", "Velmora");
}
func iniInt() { return htIni_GetInt("STG", "StageCleared", 0) * 10 + htIni_GetInt("STG", "Missing", 7); }
func iniFloat() { return htIni_GetFloat("Extra", "Ratio", 0) + htIni_GetFloat("Extra", "Missing", 0.25); }
func iniString() { return htIni_GetString("Extra", "Name", "?"); }
func iniDefault() { return htIni_GetString("Extra", "Missing", "def"); }
func iniBad() {
  htIni_SetInt("STG]", "a", 1); htIni_SetInt("STG", "a=b", 1); htIni_SetFloat("X\nY", "a", 1);
  htIni_SetString("Extra", "Name", "two\nlines"); htIni_SetString("Extra", "Name", htGetVariableAsString("cr"));
  htIni_SetString("Extra", htGetVariableAsString("cr"), "v");
}
func texts() { htAddFloatingText("Bonus", "missing.ttf", 20, 1, 0.5, 0, 0.75, 100, 200, 300, 400, 60, 10, 20); }
func hits() { return htGetHit(); }
func storeScore() { htStoreScore(); }
func items() { htInsertItem(1, 200, 300); htInsertItem(5, 250, 100); htInsertItem(9, 1, 1); }
func noItems() { htClearAllItems(); }
)";

class HostSystemTest : public stg::test::ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    gfx::test::writePng("data/graphic/bg.png", 450, 1200);
    gfx::test::writePng("data/graphic/sc.png", 256, 64);
    gfx::test::writePng("data/graphic/cover.png", 100, 50);
    gfx::test::writePng("data/graphic/items.png", 128, 32);
    engine::clearPathCache();
    RegisterHostSystemAPIs();
    focusScript(std::string(kDeclarations) + kScript);
  }
  void resetAll() override {
    ActorTest::resetAll();
    xBackgroundManager::resetForTests();
    xScoreManager::resetForTests();
    xItemManager::resetForTests();
    xTimerManager::resetForTests();
    globalVariableMap.clear();
    engine::recordedMessageBoxes().clear();
  }
  const vm_value& call(const char* func) {
    xScriptManager* scripts = xScriptManager::getInstance();
    EXPECT_TRUE(scripts->callFunc(func, scripts->focusedGroup(), scripts->focusedThread())) << func;
    return scripts->getScriptGroup(scripts->focusedGroup())->getThread(scripts->focusedThread())->retval();
  }
  static xBackgroundManager* background() { return xBackgroundManager::getInstance(); }
};

TEST_F(HostSystemTest, TheLogTakesScriptTextLiterallyAndTheBoxShowsIt) {
  globalVariableMap["long"] = std::string(20000, 'L');
  call("logs");
  std::string log = this->log();
  EXPECT_NE(log.find("\n100%d %s %n\n"), std::string::npos);
  EXPECT_EQ(log.find("\nx\n"), std::string::npos);  // shorter than 2 bytes
  std::size_t longAt = log.find(std::string(100, 'L'));
  ASSERT_NE(longAt, std::string::npos);
  EXPECT_EQ(log.find('\n', longAt) - longAt, 10239u);  // cut at the buffer, the line still whole

  globalVariableMap["greeting"] = "\xc4\xe3\xba\xc3 box";  // code page 936
  engine::recordedMessageBoxes().clear();
  call("box");
  EXPECT_EQ(engine::recordedMessageBoxes(), (std::vector<std::string>{": \xe4\xbd\xa0\xe5\xa5\xbd box"}));
}

TEST_F(HostSystemTest, BackgroundsFogSeaAndCovers) {
  call("scenery");
  xBackgroundManager* bg = background();
  ASSERT_TRUE(bg->background && bg->scBackground);
  EXPECT_EQ(bg->mode, stg::kModeScroll);
  EXPECT_FLOAT_EQ(bg->speed, 3);
  EXPECT_TRUE(bg->fogEnabled);
  EXPECT_FLOAT_EQ(bg->fogSpeed, 2.5f);
  EXPECT_TRUE(bg->seaEnabled);
  ASSERT_EQ(bg->covers.size(), 2u);
  EXPECT_EQ(bg->covers[1].mode, stg::kModeTurn);
  EXPECT_FLOAT_EQ(bg->covers[1].y, 40);
  for (int i = 0; i < 60; ++i) bg->update();
  EXPECT_NEAR(bg->background->color.a, 0.25f, 1e-3);
  EXPECT_NEAR(bg->scBackground->sprite->color.a, 0.5f, 1e-3);

  call("quiet");
  EXPECT_FALSE(bg->fogEnabled || bg->seaEnabled);
  EXPECT_FLOAT_EQ(bg->fogSpeed, 4);
  EXPECT_TRUE(bg->covers.empty());
  for (int i = 0; i < 60; ++i) bg->update();
  EXPECT_NEAR(bg->scBackground->sprite->color.a, 0, 1e-3);  // faded out, still there
}

TEST_F(HostSystemTest, StatesDifficultyShakeAndTimers) {
  xSystem* system = xSystem::getInstance();
  call("toEnding");
  EXPECT_EQ(system->pendingState, STATE_ENDING);
  EXPECT_EQ(system->transitionCounter, 0);
  call("toTitle");
  EXPECT_EQ(system->pendingState, STATE_TITLE);

  system->difficulty = 1;
  EXPECT_EQ(call("difficulty").intValue, 1);  // no difficulty page yet: the recorded choice
  EXPECT_EQ(system->difficultyNames, (std::vector<std::string>{"Easy", "Lunatic"}));
  // With the page, its selection: the page's confirm runs "initScript" before
  // it records the choice.
  system->buildMenus();
  system->difficulty = 0;
  system->difficultyMenu->select(1);
  EXPECT_EQ(call("difficulty").intValue, 1);

  system->shakeCount = 9;
  call("shake");
  EXPECT_EQ(system->shakeMode, 2);
  EXPECT_EQ(system->shakeFrames, 45);
  EXPECT_FLOAT_EQ(system->shakeAmplitude, 3.5f);
  EXPECT_EQ(system->shakeCount, 0);

  // Every 3 frames twice; never (gone at once); every 2 frames for ever.
  call("timers");
  xTimerManager* timers = xTimerManager::getInstance();
  EXPECT_EQ(timers->size(), 3u);
  timers->update();
  EXPECT_EQ(timers->size(), 2u);
  for (int i = 0; i < 5; ++i) timers->update();
  EXPECT_EQ(call("getTicks").intValue, 2003);
  EXPECT_EQ(timers->size(), 1u);
  for (int i = 0; i < 94; ++i) timers->update();
  EXPECT_EQ(call("getTicks").intValue, 2050);
}

TEST_F(HostSystemTest, ConfigIsReadAndWrittenButNeverBroken) {
  call("iniWrite");
  EXPECT_EQ(call("iniInt").intValue, 17);
  EXPECT_FLOAT_EQ(call("iniFloat").floatValue, 2.75f);
  EXPECT_EQ(call("iniString").text, "Velmora");
  EXPECT_EQ(call("iniDefault").text, "def");
  EXPECT_EQ(xSystem::getInstance()->getIniInt("STG", "StageCleared", 0), 1);  // the game sees it

  const std::string before = dir_.read("config.ini");
  globalVariableMap["cr"] = "a\rb";
  call("iniBad");
  EXPECT_EQ(dir_.read("config.ini"), before);
  EXPECT_EQ(call("iniString").text, "Velmora");
  std::string log = this->log();
  EXPECT_NE(log.find("host_Ini_SetFloat: refused [X\\nY] a\n"), std::string::npos);  // one line in the log
  int refused = 0;
  for (std::size_t at = log.find("refused"); at != std::string::npos; at = log.find("refused", at + 1)) ++refused;
  EXPECT_EQ(refused, 6);
}

TEST_F(HostSystemTest, FloatingTextsHitsScoreFileAndItems) {
  call("texts");
  xFloatingTextManager* texts = xFloatingTextManager::getInstance();
  ASSERT_EQ(texts->size(), 1u);
  texts->update();
  xFloatingText* text = texts->get(gfx::FloatingTextId{std::uint64_t(1) << 32});  // a fresh manager's first
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text, L"Bonus");
  EXPECT_EQ(text->lifeFrames, 60);
  EXPECT_EQ(text->fadeOutFrames, 20);
  EXPECT_NEAR(text->colour.g, 0.5f, 0.01f);
  EXPECT_NEAR(text->x, 100 + 200.0f / 60, 1e-3);

  xScoreManager* score = xScoreManager::getInstance();
  score->comboHits = 42;
  EXPECT_EQ(call("hits").intValue, 42);
  score->score = 3000000000u;  // above the int range
  call("storeScore");
  stg::ScoreFileRead stored = stg::readScoreFile(stg::kScoreFileName);
  EXPECT_EQ(stored.status, stg::ScoreFileStatus::Ok);
  EXPECT_EQ(stored.value, 3000000000u);

  call("items");
  xItemManager* items = xItemManager::getInstance();
  ASSERT_EQ(items->items.size(), 2u);
  EXPECT_EQ(items->items.front().kind, stg::ItemKind(1));
  EXPECT_FLOAT_EQ(items->items.front().x, 200);
  EXPECT_FLOAT_EQ(items->items.back().y, 100);
  call("noItems");
  EXPECT_TRUE(items->items.empty());
}

TEST_F(HostSystemTest, ExitEndsTheProcessAtOnce) {
  EXPECT_EXIT(call("quit"), ::testing::ExitedWithCode(0), "");
}

TEST_F(HostSystemTest, ABadGroupIsSilentAndOnlyTheUncheckedActs) {
  call("scenery");
  call("items");
  xScoreManager::getInstance()->comboHits = 5;
  const std::string config = dir_.read("config.ini");
  const std::size_t boxes = engine::recordedMessageBoxes().size();
  const std::size_t logSize = log().size();
  const std::vector<std::string> unchecked = {"htExit", "htEnableSeaSimulation", "htStopSeaSimulation",
                                              "htReturnToMain", "htPlayEndTheme", "htStopSCBackground",
                                              "htClearBackgroundCover", "htStoreScore", "htClearAllItems"};
  xScriptManager* scripts = xScriptManager::getInstance();
  std::string text = kDeclarations;
  int checked = 0;
  for (std::size_t at = text.find("host "); at != std::string::npos; at = text.find("host ", at + 1)) {
    std::string name = text.substr(at + 5, text.find('(', at) - at - 5);
    if (std::find(unchecked.begin(), unchecked.end(), name) != unchecked.end()) continue;
    EXPECT_EQ(xHostAPIManager::getInstance()->callFunc(name, GroupId{9}, scripts->focusedThread()), 1) << name;
    ++checked;
  }
  EXPECT_EQ(checked, 27);
  xBackgroundManager* bg = background();
  EXPECT_FLOAT_EQ(bg->speed, 3);
  EXPECT_FLOAT_EQ(bg->fogSpeed, 2.5f);
  EXPECT_EQ(bg->covers.size(), 2u);
  EXPECT_TRUE(globalVariableMap.empty());
  EXPECT_TRUE(xSystem::getInstance()->difficultyNames.empty());
  EXPECT_EQ(xSystem::getInstance()->shakeMode, -1);
  EXPECT_EQ(xTimerManager::getInstance()->size(), 0u);
  EXPECT_EQ(xFloatingTextManager::getInstance()->size(), 0u);
  EXPECT_EQ(xItemManager::getInstance()->items.size(), 2u);
  EXPECT_EQ(dir_.read("config.ini"), config);
  EXPECT_EQ(engine::recordedMessageBoxes().size(), boxes);
  EXPECT_EQ(log().size(), logSize);

  // The unchecked ones act for any caller.
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  registry->callFunc("htClearBackgroundCover", GroupId{9}, scripts->focusedThread());
  registry->callFunc("htClearAllItems", GroupId{9}, scripts->focusedThread());
  registry->callFunc("htStopSeaSimulation", GroupId{9}, scripts->focusedThread());
  EXPECT_TRUE(bg->covers.empty());
  EXPECT_TRUE(xItemManager::getInstance()->items.empty());
  EXPECT_FALSE(bg->seaEnabled);
}

}  // namespace
