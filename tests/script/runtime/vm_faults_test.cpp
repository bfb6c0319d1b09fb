// Faults the runtime must survive: overflow, unbalanced arguments, exits, and host functions that unload or reset.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "script/runtime/xHostAPIManager.h"
#include "tests/engine/child_fixture.h"
#include "tests/script/runtime/runtime_fixture.h"

using namespace vmtest;

namespace {

class VmFaults : public VmTest {};

script::GroupPtr* gOwner = nullptr;

void htUnloadSelf(script::ThreadIndex thread, script::GroupId) {
  vm* g = currentGroup();
  ProgramBuilder other;
  other.func("X");
  other.emit(Op::RET);
  // The running thread cannot take another script.
  record().values.push_back(std::to_string(g->getThread(thread)->loadAssembled(other.s)));
  g->unloadScript(thread);
  // The slot is still in use by the running call: a load takes another one.
  record().values.push_back(std::to_string(script::toInt(g->loadAssembled(other.s))));
}

void htResetGroup(script::ThreadIndex, script::GroupId group) {
  gOwner->reset(new vm(group));
  currentGroup() = gOwner->get();
  record().values.push_back("reset");
}

void htCallInner(script::ThreadIndex thread, script::GroupId) {
  vm* g = currentGroup();
  g->pushIntParam(thread, 4);
  record().values.push_back(g->callFunc(thread, "inner") ? "inner ran" : "inner failed");
  // The outer call's own arguments survive the nested call.
  record().values.push_back(g->getParamAsString(thread, 0));
}

// Reads its one argument, then runs "inner" on its own thread, which makes
// a host call of its own; returns no result.
void htCallBack(script::ThreadIndex thread, script::GroupId) {
  vm* g = currentGroup();
  record().values.push_back(g->getParamAsString(thread, 0));
  g->callFunc(thread, "inner");
}

// Run in a child: ends it when the texts have taken far more than the
// longest one may, so a runaway script cannot take the machine's memory.
constexpr long kGrowthAllowed = 128L << 20;  // 8 times the longest text
long gResidentAtStart = 0;
void htCheckResident(script::ThreadIndex, script::GroupId) {
  long grown = residentBytes() - gResidentAtStart;
  if (grown > kGrowthAllowed) {
    std::fprintf(stderr, "texts took %ld MiB\n", grown >> 20);
    std::fflush(stderr);
    ::_exit(3);
  }
}

void htLongText(script::ThreadIndex thread, script::GroupId) {
  currentGroup()->returnStringFromHost(thread, 1, std::string(script::kMaxStringLength + 1, 'x').c_str());
}

}  // namespace

TEST_F(VmFaults, StackOverflowAbandonsTheHostCallAndRecovers) {
  ProgramBuilder b(1, 32);
  int f = b.func("DEEP", 0, 1);
  b.emit(Op::CALL, {Fn(f)});
  b.emit(Op::RET);
  b.func("OK");
  b.emit(Op::MOV, {M(0), I(5)});
  b.emit(Op::RET);
  b.func("HUGE", 0, 40);
  b.emit(Op::RET);
  vm_script& t = load(b);
  int top = t.top(), base = t.frameBase(), ip = t.ip();
  group_->pushIntParam(thread_, 9);
  EXPECT_TRUE(group_->callFunc(thread_, "deep"));
  EXPECT_FALSE(t.lastCallCompleted());
  EXPECT_EQ(errorBoxesWith("Script VM Error: Stack fulled"), 1);
  EXPECT_EQ(t.top(), top);
  EXPECT_EQ(t.frameBase(), base);
  EXPECT_EQ(t.ip(), ip);
  EXPECT_TRUE(group_->callFunc(thread_, "ok"));
  EXPECT_TRUE(t.lastCallCompleted());
  EXPECT_EQ(t.cellAt(0).intValue, 5);
  EXPECT_FALSE(group_->callFunc(thread_, "huge"));  // its first frame does not fit
  EXPECT_EQ(errorBoxesWith("Stack fulled"), 2);
  EXPECT_EQ(t.top(), top);
}

