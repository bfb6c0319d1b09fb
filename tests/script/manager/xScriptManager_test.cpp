// The script manager: groups, the load pipeline's files and failures, focus, calls by name and every message.
#include <filesystem>

#include "base/resource_path.h"
#include "script/assembler/xScriptAssembler.h"
#include "tests/script/manager/manager_fixture.h"

namespace {

using script::GroupId;
using script::ThreadIndex;
using testing_support::ManagerTest;

// Globals start unset (null), which arithmetic leaves alone: "zero" sets them.
constexpr const char* kCounter = R"(
var calls;
func zero() { calls = 0; }
func init() { calls += 1; }
func Update() { calls += 10; }
func Render() { calls += 100; }
func get() { return calls; }
)";

ThreadIndex zeroed(GroupId g, ThreadIndex t) {
  EXPECT_TRUE(xScriptManager::getInstance()->callFunc("zero", g, t));
  return t;
}

int calls(GroupId g, ThreadIndex t) {
  if (!xScriptManager::getInstance()->callFunc("get", g, t)) return -1;
  return ManagerTest::retval(g, t).intValue;
}

// The game's paths confined to run/ as the game confines them, for the scope.
struct RunFolderConfinement {
  RunFolderConfinement() {
    std::filesystem::current_path("run");
    base::confineGamePathsToRunFolder();
  }
  ~RunFolderConfinement() { engine::confineGamePaths(nullptr); }
};

TEST_F(ManagerTest, GroupsAreNumberedAndResetKeepsTheId) {
  EXPECT_EQ(manager()->addScriptGroup(), GroupId{0});
  GroupId g;
  ThreadIndex t = loadNew(kCounter, &g);
  EXPECT_EQ(g, GroupId{1});
  vm* before = manager()->getScriptGroup(g);
  ASSERT_NE(before, nullptr);
  manager()->resetScriptGroup(g);
  ASSERT_NE(manager()->getScriptGroup(g), nullptr);
  EXPECT_EQ(manager()->getScriptGroup(g)->id(), g);
  EXPECT_FALSE(manager()->getScriptGroup(g)->isThreadValid(t));
  manager()->resetScriptGroup(GroupId{7});  // out of range: nothing
  EXPECT_EQ(manager()->groupCount(), 2);
  EXPECT_EQ(manager()->getScriptGroup(GroupId{-1}), nullptr);
  EXPECT_EQ(manager()->getScriptGroup(GroupId{2}), nullptr);
}

TEST_F(ManagerTest, LoadingOneSourceTwiceGivesTwoThreadsAndRemovesTheIntermediates) {
  GroupId g = manager()->addScriptGroup();
  ThreadIndex a = load(g, kCounter, "boss1.vkscript");
  ThreadIndex b = manager()->loadScript(g, "boss1.vkscript");
  ASSERT_NE(a, script::kNoThread);
  ASSERT_NE(b, script::kNoThread);
  EXPECT_NE(a, b);
  EXPECT_FALSE(std::filesystem::exists("boss1.vkscript.vkasm"));
  EXPECT_FALSE(std::filesystem::exists("boss1.vkscript.vkasmb"));
  EXPECT_EQ(manager()->loadScript(GroupId{5}, "boss1.vkscript"), script::kNoThread);
}

TEST_F(ManagerTest, DeleteAssembledScriptZeroKeepsTheListingOnly) {
  hge_->Ini_SetInt("Extra", "DeleteAssembledScript", 0);
  GroupId g = manager()->addScriptGroup();
  ASSERT_NE(load(g, kCounter, "boss1.vkscript"), script::kNoThread);
  EXPECT_TRUE(std::filesystem::exists("boss1.vkscript.vkasm"));
  EXPECT_FALSE(std::filesystem::exists("boss1.vkscript.vkasmb"));
}

TEST_F(ManagerTest, BadNamesShowTheirBoxesAndLoadNothing) {
  GroupId g = manager()->addScriptGroup();
  dir_.write("a.vasmb.vkscript", kCounter);
  EXPECT_EQ(manager()->loadScript(g, "a.vasmb.vkscript"), script::kNoThread);
  EXPECT_TRUE(boxShown("Fatal Error: Error Compiling script file"));
  EXPECT_FALSE(std::filesystem::exists("a.vasmb.vkscript.vkasm"));

  EXPECT_EQ(manager()->loadScript(g, "missing.vkscript"), script::kNoThread);
  EXPECT_TRUE(boxShown("Fatal Error: Error Assembling script file"));
}

