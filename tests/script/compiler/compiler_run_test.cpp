// Differential runs: each program compiled with and without the optimiser, assembled, loaded and run, against values worked out by hand.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/xLogFile.h"
#include "tests/script/compiler/compiler_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

struct Case {
  const char* name;
  const char* source;  // globals and functions; _Main runs
  std::map<std::string, std::string> expected;
};

// Globals r, s, t, x, y, i, n and an array a[5] are declared for every case.
const char* kPrelude =
    "var r; var s; var t; var x; var y; var i; var n; var a[5];\n"
    "host htA(); host htB(); host htName(); host htAdd(p, q); host htEcho(p);\n";

const Case kCases[] = {
    // Arithmetic, mixed types, levels without precedence inside a level.
    {"TermBindsTighter", "func _Main() { r = 1 + 2 * 3; s = 2 * 3 ^ 2; t = 10 - 2 - 3; }",
     {{"r", "i:7"}, {"s", "i:36"}, {"t", "i:5"}}},
    {"SubtractProduct", "func _Main() { x = 10; y = 2; n = 3; r = x - y * n; }", {{"r", "i:4"}}},
    {"SubtractParenthesised", "func _Main() { x = 10; y = 3; n = 2; r = x - (y + n); }", {{"r", "i:5"}}},
    {"MixedTypes", "func _Main() { r = 7 + 2.5; s = 7 / 2; t = 2 ^ 10; x = 7.5 % 2; y = 3 - 0.5; }",
     {{"r", "f:9.5"}, {"s", "f:3.5"}, {"t", "i:1024"}, {"x", "f:7.5"}, {"y", "f:2.5"}}},
    {"MixedTypesFromVariables", "func _Main() { x = 7; y = 2; r = x / y; s = x % y; t = -x * y; }",
     {{"r", "f:3.5"}, {"s", "i:1"}, {"t", "i:-14"}}},
    {"FoldingWrapsAndShifts",
     "func _Main() { r = 2147483647 + 1; s = 1 << 33; t = -8 >> 1; x = 5 % 3; y = 1 / 3; }",
     {{"r", "i:-2147483648"}, {"s", "i:2"}, {"t", "i:-4"}, {"x", "i:2"}, {"y", "f:0.333333343"}}},
    {"FoldingUsesConstantsAsListed",
     "func _Main() { a[2] = 1; a[3] = 2; r = 0.0000001 * 10000000; s = a[2.9999999]; t = 2.9999999 - 3; }",
     {{"r", "f:0"}, {"s", "i:2"}, {"t", "f:0"}}},
    {"FoldingKeepsDivisionByZeroForRunTime", "func _Main() { r = 5 % 0; s = 1.5 + 1 * 2; }",
     {{"s", "f:3.5"}}},
    {"CompoundAssignments",
     "func _Main() { r = 10; r -= 3; r *= 4; r /= 2; s = 9; s %= 4; s <<= 3; t = 6; t &= 3; t |= 8; }",
     {{"r", "f:14"}, {"s", "i:8"}, {"t", "i:10"}}},
    {"PrefixAndPostfix", "func _Main() { x = 5; r = ++x; y = 1; s = y++; t = 5++; n = -x; }",
     {{"x", "i:5"}, {"r", "i:6"}, {"y", "i:2"}, {"s", "i:2"}, {"t", "i:6"}, {"n", "i:-5"}}},
    {"IncrementStatements", "func _Main() { x = 1; x++; ++x; y = 5; y--; --y; }", {{"x", "i:3"}, {"y", "i:3"}}},
    // Strings.
    {"Concat", "func _Main() { s = \"ab\"; s $ \"cd\"; r = \"x\" $ 5; t = \"v\" $ 2.5; x = 12; x $ 3; }",
     {{"s", "s:abcd"}, {"r", "s:x5"}, {"t", "s:v2.500000"}, {"x", "i:123"}}},
    {"ConcatOfBuiltInAndHost",
     "func _Main() { x = 16; r = \"s\" $ sqrt(x); s = \"hi\"; s $ htName(); t = \"n=\" $ htName(); }",
     {{"r", "s:s4.000000"}, {"s", "s:hibob"}, {"t", "s:n=bob"}}},
    {"ConcatOfComputedNumber", "func _Main() { r = \"s\" $ (1 + 2); x = 4; s = \"k\" $ (x * 2); }",
     {{"r", "s:s3"}, {"s", "s:k8"}}},
    // Arrays and structs.
    {"ArrayElements",
     "func _Main() { i = 1; a[0] = 5; a[i] = 6; a[i + 1] = 7; a[i + 1] += 2; r = a[0] + a[1] + a[2]; }",
     {{"r", "i:20"}}},
    {"PostfixOnElementReadsSameElement", "func _Main() { a[0] = 5; a[1] = 6; a[2] = 7; i = 1; x = a[i]++; }",
     {{"x", "i:7"}}},
    {"IndexFromCall", "func one() { return 1; } func _Main() { a[1] = 42; r = a[one()]; s = a[htA() - 9]; }",
     {{"r", "i:42"}, {"s", "i:42"}}},
    {"ConstantIndexFromString", "func _Main() { a[2] = 9; a[0] = 1; r = a[\"2\"]; s = a[\"\\2\"]; }",
     {{"r", "i:9"}, {"s", "i:9"}}},
    {"Structs",
     "struct Q { var a; var b[3]; var c; } struct P { var x; } Q q; P p;\n"
     "func _Main() { q.b[2] = 7; q.c = 1; q.a = 2; r = q.b[2] + q.c + q.a; p.x = 4; s = p.x; i = 1; q.b[i] = 3; t = q.b[i]; }",
     {{"r", "i:10"}, {"s", "i:4"}, {"t", "i:3"}}},
    {"NestedStruct",
     "struct In { var u; var v; } struct Out { var k; In w; } Out o;\n"
     "func _Main() { o.w.v = 5; o.k = 1; r = o.w.v + o.k; }",
     {{"r", "i:6"}}},
    // Defines.
    {"Defines", "#define N 5;\n#define S \"x\";\n#define A A;\nfunc _Main() { r = N * 2; s = S; }",
     {{"r", "i:10"}, {"s", "s:x"}}},
    // Calls.
    {"HostResultsBoth", "func _Main() { r = htA() + htB(); s = htAdd(10, htA()); t = htEcho(\"e\"); }",
     {{"r", "i:30"}, {"s", "i:20"}, {"t", "s:e"}}},
    {"NestedScriptCalls",
     "func plus(p, q) { return p + q; } func minus(p, q) { return p - q; }\n"
     "func _Main() { r = plus(plus(1, 2), plus(3, 4)); s = minus(10, 3); t = minus(plus(5, 5), minus(4, 1)); }",
     {{"r", "i:10"}, {"s", "i:7"}, {"t", "i:7"}}},
    {"RandomRangeKeepsMinimum", "func _Main() { n = 12; r = randomInt(7, n - 5); s = randomFloat(2, n - 10); }",
     {{"r", "i:7"}, {"s", "f:2"}}},
    {"ParameterNamedLikeGlobal", "var g; func f(g, b) { return b; } func _Main() { r = f(1, 2); }", {{"r", "i:2"}}},
    {"BuiltInStatementLeavesNothing",
     "func _Main() { for (i = 0; i < 3000; i += 1) { sqrt(2); randomInt(1, 2); } r = i; }", {{"r", "i:3000"}}},
    // Conditions and control statements.
    {"Comparisons", "func _Main() { r = (3 < 4) + (4 < 3) * 10; s = 3 < 2 < 1; t = (1 && 0) + (0 || 2) * 10; }",
     {{"r", "i:1"}, {"s", "i:1"}, {"t", "i:10"}}},
    {"IfElse",
     "func _Main() { x = 3; if (x > 2) r = 1; else r = 2; if (x == 4) s = 1; else { s = 2; } if (x != 3) t = 9; }",
     {{"r", "i:1"}, {"s", "i:2"}, {"t", "null"}}},
    {"ConditionWithoutComparison",
     "func zero() { return 0; } func _Main() { x = 0; y = 2; r = 0; s = 0; t = 0; n = 0;\n"
     "if (x) r = 1; if (y) s = 1; if (!x) t = 1; if (y && x) n = 1; if (x || y) n = n + 10; while (zero()) n = 99; }",
     {{"r", "i:0"}, {"s", "i:1"}, {"t", "i:1"}, {"n", "i:10"}}},
    {"AndOrChains",
     "func _Main() { x = 0; y = 1; r = 0; s = 0; t = 0;\n"
     "if (x > 0 || y > 0) r = 1; if (x > 0 && y > 0) s = 1; if (y > 0 && x < 1) t = 1; }",
     {{"r", "i:1"}, {"s", "i:0"}, {"t", "i:1"}}},
    {"ValuesInsideConditions",
     "func id(v) { return v; } func _Main() { x = 1; y = 2; a[1] = 5; r = 0; s = 0;\n"
     "if (id(x < y) == 1) r = 1; if (a[x < y] == 5) s = 1; }",
     {{"r", "i:1"}, {"s", "i:1"}}},
    {"WhileWithComparisonsInBody",
     "func _Main() { i = 0; r = 0; while (i < 5) { r = r + (i > 2); if (i == 1 || i == 3) r = r + 10; i++; } }",
     {{"r", "i:22"}}},
    {"WhileWithOrCondition", "func _Main() { i = 0; while (i < 3 || i == 10) { i++; } r = i; }", {{"r", "i:3"}}},
    {"WhileBreakContinue",
     "func _Main() { i = 0; r = 0; while (i < 10) { i++; if (i == 3) continue; if (i == 6) break; r += i; } }",
     {{"r", "i:12"}}},
    {"ForLoops",
     "func _Main() { r = 0; for (i = 0; i < 5; ++i) r += i; s = 0; for (i = 10; i > 0; i -= 3) s += 1;\n"
     "for (a[0] = 0; a[0] < 3; a[0] += 1) t = a[0]; }",
     {{"r", "i:10"}, {"s", "i:4"}, {"t", "i:2"}}},
    {"ForBreakAndReturnLeaveNothing",
     "func first(k) { for (n = 0; n < 10; n += k) { if (n >= 4) return n; } return 0 - 1; }\n"
     "func _Main() { r = 0; for (x = 0; x < 2000; x += 1) { r = first(2); for (i = 0; i < 9; i += 1) { if (i == 2) break; } } s = i; }",
     {{"r", "i:4"}, {"s", "i:2"}}},
    {"ReturnInMain", "func _Main() { r = 1; return; r = 2; }", {{"r", "i:1"}}},
    {"GlobalInitialiserSkipped", "var g = 5; func _Main() { r = g; }", {{"r", "null"}}},
    {"ForStepEvaluatedAfterBody", "func _Main() { y = 1; r = 0; for (i = 0; i < 20; i += y) { y = y * 2; r += 1; } }",
     {{"r", "i:4"}}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class CompilerRun : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override { xLogFile::resetForTests(); }
  void TearDown() override { xLogFile::resetForTests(); }
  ScopedTempDir dir_;
};

TEST_P(CompilerRun, SameResultWithAndWithoutOptimiser) {
  const Case& c = GetParam();
  std::string source = std::string(kPrelude) + c.source;
  for (bool optimise : {false, true}) {
    SCOPED_TRACE(optimise ? "optimised" : "not optimised");
    compiler_test::Runner runner;
    if (!runner.run(source, optimise)) continue;
    for (const auto& [name, value] : c.expected) {
      EXPECT_EQ(runner.global(name), value) << name << "\n" << runner.listing();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, CompilerRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
