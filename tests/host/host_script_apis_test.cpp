// Script groups, stage and scene switches, menu binding, keys and angles: compiled scripts driving the started game
// through its own frames, with scripted input.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "avg/xAVG.h"
#include "core/xMenu.h"
#include "engine/headless/headless.h"
#include "engine/platform.h"
#include "host/globalVariableMap.h"
#include "script/assembler/xScriptAssembler.h"
#include "script/manager/xScriptManager.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/mBulletManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "tests/app/app_fixture.h"

namespace {

using script::GroupId;
using script::ThreadIndex;

// One call of the scripts' "htNote(tag, value)".
struct Note {
  std::string tag;
  float value;
};

std::vector<Note>& notes() {
  static std::vector<Note> list;
  return list;
}

void host_Note(ThreadIndex t, GroupId g) {
  vm* group = xScriptManager::getInstance()->getScriptGroup(g);
  notes().push_back({group->getParamAsString(t, 1), group->getParamAsFloat(t, 0)});
}

constexpr const char* kHosts = R"(
host htNote(tag, value);
host htStoreVariable(value, key);
host htGetVariableAsInt(key);
host htLoadScript(file);
host htRemoveScript(thread);
host htSetCurrActiveScript(thread);
host htRemoveCurrActiveScript();
host htRunScript(file);
host htRunAVGScript(file);
host htRunSTGScript(file);
host htRunAVGScriptInSTG(file);
host htStageEnd();
host htTestKey(action);
host GetDegreeBetweenTwoPoints(x1, y1, x2, y2);
host bindScriptToMenuItem(menu, item, file);
)";

constexpr const char* kInitialize = "func init() { }\n";

constexpr const char* kStage = R"(
var updates;
var watch;
func init() { updates = 0; watch = 0; htNote("stage init", 0); }
func Update() {
  updates += 1;
  if (watch == 1) {
    if (htTestKey(6) == 1) { htNote("shoot", updates); }
    if (htTestKey(99) != 0) { htNote("unbound", updates); }
  }
}
func Render() { }
func watchKeys() { watch = 1; updates = 0; }
func handOver() {
  var t;
  t = htLoadScript("next.vkscript");
  htStoreVariable(t, "next");
  htSetCurrActiveScript(t);
  htNote("after hand-over", 0);
}
func loadMissing() { return htLoadScript("missing.vkscript"); }
func runAssembled() { htRunScript("run.vkasmb"); }
func nextStage() { htRunSTGScript("second.vkscript"); }
func scene() { htRunAVGScript("odd%s.txt"); }
func talk() { htRunAVGScriptInSTG("talk.txt"); }
func noTalk() { htRunAVGScriptInSTG("missing.txt"); }
func onAVGEnd() { htNote("scene end", 0); }
func bind() {
  bindScriptToMenuItem(0, 0, "missing.vkscript");
  bindScriptToMenuItem(0, 0, "bound.vkscript");
}
func angles() {
  htNote("right", GetDegreeBetweenTwoPoints(1, 1, 11, 1));
  htNote("down", GetDegreeBetweenTwoPoints(0, 0, 0, 10));
  htNote("left", GetDegreeBetweenTwoPoints(0, 0, -10, 0));
  htNote("up", GetDegreeBetweenTwoPoints(5, 5, 5, -5));
  htNote("diagonal", GetDegreeBetweenTwoPoints(0, 0, -3, 3));
}
)";

constexpr const char* kNext = R"(
func init() { htNote("next init", 0); }
func Update() { htNote("next update", 0); }
func Render() { }
func quit() { htRemoveScript(htGetVariableAsInt("next")); htNote("after removal", 0); }
func leave() { htRemoveCurrActiveScript(); htNote("after removal", 0); }
)";

constexpr const char* kSecond = R"(
func init() { htNote("second init", 0); }
func Update() { htNote("second update", 0); }
)";

constexpr const char* kRun = R"(
func _main() { htNote("main", 0); }
func again() { htNote("again", 0); }
)";

constexpr const char* kBound = R"(
func init() { htNote("bound init", 0); }
)";