TEST_F(ManagerTest, AFailedStepLoadsNothingAndStaleFilesCannotStandIn) {
  // An assembled file and a listing from an earlier, good run of the same name.
  GroupId g = manager()->addScriptGroup();
  hge_->Ini_SetInt("Extra", "DeleteAssembledScript", 0);
  ASSERT_NE(load(g, kCounter, "s.vkscript"), script::kNoThread);
  ASSERT_TRUE(std::filesystem::exists("s.vkscript.vkasm"));
  std::filesystem::copy_file("s.vkscript.vkasm", "keep.vkasm");

  // A lexer error: reported, and nothing is loaded.
  dir_.write("s.vkscript", "func init() { x = @; }\n");
  EXPECT_EQ(manager()->loadScript(g, "s.vkscript"), script::kNoThread);
  EXPECT_FALSE(diagnostics_.empty());
  EXPECT_FALSE(std::filesystem::exists("s.vkscript.vkasm"));
  EXPECT_FALSE(std::filesystem::exists("s.vkscript.vkasmb"));

  // An assembler error (a ';' in a string starts a comment there) loads nothing either.
  diagnostics_.clear();
  std::filesystem::copy_file("keep.vkasm", "s.vkscript.vkasmb");
  dir_.write("s.vkscript", "func f() { print(\"a;b\"); }\n");
  EXPECT_EQ(manager()->loadScript(g, "s.vkscript"), script::kNoThread);
  EXPECT_TRUE(diagnostics_.empty());
  EXPECT_FALSE(std::filesystem::exists("s.vkscript.vkasmb"));
}

// Sources, includes, listings and assembled files are all opened through the
// engine's path resolver: any case, backslashes, code page 936 names.
TEST_F(ManagerTest, EveryFileGoesThroughThePathResolver) {
  GroupId g = manager()->addScriptGroup();
  dir_.write("scripts/init2.vkscript", "#include \"SCRIPTS\\Lib.vkscript\"\nfunc f() { return lib() + 1; }\n");
  dir_.write("scripts/lib.vkscript", "func lib() { return 6; }\n");
  dir_.write("\xe8\x84\x9a\xe6\x9c\xac.vkscript", "func f() { return 9; }\n");  // UTF-8 on disk
  engine::clearPathCache();
  ThreadIndex t = manager()->loadScript(g, "Scripts\\Init2.VKSCRIPT");
  ASSERT_NE(t, script::kNoThread) << (diagnostics_.empty() ? "" : diagnostics_[0]);
  ASSERT_TRUE(manager()->callFunc("f", g, t));
  EXPECT_EQ(retval(g, t).intValue, 7);
  ThreadIndex named = manager()->loadScript(g, "\xbd\xc5\xb1\xbe.vkscript");  // the same name in code page 936
  ASSERT_NE(named, script::kNoThread) << (diagnostics_.empty() ? "" : diagnostics_[0]);
  ASSERT_TRUE(manager()->callFunc("f", g, named));
  EXPECT_EQ(retval(g, named).intValue, 9);
  EXPECT_TRUE(diagnostics_.empty());
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path())) {
    EXPECT_NE(entry.path().extension(), ".vkasmb") << entry.path();
  }
}

// Reading an include twice loses nothing: the script loads after the message.
// A missing include still stops the load.
TEST_F(ManagerTest, ADuplicateIncludeIsReportedAndTheScriptLoads) {
  GroupId g = manager()->addScriptGroup();
  dir_.write("lib.vkscript", "func lib() { return 4; }\n");
  dir_.write("mid.vkscript", "#include \"lib.vkscript\"\n");
  ThreadIndex t = load(g, "#include \"mid.vkscript\"\n#include \"lib.vkscript\"\nfunc f() { return lib(); }\n");
  EXPECT_EQ(diagnostics_, std::vector<std::string>{"Duplicate include file: lib.vkscript"});
  ASSERT_NE(t, script::kNoThread);
  ASSERT_TRUE(manager()->callFunc("f", g, t));
  EXPECT_EQ(retval(g, t).intValue, 4);
  EXPECT_EQ(load(g, "#include \"gone.vkscript\"\nfunc f() { return 1; }\n"), script::kNoThread);
}