TEST_F(VmFaults, UnbalancedHostArguments) {
  ProgramBuilder b(2);
  // F(p0, p1, p2) in listing order = (c, b, a) in source order.
  b.func("F", 3, 0);
  b.emit(Op::MOV, {M(0), M(param(0, 2))});
  b.emit(Op::MOV, {M(1), M(param(0, 0))});
  b.emit(Op::RET);
  vm_script& t = load(b);
  int top = t.top();
  group_->pushIntParam(thread_, 1);
  group_->pushFloatParam(thread_, 2.0f);
  EXPECT_FALSE(group_->callFunc(thread_, "missing"));
  EXPECT_EQ(t.top(), top);  // the arguments went with the failed call
  group_->pushIntParam(thread_, 7);  // only the source-order first argument
  EXPECT_TRUE(group_->callFunc(thread_, "F"));
  EXPECT_EQ(t.cellAt(0).intValue, 7);
  EXPECT_EQ(t.cellAt(1).type, OP_TYPE_NULL);
  EXPECT_EQ(t.top(), top);
  for (int i = 0; i < 5; ++i) group_->pushIntParam(thread_, i);  // too many
  EXPECT_TRUE(group_->callFunc(thread_, "F"));
  EXPECT_EQ(t.cellAt(0).intValue, 2);
  EXPECT_EQ(t.cellAt(1).intValue, 4);
  EXPECT_EQ(t.top(), top);
}

TEST_F(VmFaults, ExitEndsOnlyTheInnermostHostCall) {
  ProgramBuilder b(4);
  int g = b.func("G", 0, 2);
  b.emit(Op::PUSH, {I(1)});
  b.emit(Op::EXIT, {I(0)});
  b.emit(Op::MOV, {M(0), I(1)});
  b.emit(Op::RET);
  b.func("T", 0, 1);
  b.emit(Op::CALL, {Fn(g)});
  b.emit(Op::MOV, {M(1), I(1)});
  b.emit(Op::RET);
  b.func("INNER", 1, 0);
  b.emit(Op::MOV, {M(2), M(param(0, 0))});
  b.emit(Op::EXIT, {I(0)});
  b.func("OUTER");
  b.emit(Op::PUSHHPARAM, {b.str("outer argument")});
  b.emit(Op::CALLHOST, {b.host("htCallInner")});
  b.emit(Op::MOV, {M(3), I(1)});
  b.emit(Op::RET);
  xHostAPIManager::getInstance()->addFunc("htCallInner", htCallInner);
  vm_script& t = load(b);
  int top = t.top();
  EXPECT_TRUE(group_->callFunc(thread_, "T"));
  EXPECT_EQ(t.cellAt(0).type, OP_TYPE_NULL);
  EXPECT_EQ(t.cellAt(1).type, OP_TYPE_NULL);
  EXPECT_EQ(t.top(), top);
  EXPECT_EQ(t.ip(), -1);
  EXPECT_TRUE(group_->callFunc(thread_, "OUTER"));
  EXPECT_EQ(t.cellAt(2).intValue, 4);
  EXPECT_EQ(t.cellAt(3).intValue, 1);  // the outer call went on after the inner exit
  EXPECT_EQ(record().values, (std::vector<std::string>{"inner ran", "outer argument"}));
  EXPECT_EQ(t.top(), top);
}

