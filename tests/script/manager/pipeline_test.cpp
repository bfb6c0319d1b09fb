// Whole pipeline, source text to results: the language's features and host calls of every argument and result type.
#include "script/runtime/number_text.h"
#include "tests/script/manager/manager_fixture.h"

namespace {

using script::GroupId;
using script::ThreadIndex;
using testing_support::ManagerTest;

// What the last htRecord call saw.
struct Recorded {
  std::int32_t i = 0;
  float f = 0;
  std::string s;
  int calls = 0;
} gRecorded;

void host_Record(ThreadIndex thread, GroupId group) {
  vm* g = xScriptManager::getInstance()->getScriptGroup(group);
  gRecorded.i = g->getParamAsInt(thread, 2);
  gRecorded.f = g->getParamAsFloat(thread, 1);
  gRecorded.s = g->getParamAsString(thread, 0);
  ++gRecorded.calls;
}
void host_Twice(ThreadIndex thread, GroupId group) {
  vm* g = xScriptManager::getInstance()->getScriptGroup(group);
  g->returnIntFromHost(thread, 1, 2 * g->getParamAsInt(thread, 0));
}
void host_Half(ThreadIndex thread, GroupId group) {
  vm* g = xScriptManager::getInstance()->getScriptGroup(group);
  g->returnFloatFromHost(thread, 1, g->getParamAsFloat(thread, 0) / 2);
}
void host_Join(ThreadIndex thread, GroupId group) {
  vm* g = xScriptManager::getInstance()->getScriptGroup(group);
  std::string s = g->getParamAsString(thread, 2) + ":" + script::intToText(g->getParamAsInt(thread, 1)) +
                  ":" + script::floatToText(g->getParamAsFloat(thread, 0));
  g->returnStringFromHost(thread, 3, s.c_str());
}

// Runs the calling thread's "bump" by name, nested in the host call.
void host_Bump(ThreadIndex thread, GroupId group) { xScriptManager::getInstance()->callFunc("bump", group, thread); }

class PipelineTest : public ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    gRecorded = {};
    xHostAPIManager* registry = xHostAPIManager::getInstance();
    registry->addFunc("htRecord", host_Record);
    registry->addFunc("htTwice", host_Twice);
    registry->addFunc("htHalf", host_Half);
    registry->addFunc("htJoin", host_Join);
    registry->addFunc("htBump", host_Bump);
  }
  // Loads [source] and calls [func]; its result.
  vm_value run(const std::string& source, const char* func) {
    GroupId g;
    ThreadIndex t = loadNew(source, &g);
    if (t == script::kNoThread) return vm_value();
    EXPECT_TRUE(manager()->callFunc(func, g, t)) << func;
    return retval(g, t);
  }
  std::int32_t runInt(const std::string& source, const char* func) {
    vm_value v = run(source, func);
    EXPECT_EQ(v.type, OP_TYPE_INT) << func;
    return v.intValue;
  }
};

TEST_F(PipelineTest, Statements) {
  const char* source = R"(
func sumTo(n) {
  var s = 0;
  var i;
  for (i = 1; i <= n; i += 1) { s += i; }
  return s;
}
func evensBelow(n) {
  var count = 0;
  var i = 0;
  while (i < 100) {
    i++;
    if (i >= n) break;
    if (i % 2 == 1) continue;
    count += 1;
  }
  return count;
}
func sign(x) {
  if (x < 0) return -1;
  else if (x == 0) return 0;
  return 1;
}
func all() { return sumTo(10) * 10000 + evensBelow(9) * 100 + (sign(-3) + 2) * 10 + sign(0) + sign(8); }
)";
  // 55, 4 evens in 1..8, sign(-3) + 2 = 1, 0 + 1.
  EXPECT_EQ(runInt(source, "all"), 550411);
}