// A listing or assembled file that cannot be written names itself and the
// reason, and nothing is loaded.
TEST_F(ManagerTest, AnUnwritableIntermediateFileIsReportedByNameAndLoadsNothing) {
  GroupId g = manager()->addScriptGroup();
  std::filesystem::create_directory("a.vkscript.vkasm");
  EXPECT_EQ(load(g, kCounter, "a.vkscript"), script::kNoThread);
  EXPECT_EQ(diagnostics_,
            std::vector<std::string>{"Could not open output file for output: a.vkscript.vkasm (Is a directory)"});
  std::filesystem::create_directory("b.vkscript.vkasmb");
  EXPECT_EQ(load(g, kCounter, "b.vkscript"), script::kNoThread);
  EXPECT_TRUE(boxShown("Error: Fatal Error: Could not open executable file for output: b.vkscript.vkasmb "
                       "(Is a directory).\n"));
}

// A name that leads to a device or a folder fails like a missing file and
// says why, without reading anything; so does such an include.
TEST_F(ManagerTest, OnlyARegularFileLoadsAsAScript) {
  GroupId g = manager()->addScriptGroup();
  std::filesystem::create_symlink("/dev/zero", "zero.vkscript");
  std::filesystem::create_directory("folder.vkscript");
  EXPECT_EQ(manager()->loadScript(g, "zero.vkscript"), script::kNoThread);
  EXPECT_EQ(manager()->loadScript(g, "/dev/zero"), script::kNoThread);  // a tool's own path, not confined
  EXPECT_EQ(manager()->loadScript(g, "folder.vkscript"), script::kNoThread);
  EXPECT_EQ(load(g, "#include \"zero.vkscript\"\nfunc f() { return 1; }\n"), script::kNoThread);
  EXPECT_EQ(diagnostics_, (std::vector<std::string>{"Cannot open file: zero.vkscript (not a regular file)",
                                                    "Cannot open file: /dev/zero (not a regular file)",
                                                    "Cannot open file: folder.vkscript (Is a directory)",
                                                    "Cannot open file: zero.vkscript (not a regular file)"}));
  EXPECT_TRUE(std::filesystem::is_directory("folder.vkscript"));
}

// Confined as the game runs it: a script or an include named outside the run
// folder is refused by name, once, and nothing outside is read, written or
// deleted; a name that only passes through a sibling folder loads.
TEST_F(ManagerTest, ConfinedScriptNamesStayInsideTheRunFolder) {
  dir_.write("outside/x.vkscript", kCounter);
  dir_.write("outside/x.vkscript.vkasm", "kept");
  dir_.write("outside/x.vkscript.vkasmb", "kept");
  dir_.write("run/scripts/lib.vkscript", "func lib() { return 5; }\n");
  dir_.write("run/stage/main.vkscript", "#include \"stage\\..\\scripts\\lib.vkscript\"\nfunc f() { return lib(); }\n");
  dir_.write("run/inc.vkscript", "#include \"../outside/x.vkscript\"\nfunc f() { return 1; }\n");
  RunFolderConfinement confined;
  const std::string absolute = (dir_.path() / "outside/x.vkscript").string();

  GroupId g = manager()->addScriptGroup();
  hge_->Ini_SetInt("Extra", "DeleteAssembledScript", 0);
  EXPECT_EQ(manager()->loadScript(g, absolute), script::kNoThread);
  EXPECT_EQ(manager()->loadScript(g, "scripts\\..\\..\\outside\\x.vkscript"), script::kNoThread);
  EXPECT_EQ(manager()->loadScript(g, "inc.vkscript"), script::kNoThread);
  EXPECT_EQ(diagnostics_,
            std::vector<std::string>{"Cannot open file: ../outside/x.vkscript (outside the game folder)"});
  ThreadIndex t = manager()->loadScript(g, "data\\..\\stage\\main.vkscript");
  ASSERT_NE(t, script::kNoThread);
  ASSERT_TRUE(manager()->callFunc("f", g, t));
  EXPECT_EQ(retval(g, t).intValue, 5);

  const std::string log = dir_.read("run/log.txt");
  const std::string refused = "Refused a path outside the game folder: ";
  for (const std::string& name : {absolute, std::string("scripts\\..\\..\\outside\\x.vkscript"),
                                  std::string("../outside/x.vkscript")}) {
    std::size_t first = log.find(refused + name + "\n");
    EXPECT_NE(first, std::string::npos) << name << " in\n" << log;
    EXPECT_EQ(log.find(refused + name + "\n", first + 1), std::string::npos) << name << " in\n" << log;
  }
  EXPECT_EQ(dir_.read("outside/x.vkscript.vkasm"), "kept");
  EXPECT_EQ(dir_.read("outside/x.vkscript.vkasmb"), "kept");
  EXPECT_TRUE(std::filesystem::exists("stage/main.vkscript.vkasm"));
}