class HostScriptTest : public app::test::GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    notes().clear();
    linkGameData(false);
    std::filesystem::create_symlink(VELMORA_SOURCE_DIR "/data/defines.txt", "defines.txt");
  }

  // Starts the game up with the test's scripts, and focuses "stage.vkscript"
  // in the scripts' own group, in the stage state.
  void startInStage() {
    std::string hosts = kHosts;
    dir_.write("initialize.vkscript", hosts + kInitialize);
    dir_.write("stage.vkscript", hosts + kStage);
    dir_.write("next.vkscript", hosts + kNext);
    dir_.write("second.vkscript", hosts + kSecond);
    dir_.write("bound.vkscript", hosts + kBound);
    dir_.write("run.vkscript", hosts + kRun);
    dir_.write("odd%s.txt", "dela 2 ;\n");
    dir_.write("talk.txt", "addb 2 ;\ndela 2 ;\n");
    startGame();
    xHostAPIManager::getInstance()->addFunc("htNote", host_Note);
    xScriptManager* scripts = xScriptManager::getInstance();
    scripts->setCurrFocusScript(activeScriptGroupID, scripts->loadScript(activeScriptGroupID, "stage.vkscript"));
    system->setState(STATE_STG);
    notes().clear();
  }

  static xScriptManager* scripts() { return xScriptManager::getInstance(); }
  static void callFocused(const char* func) {
    ASSERT_TRUE(scripts()->callFunc(func, scripts()->focusedGroup(), scripts()->focusedThread())) << func;
  }
  static int count(const std::string& tag) {
    int n = 0;
    for (const Note& note : notes()) n += note.tag == tag;
    return n;
  }
  static std::vector<float> values(const std::string& tag) {
    std::vector<float> out;
    for (const Note& note : notes()) {
      if (note.tag == tag) out.push_back(note.value);
    }
    return out;
  }
  bool logHas(const std::string& line) const { return log().find("\n" + line + "\n") != std::string::npos; }

  // Runs engine frames (frame, then render callback) until [frames] have run
  // or [until] holds after one; the frames run.
  static long run(long frames, std::function<bool()> until = {}) {
    state().left = frames;
    state().ran = 0;
    state().until = std::move(until);
    hge->System_SetState(HGE_FRAMEFUNC, &HostScriptTest::frame);
    hge->System_SetState(HGE_RENDERFUNC, RenderFunc);
    EXPECT_TRUE(hge->System_Start());
    return state().ran;
  }
  // [key] goes down at the next frame run and up [hold] frames later.
  static void press(int key, long hold = 1) {
    long at = engine::headless::frameCount();
    engine::headless::keyDown(at, key);
    engine::headless::keyUp(at + hold, key);
  }
  // Enter every [period] frames (a binding takes a new press only 16
  // frames after the last), [times] times, from the next frame run.
  static void confirmEvery(long period, long times) {
    long at = engine::headless::frameCount();
    for (long i = 0; i < times; ++i) {
      engine::headless::keyDown(at + i * period, HGEK_ENTER);
      engine::headless::keyUp(at + i * period + 1, HGEK_ENTER);
    }
  }

 private:
  struct RunState {
    long left = 0;
    long ran = 0;
    std::function<bool()> until;
  };
  static RunState& state() {
    static RunState s;
    return s;
  }
  static bool frame() {
    FrameFunc();
    ++state().ran;
    return --state().left <= 0 || (state().until && state().until());
  }
};

// Each step ends the calling script's own call where the script lost its
// thread; under AddressSanitizer this also proves nothing reads freed code.
TEST_F(HostScriptTest, AFocusedScriptHandsOverOrRemovesItselfAndItsCallEndsThere) {
  startInStage();
  const ThreadIndex stage = scripts()->focusedThread();
  callFocused("handOver");
  const ThreadIndex next{std::stoi(globalVariableMap["next"])};
  EXPECT_NE(next, stage);
  EXPECT_EQ(count("next init"), 1);
  EXPECT_EQ(count("after hand-over"), 0);
  EXPECT_EQ(scripts()->focusedThread(), next);
  EXPECT_EQ(scripts()->focusedGroup(), activeScriptGroupID);
  EXPECT_EQ(scripts()->getScriptGroup(activeScriptGroupID)->getThread(stage), nullptr);
  run(2);
  EXPECT_EQ(count("next update"), 2);

  // By its thread index ("htRemoveScript"), then as the focused script.
  callFocused("quit");
  EXPECT_EQ(count("after removal"), 0);
  EXPECT_EQ(scripts()->getScriptGroup(activeScriptGroupID)->getThread(next), nullptr);
  run(2);
  EXPECT_EQ(count("next update"), 2);

  scripts()->setCurrFocusScript(activeScriptGroupID, scripts()->loadScript(activeScriptGroupID, "next.vkscript"));
  const ThreadIndex again = scripts()->focusedThread();
  run(1);
  callFocused("leave");
  EXPECT_EQ(count("after removal"), 0);
  EXPECT_EQ(scripts()->focusedThread(), again);  // the focus itself stays
  EXPECT_EQ(scripts()->getScriptGroup(activeScriptGroupID)->getThread(again), nullptr);
  run(2);
  EXPECT_EQ(count("next update"), 3);
}