TEST_F(PipelineTest, Expressions) {
  EXPECT_EQ(runInt("func f() { return 1 + 2 * 3; }", "f"), 7);
  EXPECT_EQ(runInt("func f() { return 2 * 3 ^ 2; }", "f"), 36);
  EXPECT_EQ(runInt("func f() { return (7 - 2) * 3 % 4; }", "f"), 3);
  EXPECT_EQ(runInt("func f() { return 1 << 4 | 1; }", "f"), 17);
  EXPECT_EQ(runInt("func f() { var a = 5; var b = 3; return a - b * 2; }", "f"), -1);
  EXPECT_EQ(runInt("func f() { return (3 < 4) + (4 < 3) * 10 + (2 == 2) * 100; }", "f"), 101);
  EXPECT_EQ(runInt("func f() { var y = 4; var x = y++; return x * 10 + y; }", "f"), 55);
  vm_value half = run("func f() { return 10 / 4; }", "f");
  EXPECT_EQ(half.type, OP_TYPE_FLOAT);
  EXPECT_FLOAT_EQ(half.floatValue, 2.5f);
  vm_value mixed = run("func f() { return 1.5 * 4 - 1; }", "f");
  EXPECT_FLOAT_EQ(mixed.floatValue, 5.0f);
}

TEST_F(PipelineTest, StringsArraysStructsAndDefines) {
  const char* source = R"(
#define LIMIT 5;
#define GREETING "ab";
struct Point { var x; var y[2]; }
func text() { var s = GREETING; s $ "cd"; return s $ LIMIT; }
func squares() {
  var a[LIMIT];
  var i;
  var sum = 0;
  for (i = 0; i < LIMIT; ++i) { a[i] = i * i; }
  for (i = 0; i < LIMIT; ++i) { sum += a[i]; }
  return sum;
}
func point() {
  Point p;
  p.x = 3;
  p.y[1] = 4;
  p.y[0] = p.x + p.y[1];
  return p.x * 100 + p.y[0] * 10 + p.y[1];
}
)";
  EXPECT_EQ(run(source, "text").text, "abcd5");
  EXPECT_EQ(runInt(source, "squares"), 30);
  EXPECT_EQ(runInt(source, "point"), 374);
}

TEST_F(PipelineTest, IncludesAndRecursion) {
  dir_.write("lib.vkscript", "func fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }\n");
  const char* source = R"(
#include "lib.vkscript"
func fact(n) { if (n <= 1) return 1; return n * fact(n - 1); }
func both() { return fib(15) + fact(10); }
)";
  EXPECT_EQ(runInt(source, "both"), 610 + 3628800);
}

TEST_F(PipelineTest, HostCallsWithEveryArgumentAndResultType) {
  const char* source = R"(
host htRecord(i, f, s);
host htTwice(i);
host htHalf(f);
host htJoin(s, i, f);
func record() { var x = 7; htRecord(x * 6, 0.25 + 1, "t" $ x); return 3; }
func ints() { return htTwice(21); }
func floats() { return htHalf(5); }
func strings() { return htJoin("v", 5, 2.5); }
func unused() { var r = htRecord(1, 2, 3); return r; }
)";
  EXPECT_EQ(runInt(source, "record"), 3);
  EXPECT_EQ(gRecorded.i, 42);
  EXPECT_FLOAT_EQ(gRecorded.f, 1.25f);
  EXPECT_EQ(gRecorded.s, "t7");
  EXPECT_EQ(runInt(source, "ints"), 42);
  vm_value half = run(source, "floats");
  EXPECT_EQ(half.type, OP_TYPE_FLOAT);
  EXPECT_FLOAT_EQ(half.floatValue, 2.5f);
  EXPECT_EQ(run(source, "strings").text, "v:5:2.500000");
  // A host function that hands back nothing leaves int 0; numbers read as text.
  EXPECT_EQ(runInt(source, "unused"), 0);
  EXPECT_EQ(gRecorded.s, "3");
}

// A host call can run script code that writes globals and the compiler's
// temporaries: what was read or computed before the call stays as it was.
TEST_F(PipelineTest, AHostCallMayChangeGlobalsThroughANestedCall) {
  const char* source = R"(
host htBump();
var g;
var t;
func bump() { g = 10; t = g * 2 + 1; }
func global() { g = 1; return g + htBump(); }
func temporary() { g = 2; return g * 3 + htBump(); }
func after() { g = 1; htBump(); return g; }
)";
  EXPECT_EQ(runInt(source, "global"), 1);
  EXPECT_EQ(runInt(source, "temporary"), 6);
  EXPECT_EQ(runInt(source, "after"), 10);
}

TEST_F(PipelineTest, AnUnknownHostFunctionIsLoggedAndReadsZero) {
  EXPECT_EQ(runInt("host htNothing(a);\nfunc f() { return htNothing(1) + 4; }", "f"), 4);
  EXPECT_TRUE(logHas("vm_script::callHostAPIFunc: Error calling host API function: HTNOTHING"));
}

}  // namespace