// A pack in data/ that links out: its sources are not read, no listing is
// written beside them and no earlier intermediates there are deleted; an
// include through the link is refused too.
TEST_F(ManagerTest, ConfinedScriptsDoNotFollowLinksOutOfTheDataFolder) {
  dir_.write("outside/victim.vkasm", "kept");
  dir_.write("outside/victim.vkasmb", "kept");
  dir_.write("outside/src.vkscript", kCounter);
  dir_.write("run/data/inc.vkscript", "#include \"data/pack/src.vkscript\"\nfunc f() { return 1; }\n");
  std::filesystem::create_directory_symlink(dir_.path() / "outside", dir_.path() / "run/data/pack");
  RunFolderConfinement confined;

  GroupId g = manager()->addScriptGroup();
  EXPECT_EQ(manager()->loadScript(g, "data/pack/victim"), script::kNoThread);
  EXPECT_EQ(manager()->loadScript(g, "data/pack/src.vkscript"), script::kNoThread);
  EXPECT_EQ(manager()->loadScript(g, "data/inc.vkscript"), script::kNoThread);
  EXPECT_EQ(dir_.read("outside/victim.vkasm"), "kept");
  EXPECT_EQ(dir_.read("outside/victim.vkasmb"), "kept");
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "outside/src.vkscript.vkasm"));
  const std::string log = dir_.read("run/log.txt");
  for (const char* name : {"data/pack/victim", "data/pack/src.vkscript"}) {
    EXPECT_NE(log.find(std::string("Refused a path outside the game folder: ") + name + "\n"), std::string::npos)
        << name << " in\n" << log;
  }
  EXPECT_EQ(diagnostics_,
            std::vector<std::string>{"Cannot open file: data/pack/src.vkscript (outside the game folder)"});
}

TEST_F(ManagerTest, CallFuncMessages) {
  GroupId g;
  ThreadIndex t = loadNew(kCounter, &g);
  zeroed(g, t);
  EXPECT_TRUE(manager()->callFunc("INIT", g, t));
  EXPECT_EQ(calls(g, t), 1);
  EXPECT_FALSE(manager()->callFunc("init", GroupId{9}, t));
  EXPECT_TRUE(logHas("xScriptManager::callFunc: invalid script manager id"));
  EXPECT_FALSE(manager()->callFunc("nothere", g, t));
  EXPECT_TRUE(logHas("xScriptManager::callFunc: invalid func name nothere"));
  EXPECT_FALSE(manager()->callFunc("init", g, ThreadIndex{4}));
  EXPECT_TRUE(logHas("xScriptManager::callFunc: invalid func name init"));
}

TEST_F(ManagerTest, FocusUnloadsThePreviousThreadAndCallsInit) {
  GroupId g;
  ThreadIndex first = zeroed(g, loadNew(kCounter, &g));
  manager()->setCurrFocusScript(g, first);
  EXPECT_EQ(calls(g, first), 1);
  EXPECT_TRUE(logHas("xScriptManager::setCurrFocusScript 0, 0"));
  manager()->callCurrUpdateFunc();
  manager()->callCurrRenderFunc();
  manager()->callCurrFunc("init");
  EXPECT_EQ(calls(g, first), 112);

  ThreadIndex second = zeroed(g, manager()->loadScript(g, "test.vkscript"));
  manager()->setCurrFocusScript(g, second);
  EXPECT_FALSE(manager()->getScriptGroup(g)->isThreadValid(first));
  EXPECT_EQ(calls(g, second), 1);
  EXPECT_TRUE(logHas("xScriptManager::setCurrFocusScript 1, 0"));
  EXPECT_EQ(manager()->focusedThread(), second);
  EXPECT_EQ(manager()->focusedGroup(), g);

  // Focusing the focused thread again reruns its "init" without unloading it.
  manager()->setCurrFocusScript(g, second);
  EXPECT_EQ(calls(g, second), 2);
}