TEST_F(HostScriptTest, ScriptsLoadOrRunAnAssembledFileAndABadGroupChangesNothing) {
  hge->Ini_SetInt("Extra", "DeleteAssembledScript", 0);  // read at the first load
  startInStage();
  vm_script* stage = scripts()->getScriptGroup(activeScriptGroupID)->getThread(scripts()->focusedThread());

  // Called from a group that does not exist: the family's line, nothing else.
  const GroupId bad{999};
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  for (const char* name : {"htLoadScript", "htRemoveScript", "htSetCurrActiveScript", "htRunScript", "htRunAVGScript",
                           "htRunSTGScript", "htRunAVGScriptInSTG", "htTestKey", "GetDegreeBetweenTwoPoints",
                           "bindScriptToMenuItem"}) {
    EXPECT_EQ(registry->callFunc(name, bad, ThreadIndex{0}), 1) << name;
  }
  for (const char* line :
       {"host_loadScript: invalid script group id", "host_RemoveScript: invalid script group id",
        "host_SetCurrActiveScript: invalid script group id", "host_RunAVGScript: invalid script group id",
        "host_RunSTGScript: invalid script group id", "host_RunAVGScript_STG: invalid script group id",
        "host_GetDegreeBetweenTwoPoints: Error loading script manager 999",
        "BindScriptToMenuItem: Error loading script manager 999"}) {
    EXPECT_TRUE(logHas(line)) << line;
  }
  EXPECT_EQ(system->transitionCounter, xSystem::kNoTransition);
  EXPECT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(scripts()->focusedThread(), stage->index());

  callFocused("loadMissing");
  EXPECT_EQ(stage->retval().intValue, -1);

  // An assembled file runs its "_main" without a compile step and stays loaded.
  ASSERT_NE(scripts()->loadScript(scripts()->addScriptGroup(), "run.vkscript"), script::kNoThread);
  xScriptAssembler assembler;
  ASSERT_TRUE(assembler.loadSource("run.vkscript.vkasm"));
  ASSERT_TRUE(assembler.assemble());
  ASSERT_TRUE(assembler.writeBinary("run.vkasmb"));
  callFocused("runAssembled");
  EXPECT_EQ(count("main"), 1);
  vm* own = scripts()->getScriptGroup(activeScriptGroupID);
  ASSERT_TRUE(scripts()->callFunc("again", activeScriptGroupID, own->lastLoadedThread()));
  EXPECT_EQ(count("again"), 1);
}

// What a retry returns to is the player and the score at the call, the
// score itself included; the new stage runs from the 60th frame.
TEST_F(HostScriptTest, ANewStageStartsAtTheFadesMiddleFromTheValuesTakenAtTheCall) {
  startInStage();
  xPlayer* player = xPlayer::getInstance();
  xScoreManager* score = xScoreManager::getInstance();
  player->lives = 4;
  player->bombs = 1;
  player->power = 2.5f;
  score->score = 7700;
  score->stage = 2;
  score->runHits = 30;
  callFocused("nextStage");
  EXPECT_EQ(system->stageScriptName, "second.vkscript");
  EXPECT_EQ(system->pendingState, STATE_STG);
  player->lives = 0;
  player->power = 0;
  score->score = 9900;
  score->stage = 3;

  EXPECT_EQ(run(xSystem::kSwitchFrame - 1), xSystem::kSwitchFrame - 1);
  EXPECT_EQ(count("second init"), 0);
  EXPECT_EQ(count("stage init"), 0);
  run(1);
  EXPECT_EQ(count("second init"), 1);
  EXPECT_EQ(system->getState(), STATE_STG);
  run(xSystem::kSwitchFrame);
  EXPECT_EQ(count("second update"), xSystem::kSwitchFrame);
  EXPECT_NEAR(system->blackCover->color.a, 0, 1e-3);

  system->hooks.retryStage();
  EXPECT_EQ(player->lives, 4);
  EXPECT_EQ(player->bombs, 1);
  EXPECT_FLOAT_EQ(player->power, 2.5f);
  EXPECT_EQ(score->score, 7700u);
  EXPECT_EQ(score->stage, 2);
  EXPECT_EQ(score->runHits, 30u);
}

