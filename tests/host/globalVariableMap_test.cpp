// The host-function frame (argument order, results, bad-group families) and the variable store through scripts.
#include "host/host_call.h"
#include "host/host_registration.h"
#include "host/globalVariableMap.h"
#include "script/runtime/number_text.h"
#include "tests/script/manager/manager_fixture.h"

namespace {

using script::GroupId;
using script::ThreadIndex;
using testing_support::ManagerTest;

// Reads (int, float, string) in script order and hands back one text.
void host_Describe(ThreadIndex thread, GroupId group) {
  host::HostCall call(thread, group, 3);
  if (!call.checkGroup(host::BadGroup::ErrorLoading, "host_Describe")) return;
  std::int32_t i = call.intArg(0);
  float f = call.floatArg(1);
  std::string s = call.stringArg(2);
  call.returnString(script::intToText(i) + "/" + script::floatToText(f) + "/" + s);
}

class HostTest : public ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    globalVariableMap.clear();
    RegisterHostSystemAPIs();
    xHostAPIManager::getInstance()->addFunc("htDescribe", host_Describe);
    xHostAPIManager::getInstance()->addFunc("htDescribeNone", host_Describe);
  }
  void TearDown() override {
    globalVariableMap.clear();
    ManagerTest::TearDown();
  }
  vm_value call(const char* func) {
    EXPECT_TRUE(manager()->callFunc(func, group_, thread_)) << func;
    return retval(group_, thread_);
  }
  void loadStoreScript() { thread_ = loadNew(kSource, &group_); }

  static constexpr const char* kSource = R"(
host htStoreVariable(value, key);
host htGetVariableAsInt(key);
host htGetVariableAsFloat(key);
host htGetVariableAsString(key);
host htDescribe(i, f, s);
host htDescribeNone();
var unset;
func store() {
  htStoreVariable("first", "Score");
  htStoreVariable("12abc", "Score");
  htStoreVariable("abc", "score");
  htStoreVariable("2.5", "ratio");
  htStoreVariable(7, "number");
  htStoreVariable(unset, "empty");
}
func ints() { return htGetVariableAsInt("Score") * 100 + htGetVariableAsInt("score") * 10 + htGetVariableAsInt("none"); }
func floats() { return htGetVariableAsFloat("ratio") + htGetVariableAsFloat("none"); }
func texts() { return htGetVariableAsString("Score") $ "|" $ htGetVariableAsString("none") $ "|" $ htGetVariableAsString("number"); }
func describe() { return htDescribe(3, 0.5, "x"); }
func describeNone() { return htDescribeNone(); }
)";
  GroupId group_ = script::kNoGroup;
  ThreadIndex thread_ = script::kNoThread;
};

TEST_F(HostTest, TheStoreKeepsTheLastValuePerCaseSensitiveKey) {
  loadStoreScript();
  call("store");
  EXPECT_EQ(globalVariableMap.size(), 5u);
  EXPECT_EQ(globalVariableMap.at("empty"), "");  // an unset value is stored as ""
  EXPECT_EQ(call("ints").intValue, 1200);  // "12abc" -> 12, "abc" -> 0, absent -> 0
  vm_value f = call("floats");
  EXPECT_EQ(f.type, OP_TYPE_FLOAT);
  EXPECT_FLOAT_EQ(f.floatValue, 2.5f);
  EXPECT_EQ(call("texts").text, "12abc||7");
  // Lookups never insert.
  EXPECT_EQ(globalVariableMap.count("none"), 0u);
}

TEST_F(HostTest, TheStoreOutlivesItsScripts) {
  loadStoreScript();
  call("store");
  manager()->resetScriptGroup(group_);
  loadStoreScript();
  EXPECT_EQ(call("texts").text, "12abc||7");
}

TEST_F(HostTest, ArgumentsAreReadInScriptOrderAndMissingOnesReadEmpty) {
  loadStoreScript();
  EXPECT_EQ(call("describe").text, "3/0.500000/x");
  EXPECT_EQ(call("describeNone").text, "0/0.000000/");
}

TEST_F(HostTest, BadGroupFamilies) {
  loadStoreScript();
  vm_script* thread = manager()->getScriptGroup(group_)->getThread(thread_);
  thread->pushHostArg(vm_value::makeString("v"));
  thread->pushHostArg(vm_value::makeString("k"));
  // The variable functions are silent and change nothing.
  host_StoreVariable(thread_, GroupId{9});
  host_GetVariableAsInt(thread_, GroupId{-1});
  EXPECT_TRUE(globalVariableMap.empty());
  EXPECT_EQ(log(), "");

  host_Describe(thread_, GroupId{9});
  EXPECT_TRUE(logHas("host_Describe: Error loading script manager 9"));
  host::HostCall bad(thread_, GroupId{4}, 1);
  EXPECT_FALSE(bad.checkGroup(host::BadGroup::InvalidGroup, "host_RemoveScript"));
  EXPECT_TRUE(logHas("host_RemoveScript: invalid script group id"));
  host::HostCall good(thread_, group_, 1);
  EXPECT_TRUE(good.checkGroup(host::BadGroup::InvalidGroup, "host_RemoveScript"));
}

}  // namespace