TEST_F(VmFaults, HostFunctionUnloadsItsOwnThread) {
  ProgramBuilder b(1);
  b.func("T", 0, 3);
  b.emit(Op::MOV, {M(local(0)), b.str("a string that outlives small-string storage")});
  b.emit(Op::CALLHOST, {b.host("htUnloadSelf")});
  b.emit(Op::MOV, {M(0), I(1)});
  b.emit(Op::RET);
  xHostAPIManager::getInstance()->addFunc("htUnloadSelf", htUnloadSelf);
  load(b);
  EXPECT_TRUE(group_->callFunc(thread_, "T"));
  EXPECT_FALSE(group_->isThreadValid(thread_));
  EXPECT_EQ(record().values, (std::vector<std::string>{"8", "1"}));
  ProgramBuilder again;
  again.func("Y");
  again.emit(Op::RET);
  EXPECT_EQ(group_->loadAssembled(again.s), thread_);  // the slot is free once the call is over
}

TEST_F(VmFaults, HostFunctionResetsItsOwnGroup) {
  ProgramBuilder b(1);
  b.func("T", 0, 2);
  b.emit(Op::MOV, {M(local(0)), b.str("a string that outlives small-string storage")});
  b.emit(Op::CALLHOST, {b.host("htResetGroup")});
  b.emit(Op::MOV, {M(0), I(1)});
  b.emit(Op::RET);
  xHostAPIManager::getInstance()->addFunc("htResetGroup", htResetGroup);
  load(b);
  gOwner = &group_;
  vm* old = group_.get();
  EXPECT_TRUE(old->callFunc(thread_, "T"));  // frees the old group as it unwinds
  gOwner = nullptr;
  EXPECT_NE(group_.get(), nullptr);
  EXPECT_FALSE(group_->isThreadValid(thread_));
  EXPECT_EQ(record().values, std::vector<std::string>{"reset"});
}

TEST_F(VmFaults, StackUnderflowAndCodeOverrun) {
  ProgramBuilder b(1);
  b.func("T");
  for (int i = 0; i < 4; ++i) b.emit(Op::POP, {M(0)});
  b.emit(Op::RET);
  b.func("RUNOFF");
  b.emit(Op::MOV, {M(0), I(3)});  // no ret: runs off the end of the code
  vm_script& t = load(b);
  int top = t.top();
  EXPECT_TRUE(group_->callFunc(thread_, "T"));
  EXPECT_EQ(errorBoxesWith("Script VM Error: Empty stack"), 1);
  EXPECT_EQ(t.cellAt(0).type, OP_TYPE_NULL);
  EXPECT_EQ(t.top(), top);
  EXPECT_TRUE(group_->callFunc(thread_, "runoff"));
  EXPECT_EQ(t.cellAt(0).intValue, 3);
  EXPECT_EQ(t.top(), top);
  EXPECT_NE(logText().find("outside the code"), std::string::npos);
}

TEST_F(VmFaults, NestedHostCallKeepsTheOuterHostCallsBookkeeping) {
  ProgramBuilder b(2);
  b.func("INNER");
  b.emit(Op::PUSHHPARAM, {I(2)});
  b.emit(Op::PUSHHPARAM, {I(3)});
  b.emit(Op::CALLHOST, {b.host("htAdd2")});
  b.emit(Op::MOV, {M(1), RV()});
  b.emit(Op::RET);
  b.func("OUTER");
  b.emit(Op::PUSHHPARAM, {b.str("outer argument")});
  b.emit(Op::CALLHOST, {b.host("htCallBack")});
  b.emit(Op::MOV, {M(0), RV()});
  b.emit(Op::CALLHOST, {b.host("htRecord")});  // nothing pushed: reads ""
  b.emit(Op::RET);
  xHostAPIManager::getInstance()->addFunc("htCallBack", htCallBack);
  vm_script& t = load(b);
  EXPECT_TRUE(group_->callFunc(thread_, "OUTER"));
  EXPECT_EQ(t.cellAt(1).intValue, 5);
  // htCallBack returned nothing: its result is 0 and its argument is gone.
  EXPECT_EQ(t.cellAt(0).type, OP_TYPE_INT);
  EXPECT_EQ(t.cellAt(0).intValue, 0);
  EXPECT_EQ(record().values, (std::vector<std::string>{"outer argument", ""}));
}