TEST_F(HostScriptTest, ScenesPlayFullScreenAfterTheFadeOrAtOnceOverTheStage) {
  startInStage();
  // A name with a conversion in it is logged as it is.
  callFocused("scene");
  EXPECT_TRUE(logHas("odd%s.txt"));
  run(xSystem::kSwitchFrame);
  EXPECT_EQ(system->getState(), STATE_AVG);
  EXPECT_TRUE(xAVG::getInstance()->active);
  run(5);
  EXPECT_EQ(count("scene end"), 1);

  // Over the stage: a file that cannot be read leaves the bullets alone.
  system->setState(STATE_STG);
  mBulletManager::setTexture("bullets.png");
  mBulletManager* bullets = mBulletManager::getInstance();
  auto immortal = std::make_unique<mBullet>();
  immortal->texRect.w = immortal->texRect.h = 16;
  immortal->immortal = true;
  mBullet* kept = bullets->addBullet(std::move(immortal));
  ASSERT_NE(kept, nullptr);
  callFocused("noTalk");
  EXPECT_TRUE(logHas("host_RunAVGScript_STG: invalid script file missing.txt"));
  EXPECT_FALSE(kept->cleared);
  EXPECT_EQ(system->getState(), STATE_STG);

  xPlayer* player = xPlayer::getInstance();
  const int bombs = player->bombs;
  callFocused("talk");
  EXPECT_EQ(system->getState(), STATE_AVG_IN_STG);
  EXPECT_EQ(system->transitionCounter, xSystem::kNoTransition);
  EXPECT_EQ(system->scriptName, "talk.txt");
  EXPECT_TRUE(kept->cleared);
  EXPECT_EQ(player->bombs, bombs + 2);
  run(5, [] { return xSystem::getInstance()->getState() == STATE_STG; });
  EXPECT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(count("scene end"), 1);  // a scene over the stage calls nothing
}

TEST_F(HostScriptTest, AScriptBoundToAMenuItemRunsItsInitAndIsFocusedWhenTheItemIsChosen) {
  startInStage();
  xMenuManager* menus = xMenuManager::getInstance();
  auto owned = std::make_unique<xMenu>(L"DFGirl.ttf", 20);
  owned->addItem(L"Go", 400, 300);
  xMenu* menu = owned.get();
  menus->current = menus->addMenu(std::move(owned));

  // A file that does not load binds nothing, so the good one is found first.
  callFocused("bind");
  EXPECT_TRUE(logHas("BindScriptToMenuItem: Error adding script missing.vkscript to script group"));
  EXPECT_EQ(count("bound init"), 1);
  const ThreadIndex bound = menu->findBinding(0);
  ASSERT_NE(bound, script::kNoThread);
  EXPECT_TRUE(logHas("BindScriptToMenuItem: binded script to menu item: 0, 0, " + std::to_string(script::toInt(bound))));

  press(HGEK_ENTER);
  run(2);
  EXPECT_EQ(count("bound init"), 2);
  EXPECT_EQ(scripts()->focusedGroup(), menu->scriptGroupId);
  EXPECT_EQ(scripts()->focusedThread(), bound);
  EXPECT_FALSE(menu->active);
}

