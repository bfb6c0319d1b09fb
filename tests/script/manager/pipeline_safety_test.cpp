// Host functions that unload or reset their own caller, and nested host calls (run under the sanitizer build too).
#include "tests/script/manager/manager_fixture.h"

namespace {

using script::GroupId;
using script::ThreadIndex;
using testing_support::ManagerTest;

int gAfterCalls = 0;

void host_Focus(ThreadIndex thread, GroupId group) {
  vm* g = xScriptManager::getInstance()->getScriptGroup(group);
  ThreadIndex target{g->getParamAsInt(thread, 0)};
  xScriptManager::getInstance()->setCurrFocusScript(group, target);
}
void host_RemoveSelf(ThreadIndex thread, GroupId group) {
  xScriptManager::getInstance()->getScriptGroup(group)->unloadScript(thread);
}
void host_ResetOwnGroup(ThreadIndex, GroupId group) { xScriptManager::getInstance()->resetScriptGroup(group); }
void host_After(ThreadIndex, GroupId) { ++gAfterCalls; }
void host_Twice(ThreadIndex thread, GroupId group) {
  vm* g = xScriptManager::getInstance()->getScriptGroup(group);
  g->returnIntFromHost(thread, 1, 2 * g->getParamAsInt(thread, 0));
}
void host_Pair(ThreadIndex thread, GroupId group) {
  vm* g = xScriptManager::getInstance()->getScriptGroup(group);
  std::string a = g->getParamAsString(thread, 1);
  std::string b = g->getParamAsString(thread, 0);
  g->returnStringFromHost(thread, 2, (a + "|" + b).c_str());
}

class SafetyTest : public ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    gAfterCalls = 0;
    xHostAPIManager* registry = xHostAPIManager::getInstance();
    registry->addFunc("htFocus", host_Focus);
    registry->addFunc("htRemoveSelf", host_RemoveSelf);
    registry->addFunc("htResetOwnGroup", host_ResetOwnGroup);
    registry->addFunc("htAfter", host_After);
    registry->addFunc("htTwice", host_Twice);
    registry->addFunc("htPair", host_Pair);
  }
};

constexpr const char* kHost = R"(
host htFocus(t);
host htRemoveSelf();
host htResetOwnGroup();
host htAfter();
host htTwice(i);
host htPair(a, b);
)";

TEST_F(SafetyTest, FocusHandOverFromInsideInit) {
  GroupId g = manager()->addScriptGroup();
  ThreadIndex next = load(g, std::string(kHost) + "var inits;\nfunc zero() { inits = 0; }\n"
                                                  "func init() { inits += 1; }\n"
                                                  "func get() { return inits; }\n", "next.vkscript");
  ThreadIndex first =
      load(g, std::string(kHost) + "func init() { htFocus(" + std::to_string(script::toInt(next)) +
                  "); htAfter(); }\nfunc Update() { htAfter(); }\n", "first.vkscript");
  ASSERT_NE(first, script::kNoThread);
  ASSERT_TRUE(manager()->callFunc("zero", g, next));
  manager()->setCurrFocusScript(g, first);
  // The first script was unloaded by its own host call and stopped there.
  EXPECT_EQ(gAfterCalls, 0);
  EXPECT_FALSE(manager()->getScriptGroup(g)->isThreadValid(first));
  EXPECT_EQ(manager()->focusedThread(), next);
  ASSERT_TRUE(manager()->callFunc("get", g, next));
  EXPECT_EQ(retval(g, next).intValue, 1);
  manager()->callCurrUpdateFunc();
  EXPECT_EQ(gAfterCalls, 0);
  // The freed slot is reused by the next load.
  EXPECT_EQ(manager()->loadScript(g, "first.vkscript"), first);
}

TEST_F(SafetyTest, AScriptRemovingItself) {
  GroupId g;
  ThreadIndex t = loadNew(std::string(kHost) + "func go() { htRemoveSelf(); htAfter(); return 5; }\n", &g);
  EXPECT_TRUE(manager()->callFunc("go", g, t));
  EXPECT_EQ(gAfterCalls, 0);
  EXPECT_FALSE(manager()->getScriptGroup(g)->isThreadValid(t));
  EXPECT_FALSE(manager()->callFunc("go", g, t));
  EXPECT_TRUE(logHas("xScriptManager::callFunc: invalid func name go"));
}

TEST_F(SafetyTest, AScriptResettingItsOwnGroup) {
  GroupId g;
  ThreadIndex t = loadNew(std::string(kHost) + "func init() { htResetOwnGroup(); htAfter(); }\n", &g);
  manager()->setCurrFocusScript(g, t);
  EXPECT_EQ(gAfterCalls, 0);
  ASSERT_NE(manager()->getScriptGroup(g), nullptr);
  EXPECT_FALSE(manager()->getScriptGroup(g)->isThreadValid(t));
  manager()->callCurrUpdateFunc();
}

TEST_F(SafetyTest, HostCallsNestedInArguments) {
  GroupId g;
  ThreadIndex t = loadNew(std::string(kHost) + R"(
func ints() { return htTwice(htTwice(htTwice(1)) + 1); }
func strings() { return htPair(htPair("a", htTwice(2)), htPair(htTwice(3), "b")); }
)", &g);
  ASSERT_TRUE(manager()->callFunc("ints", g, t));
  EXPECT_EQ(retval(g, t).intValue, 10);  // 1 -> 2 -> 4, + 1, -> 10
  ASSERT_TRUE(manager()->callFunc("strings", g, t));
  EXPECT_EQ(retval(g, t).text, "a|4|6|b");
}

}  // namespace