// s = s $ s in a loop: stops at the longest text with the VM error, the
// memory taken stays a few times that text, and the thread runs on.
TEST_F(VmFaults, ADoublingTextEndsTheCallAtTheLimit) {
  ProgramBuilder b(2);
  b.func("GROW");
  b.emit(Op::MOV, {M(0), b.str("ab")});
  b.emit(Op::MOV, {M(1), I(0)});
  int loop = b.emit(Op::JGE, {M(1), I(40), Lbl(0)});
  b.emit(Op::CONCAT, {M(0), M(0)});
  b.emit(Op::CALLHOST, {b.host("htCheckResident")});
  b.emit(Op::INC, {M(1)});
  b.emit(Op::JMP, {Lbl(loop)});
  b.patch(loop, 2, b.here());
  b.emit(Op::RET);
  b.func("NUMBER");  // a number's text appended to the longest text
  b.emit(Op::CONCAT, {M(0), M(1)});
  b.emit(Op::RET);
  b.func("AGAIN");
  b.emit(Op::MOV, {M(0), b.str("x")});
  b.emit(Op::CONCAT, {M(0), b.str("5")});
  b.emit(Op::RET);
  xHostAPIManager::getInstance()->addFunc("htCheckResident", htCheckResident);
  vm_script& t = load(b);
  ChildResult child = runChild([&] {
    gResidentAtStart = residentBytes();
    int top = t.top(), base = t.frameBase(), ip = t.ip();
    if (!t.callFunc("GROW") || t.lastCallCompleted()) return 1;
    std::fprintf(stderr, "%zu bytes after %d doublings, %d boxes\n", t.cellAt(0).text.size(), t.cellAt(1).intValue,
                 errorBoxesWith("Script VM Error: String too long"));
    if (t.cellAt(0).text.size() != script::kMaxStringLength || t.cellAt(1).intValue != 23) return 2;
    if (errorBoxesWith("Script VM Error: String too long") != 1) return 4;
    if (t.top() != top || t.frameBase() != base || t.ip() != ip) return 5;
    if (!t.callFunc("number") || t.lastCallCompleted() || t.cellAt(0).text.size() != script::kMaxStringLength) return 7;
    if (errorBoxesWith("Script VM Error: String too long") != 2) return 8;
    if (!t.callFunc("again") || !t.lastCallCompleted() || t.cellAt(0).text != "x5") return 6;
    return 0;
  });
  EXPECT_TRUE(ranCleanly(child));
}

TEST_F(VmFaults, AHostTextPastTheLimitEndsTheCall) {
  ProgramBuilder b(1);
  b.func("T");
  b.emit(Op::MOV, {M(0), b.str("kept")});
  b.emit(Op::PUSHHPARAM, {I(1)});
  b.emit(Op::CALLHOST, {b.host("htLongText")});
  b.emit(Op::MOV, {M(0), RV()});
  b.emit(Op::RET);
  b.func("OK");
  b.emit(Op::PUSHHPARAM, {b.str("again")});
  b.emit(Op::CALLHOST, {b.host("htRecord")});
  b.emit(Op::RET);
  xHostAPIManager::getInstance()->addFunc("htLongText", htLongText);
  vm_script& t = load(b);
  int top = t.top();
  EXPECT_TRUE(group_->callFunc(thread_, "T"));
  EXPECT_FALSE(t.lastCallCompleted());
  EXPECT_EQ(errorBoxesWith("Script VM Error: String too long"), 1);
  EXPECT_EQ(t.cellAt(0).text, "kept");
  EXPECT_LE(t.retval().text.size(), script::kMaxStringLength);
  EXPECT_EQ(t.hostArgCount(), 0u);
  EXPECT_EQ(t.top(), top);
  EXPECT_TRUE(group_->callFunc(thread_, "ok"));
  EXPECT_TRUE(t.lastCallCompleted());
  EXPECT_EQ(record().values, std::vector<std::string>{"again"});
}