// A stage that loads and focuses itself in its "init", and a script that
// binds itself to a menu item in its "init", nest calls without end: the
// call past the limit is refused and reported once per nest, and the game
// goes on.
TEST_F(HostScriptTest, EndlessNestingThroughHostFunctionsIsRefusedOncePerNest) {
  const std::string hosts = kHosts;
  dir_.write("case.vkscript", hosts + R"(
func init() { var t; htNote("case", 0); t = htLoadScript("case.vkscript"); htSetCurrActiveScript(t); }
)");
  dir_.write("menu.vkscript", hosts + R"(
func init() { htNote("menu", 0); bindScriptToMenuItem(0, 0, "menu.vkscript"); }
)");
  startInStage();
  const std::string box = "Error: Script VM Error: Script calls nested too deep\n";
  const std::string line = "vm_script::callFunc: script calls nested 64 deep, call of init refused";
  auto lines = [&] {
    std::string text = log();
    int n = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
  };

  system->changeState(STATE_STG, true, "case.vkscript");
  EXPECT_EQ(run(xSystem::kSwitchFrame + 10), xSystem::kSwitchFrame + 10);
  EXPECT_EQ(count("case"), script::kMaxNestedCalls);
  EXPECT_EQ(engine::recordedMessageBoxes(), std::vector<std::string>{box});
  EXPECT_EQ(lines(), 1);
  EXPECT_FALSE(logHas("xScriptManager::callFunc: invalid func name init"));
  run(xSystem::kSwitchFrame * 2);
  EXPECT_EQ(system->getState(), STATE_TITLE) << "back to the title after the box";

  auto menu = std::make_unique<xMenu>(L"DFGirl.ttf", 20);
  menu->addItem(L"Go", 400, 300);
  ASSERT_EQ(xMenuManager::getInstance()->addMenu(std::move(menu)), 0);
  ThreadIndex binder = scripts()->loadScript(activeScriptGroupID, "menu.vkscript");
  EXPECT_TRUE(scripts()->callFunc("init", activeScriptGroupID, binder));
  EXPECT_EQ(count("menu"), script::kMaxNestedCalls);
  EXPECT_EQ(engine::recordedMessageBoxes(), (std::vector<std::string>{box, box}));
  EXPECT_EQ(lines(), 2);
}

TEST_F(HostScriptTest, KeysArePressedOnTheirFirstFrameThenEverySixteenthAndAnglesPointDownAt90) {
  startInStage();
  callFocused("watchKeys");
  run(3);
  press('Z', 40);
  run(45);
  EXPECT_EQ(values("shoot"), (std::vector<float>{4, 20, 36}));
  EXPECT_EQ(count("unbound"), 0);

  callFocused("angles");
  EXPECT_FLOAT_EQ(values("right").at(0), 0);
  EXPECT_FLOAT_EQ(values("down").at(0), 90);
  EXPECT_FLOAT_EQ(values("left").at(0), 180);
  EXPECT_FLOAT_EQ(values("up").at(0), -90);
  EXPECT_FLOAT_EQ(values("diagonal").at(0), 135);
}

// The demo's own scripts: a new game's stage, the talk over it, the board
// after the boss, the scene after the board, then the second stage.
TEST_F(HostScriptTest, TheDemoSwitchesBetweenItsStageAndScenesThroughItsScriptsAlone) {
  hge->Ini_SetInt("STG", "ILoveRuvo", 1);  // the ship stands still under fire
  std::filesystem::create_symlink(VELMORA_SOURCE_DIR "/data/initialize.vkscript", "initialize.vkscript");
  startGame();
  system->startNewGame();
  run(xSystem::kSwitchFrame);
  ASSERT_EQ(system->getState(), STATE_STG);
  EXPECT_EQ(system->stageScriptName, "data/stage1.vkscript");
  EXPECT_EQ(scripts()->focusedGroup(), activeScriptGroupID);

  auto stateIs = [](GameState s) { return [s] { return xSystem::getInstance()->getState() == s; }; };
  run(100, stateIs(STATE_AVG_IN_STG));
  ASSERT_EQ(system->getState(), STATE_AVG_IN_STG);
  confirmEvery(20, 30);
  run(600, stateIs(STATE_STG));
  ASSERT_EQ(system->getState(), STATE_STG);

  // The boss is beaten as far as the stage can tell; "htStageEnd" shows the
  // board at once, whose end calls "onScoreBoardEnd", which fades to the
  // scene (each count includes the frame that started it).
  xScriptManager::getInstance()->callCurrFunc("onBossDie");
  run(400, stateIs(STATE_SCOREBOARD));
  ASSERT_EQ(system->getState(), STATE_SCOREBOARD);
  EXPECT_EQ(run(500, stateIs(STATE_AVG)), xScoreManager::kBoardEndFrame - 1 + xSystem::kSwitchFrame - 1);
  ASSERT_EQ(system->getState(), STATE_AVG);
  EXPECT_EQ(system->scriptName, "data/avg/prologue.txt");
  confirmEvery(20, 100);
  // The scene's end hands over to the second stage.
  run(2000, [] { return xSystem::getInstance()->pendingState == STATE_STG; });
  EXPECT_EQ(system->pendingState, STATE_STG);
  EXPECT_EQ(system->scriptName, "data/stage2.vkscript");
  EXPECT_TRUE(engine::recordedMessageBoxes().empty());
}

}  // namespace