TEST_F(ManagerTest, FocusedCallsWithoutAValidGroupLogTheirMessages) {
  manager()->callCurrFunc("onAVGEnd");
  EXPECT_TRUE(logHas("xScriptManager::callCurrFunc: invalid focused script manager id"));
  manager()->callCurrUpdateFunc();
  std::string text = log();
  std::string line = "xScriptManager::callCurrRenderFunc: invalid focused script manager id\n";
  std::size_t first = text.find(line);
  ASSERT_NE(first, std::string::npos);
  manager()->callCurrRenderFunc();
  EXPECT_NE(log().find(line, first + line.size()), std::string::npos);
  manager()->pushCurrFloatParam(1.0f);  // no focus: nothing to push to
}

TEST_F(ManagerTest, FocusedCallsSkipMissingFunctionsSilently) {
  GroupId g;
  ThreadIndex t = loadNew("func init() { }\n", &g);
  manager()->setCurrFocusScript(g, t);
  std::string before = log();
  manager()->callCurrUpdateFunc();
  manager()->callCurrRenderFunc();
  manager()->callCurrFunc("onBossDie");
  EXPECT_EQ(log(), before);
}

TEST_F(ManagerTest, BoundFunctionsGetPushedArgumentsInSourceOrder) {
  GroupId g;
  ThreadIndex t = loadNew(R"(
var seen;
func init() { }
func bullet(x, y, heading) { seen = "(" $ x $ "," $ y $ "," $ heading; return x * 100 + y * 10 + heading; }
func timer() { return 7; }
func get() { return seen; }
)", &g);
  manager()->setCurrFocusScript(g, t);
  for (float v : {1.0f, 2.0f, 3.0f}) manager()->pushCurrFloatParam(v);
  manager()->callCurrFunc("bullet");
  EXPECT_FLOAT_EQ(retval(g, t).floatValue, 123.0f);
  ASSERT_TRUE(manager()->callFunc("get", g, t));
  EXPECT_EQ(retval(g, t).text, "(1.000000,2.000000,3.000000");

  // An unknown name, too few and too many arguments: the stack stays as it was.
  vm_script* thread = manager()->getScriptGroup(g)->getThread(t);
  int top = thread->top();
  for (float v : {1.0f, 2.0f}) manager()->pushCurrFloatParam(v);
  EXPECT_FALSE(manager()->callFunc("nothere", g, t));
  EXPECT_EQ(thread->top(), top);
  for (float v : {1.0f, 2.0f}) manager()->pushCurrFloatParam(v);
  EXPECT_TRUE(manager()->callFunc("bullet", g, t));  // the missing heading reads as unset
  EXPECT_FLOAT_EQ(retval(g, t).floatValue, 120.0f);
  EXPECT_EQ(thread->top(), top);
  for (float v : {1.0f, 2.0f, 3.0f, 4.0f}) manager()->pushCurrFloatParam(v);
  manager()->callCurrFunc("bullet");
  EXPECT_EQ(thread->top(), top);
  ASSERT_TRUE(manager()->callFunc("timer", g, t));
  EXPECT_EQ(retval(g, t).intValue, 7);
  EXPECT_EQ(thread->top(), top);
}

TEST_F(ManagerTest, RunScriptLoadsAnAssembledFileIntoTheScriptsGroupAndRunsMain) {
  manager()->runScript("nothing.vkasmb");  // no scripts' group yet: nothing happens
  EXPECT_EQ(log(), "");
  activeScriptGroupID = manager()->addScriptGroup();
  hge_->Ini_SetInt("Extra", "DeleteAssembledScript", 0);
  GroupId other = manager()->addScriptGroup();
  dir_.write("m.vkscript", "var ran;\nfunc _main() { ran = 5; }\nfunc get() { return ran; }\n");
  ASSERT_NE(manager()->loadScript(other, "m.vkscript"), script::kNoThread);
  xScriptAssembler assembler;
  ASSERT_TRUE(assembler.loadSource("m.vkscript.vkasm"));
  ASSERT_TRUE(assembler.assemble());
  ASSERT_TRUE(assembler.writeBinary("m.vkasmb"));

  manager()->runScript("m.vkasmb");
  ThreadIndex t = manager()->getScriptGroup(activeScriptGroupID)->lastLoadedThread();
  ASSERT_TRUE(manager()->callFunc("get", activeScriptGroupID, t));
  EXPECT_EQ(retval(activeScriptGroupID, t).intValue, 5);

  manager()->runScript("m.vkscript");  // a source is not an assembled file
  EXPECT_TRUE(logHas("Invalid Script File"));
}

}  // namespace
