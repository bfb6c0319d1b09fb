// Script groups, the host-call convention and the host-function registry.
#include <gtest/gtest.h>

#include <type_traits>

#include "script/runtime/xHostAPIManager.h"
#include "tests/script/runtime/runtime_fixture.h"

using namespace vmtest;

static_assert(!std::is_convertible_v<script::GroupId, script::ThreadIndex>);
static_assert(!std::is_convertible_v<script::ThreadIndex, script::GroupId>);
static_assert(!std::is_convertible_v<int, script::ThreadIndex>);

namespace {

class ScriptGroup : public VmTest {
 protected:
  ProgramBuilder tiny(const std::string& name = "F") {
    ProgramBuilder b;
    b.func(name);
    b.emit(Op::RET);
    return b;
  }
};

void htReadThree(script::ThreadIndex thread, script::GroupId) {
  vm* g = currentGroup();
  record().values.push_back(g->getParamAsString(thread, 0));
  record().values.push_back(std::to_string(g->getParamAsInt(thread, 1)));
  record().values.push_back(std::to_string(g->getParamAsFloat(thread, 1)));
  record().values.push_back(std::to_string(g->getParamAsInt(thread, 2)));
  record().values.push_back("[" + g->getParamAsString(thread, 3) + "]");  // beyond: ""
  g->returnIntFromHost(thread, 4, 1);  // declared 4, pushed 3: size error, still stored
}

script::ThreadIndex gSeenThread{-5};
script::GroupId gSeenGroup{-5};
void htWho(script::ThreadIndex thread, script::GroupId group) {
  gSeenThread = thread;
  gSeenGroup = group;
}
void htOther(script::ThreadIndex, script::GroupId) { record().values.push_back("other"); }

}  // namespace

TEST_F(ScriptGroup, SlotsAreReusedAfterUnloadAndFailedLoads) {
  EXPECT_EQ(group_->loadAssembled(tiny().s), script::ThreadIndex{0});
  EXPECT_EQ(group_->loadAssembled(tiny().s), script::ThreadIndex{1});
  group_->unloadScript(script::ThreadIndex{0});
  EXPECT_FALSE(group_->isThreadValid(script::ThreadIndex{0}));
  EXPECT_EQ(group_->loadScript("missing.vkasmb"), script::kNoThread);
  EXPECT_EQ(group_->lastLoadedThread(), script::ThreadIndex{0});
  EXPECT_NE(logText().find("Invalid Script File"), std::string::npos);
  ASSERT_TRUE(script::writeAssembledFile(tiny().s, "ok.vkasmb"));
  EXPECT_EQ(group_->loadScript("ok.vkasmb"), script::ThreadIndex{0});
  EXPECT_EQ(group_->getThread(script::ThreadIndex{0})->group(), script::GroupId{0});
}

TEST_F(ScriptGroup, ArgumentsCountFromTheEnd) {
  ProgramBuilder b;
  b.func("T");
  b.emit(Op::PUSHHPARAM, {I(10)});
  b.emit(Op::PUSHHPARAM, {Fl(2.5f)});
  b.emit(Op::PUSHHPARAM, {b.str("x")});
  b.emit(Op::CALLHOST, {b.host("htReadThree")});
  b.emit(Op::RET);
  xHostAPIManager::getInstance()->addFunc("htReadThree", htReadThree);
  vm_script& t = load(b);
  ASSERT_TRUE(t.callFunc("T"));
  EXPECT_EQ(record().values,
            (std::vector<std::string>{"x", "2", "2.500000", "10", "[]"}));
  EXPECT_EQ(t.retval().intValue, 1);
  std::string log = logText();
  std::size_t error = log.find("vm::returnFloatFromHost: host API parameter table size error\n");
  ASSERT_NE(error, std::string::npos);
  // The next line names the function, as the script calls it.
  EXPECT_EQ(log.find("\n", error) + 1,
            log.find("vm::returnFloatFromHost: HTREADTHREE takes 4 arguments, the script passed 3\n"));
}

TEST_F(ScriptGroup, InvalidThreadsGiveDefaults) {
  ProgramBuilder b = tiny("Render");
  script::ThreadIndex t = group_->loadAssembled(b.s);
  EXPECT_TRUE(group_->hasRenderFunc(t));
  EXPECT_FALSE(group_->hasRenderFunc(group_->loadAssembled(tiny("update").s)));
  for (script::ThreadIndex bad : {script::kNoThread, script::ThreadIndex{99}}) {
    EXPECT_FALSE(group_->isThreadValid(bad));
    EXPECT_EQ(group_->getParamAsInt(bad, 0), 0);
    EXPECT_EQ(group_->getParamAsString(bad, 0), "");
    EXPECT_FALSE(group_->callFunc(bad, "render"));
    EXPECT_FALSE(group_->hasRenderFunc(bad));
    group_->pushIntParam(bad, 1);
    group_->returnStringFromHost(bad, 0, nullptr);
  }
  group_->unloadScript(script::ThreadIndex{7});
  EXPECT_NE(logText().find("Invalid script thread index"), std::string::npos);
  group_->returnStringFromHost(t, 0, nullptr);  // no text is ""
  EXPECT_EQ(group_->getThread(t)->retval().type, OP_TYPE_STRING);
  EXPECT_EQ(group_->getThread(t)->retval().text, "");
}

TEST_F(ScriptGroup, RegistryMatchesNamesWithoutCaseAndReplaces) {
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  std::size_t before = registry->size();
  registry->addFunc("htWho", htOther);
  registry->addFunc("HTWHO", htWho);  // replaces
  EXPECT_EQ(registry->size(), before + 1);
  EXPECT_EQ(registry->callFunc("htwho", script::GroupId{7}, script::ThreadIndex{3}), 1);
  EXPECT_EQ(gSeenThread, script::ThreadIndex{3});
  EXPECT_EQ(gSeenGroup, script::GroupId{7});
  EXPECT_TRUE(record().values.empty());
  EXPECT_EQ(registry->callFunc("htNobody", script::GroupId{0}, script::ThreadIndex{0}), -1);
}

TEST_F(ScriptGroup, CachedHostLookupFollowsReRegistration) {
  ProgramBuilder b;
  b.func("T");
  b.emit(Op::CALLHOST, {b.host("htSwap")});
  b.emit(Op::RET);
  xHostAPIManager::getInstance()->addFunc("htSwap", htWho);
  vm_script& t = load(b);
  ASSERT_TRUE(t.callFunc("T"));
  EXPECT_EQ(gSeenThread, thread_);
  xHostAPIManager::getInstance()->addFunc("htswap", htOther);
  ASSERT_TRUE(t.callFunc("T"));
  EXPECT_EQ(record().values, std::vector<std::string>{"other"});
}
