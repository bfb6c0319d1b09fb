// The listing text and the code the optimiser leaves, checked line by line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/script/compiler/compiler_fixture.h"

namespace {

using compiler_test::compileText;
using compiler_test::instructionsOf;
using Lines = std::vector<std::string>;

Lines mainCode(const std::string& source, bool optimise = true) {
  compiler_test::Compiled compiled = compileText(source, optimise);
  EXPECT_TRUE(compiled.ok) << compiler_test::parserError(compiled);
  return instructionsOf(compiled.listing, "_Main");
}

const char* const kHeader =
    "; test.vkasm\n\n"
    "; Source File: test.vkscript\n"
    "; VKH Compiler By the Velmora team, Win32 Version: 1.1\n"
    "; Time: TIME\n\n"
    "; ---- Directives -----------------------------------\n"
    "\tSetStackSize 1024\n\n"
    "; ---- Global Variables -----------------------------------\n"
    "\tVar _T0\n\tVar _T1\n\tVar _T2\n\n";

TEST(CompilerListing, EmptyMain) {
  compiler_test::Compiled compiled = compileText("func _Main() { }");
  ASSERT_TRUE(compiled.ok);
  EXPECT_EQ(compiled.listing, std::string(kHeader) +
                                  "; ---- Functions -----------------------------------\n"
                                  "; ---- Main -----------------------------------\n\n\n"
                                  "\tFunc _Main\n\t{\n\t\t; (No code)\n\t}");
}

TEST(CompilerListing, SymbolsNotesLabelsAndInstructions) {
  compiler_test::Compiled compiled = compileText(
      "var grid[10];\nstruct P { var a; var b; }\nP g;\nvar z;\n"
      "func f(a, b) {\n  var l;\n  P q;\n  var m[3];\n  while (a < b) { a++; }\n  l = htX(\"s;\");\n}\n"
      "host htX(v);",
      false);
  // htX is declared after its use: "Invalid funccall" ends the compilation.
  EXPECT_FALSE(compiled.ok);

  compiled = compileText(
      "var grid[10];\nstruct P { var a; var b; }\nP g;\nvar z;\nhost htX(v);\n"
      "func f(a, b) {\n  var l;\n  P q;\n  var m[3];\n  while (a < b) { a++; }\n  randomInt(1, 2);\n  l = htX(a);\n}",
      false);
  ASSERT_TRUE(compiled.ok) << compiler_test::parserError(compiled);
  EXPECT_EQ(compiled.listing,
            "; test.vkasm\n\n; Source File: test.vkscript\n; VKH Compiler By the Velmora team, Win32 Version: 1.1\n"
            "; Time: TIME\n\n; ---- Directives -----------------------------------\n\tSetStackSize 1024\n\n"
            "; ---- Global Variables -----------------------------------\n"
            "\tVar _T0\n\tVar _T1\n\tVar _T2\n\tVar grid[ 10 ]\n\tVar z\n\n\tVar g[ 2 ]\n\n"
            "; ---- Functions -----------------------------------\n"
            "\tFunc f\n\t{\n\t\tParam b\n\t\tParam a\n\n\t\tVar l\n\t\tVar m[ 3 ]\n\n\t\tVar q[ 2 ]\n\n"
            "\t\t;   while (a < b) { a++; }\n\n"
            "\t_L0:\n"
            "\t\tpush\t\ta\n\t\tpush\t\tb\n\t\tpop\t\t_T1\n\t\tpop\t\t_T0\n"
            "\t\tjl\t\t_T0, _T1, _L2\n\t\tjmp\t\t_L1\n\t_L2:\n"
            "\n\t\t;   while (a < b) { a++; }\n\n"
            "\t\tinc\t\ta\n\t\tjmp\t\t_L0\n\t_L1:\n"
            "\n\t\t;   randomInt(1, 2);\n\n"
            "\t\tpush\t\t1\n\t\tpush\t\t2\n\t\tpop\t\t_T2\n\t\tpop\t\t_T1\n"
            "\t\trandomInt\t_T0, _T1, _T2\n"
            "\n\t\t;   l = htX(a);\n\n"
            "\t\tpush\t\ta\n\t\tpop\t\t_T0\n\t\tpushhparam\t_T0\n\t\tcallhost\thtX\n"
            "\t\tpush\t\t_RetVal\n\t\tpop\t\t_T0\n\t\tmov\t\tl, _T0\n"
            "\t}\n\n");
}

// Code as the parser makes it, before the optimiser.
TEST(CompilerCode, StackCodeBeforeOptimising) {
  EXPECT_EQ(mainCode("var a[4]; var i;\nfunc _Main() { a[i+1] += 2; }", false),
            (Lines{"push i", "push 1", "pop _T1", "pop _T0", "add _T0, _T1", "push _T0", "push 2", "pop _T0",
                   "pop _T1", "add a [ _T1 ], _T0"}));
  EXPECT_EQ(mainCode("var i;\nfunc _Main() { i++; return 3; }", false),
            (Lines{"inc i", "push 3", "pop _T0", "exit _T0"}));
  EXPECT_EQ(mainCode("func _Main() { return; }", false), (Lines{"mov _T0, 0", "exit _T0"}));
  // The prefix statement names a whole variable; an array is the assembler's to refuse.
  EXPECT_EQ(mainCode("var a[2];\nfunc _Main() { ++a; --a; }", false), (Lines{"inc a", "dec a"}));
}

TEST(CompilerCode, OptimisedMovesAndElements) {
  EXPECT_EQ(mainCode("var x;\nfunc _Main() { x = 1; }"), (Lines{"mov x, 1"}));
  EXPECT_EQ(mainCode("var y; var a[3];\nfunc _Main() { y = a[2]; }"), (Lines{"mov y, a [ 2 ]"}));
  EXPECT_EQ(mainCode("var y; var a[3]; var i;\nfunc _Main() { y = a[i]; }"), (Lines{"push a [ i ]", "pop _T0", "mov y, _T0"}));
  EXPECT_EQ(mainCode("var s;\nfunc _Main() { s = \"n\" $ 5; }"),
            (Lines{"mov _T0, \"n\"", "concat _T0, \"5\"", "mov s, _T0"}));
  // Out of range stays a run-time index.
  EXPECT_EQ(mainCode("var y; var a[3];\nfunc _Main() { y = a[7]; }"), (Lines{"mov _T0, 7", "push a [ _T0 ]", "pop _T0", "mov y, _T0"}));
}

TEST(CompilerCode, ConstantFolding) {
  EXPECT_EQ(mainCode("var r;\nfunc _Main() { r = 2 + 3 * 4; }"), (Lines{"mov _T0, 14", "mov r, _T0"}));
  EXPECT_EQ(mainCode("var r;\nfunc _Main() { r = 7 / 2; }"), (Lines{"mov r, 3.500000"}));
  EXPECT_EQ(mainCode("var r;\nfunc _Main() { r = 2147483647 + 1; }"), (Lines{"mov r, -2147483648"}));
  // Not folded: the listing could not carry the exact float, and the
  // interpreter decides what a zero divisor and exp give.
  EXPECT_EQ(mainCode("var r;\nfunc _Main() { r = 1 / 3; }"), (Lines{"mov _T0, 1", "div _T0, 3", "mov r, _T0"}));
  EXPECT_EQ(mainCode("var r;\nfunc _Main() { r = 5 % 0; }"), (Lines{"mov _T0, 5", "mod _T0, 0", "mov r, _T0"}));
  EXPECT_EQ(mainCode("var r;\nfunc _Main() { r = 2 ^ 3; }"), (Lines{"mov _T0, 2", "exp _T0, 3", "mov r, _T0"}));
}

TEST(CompilerCode, SubstitutionStopsWhenTheSourceChanges) {
  EXPECT_EQ(mainCode("var r; var x; var y; var z;\nfunc _Main() { r = x - (y + z); }"),
            (Lines{"mov _T0, y", "add _T0, z", "mov _T1, _T0", "mov _T0, x", "sub _T0, _T1", "mov r, _T0"}));
}

TEST(CompilerCode, RetValIsNotPairedAcrossAnotherCall) {
  EXPECT_EQ(mainCode("var r; host htA(); host htB();\nfunc _Main() { r = htA() + htB(); }"),
            (Lines{"callhost htA", "push _RetVal", "callhost htB", "mov _T1, _RetVal", "pop _T0", "add _T0, _T1",
                   "mov r, _T0"}));
}

TEST(CompilerCode, PushAtTheStartAndUnpairedPopsStay) {
  compiler_test::Compiled compiled = compileText("var r;\nfunc f() { var l = 5; r = l; }");
  ASSERT_TRUE(compiled.ok);
  Lines code = instructionsOf(compiled.listing, "f");
  ASSERT_FALSE(code.empty());
  EXPECT_EQ(code.front(), "push 5");
  EXPECT_EQ(mainCode("var r;\nfunc g() { return 1; }\nfunc _Main() { r = g() + g(); }"),
            (Lines{"call g", "push _RetVal", "call g", "mov _T1, _RetVal", "pop _T0", "add _T0, _T1", "mov r, _T0"}));
}

TEST(CompilerCode, ConditionJumps) {
  EXPECT_EQ(mainCode("var a; var b; var r;\nfunc _Main() { if (a > 0 || b > 0) r = 1; }"),
            (Lines{"jg a, 0, _L1", "jg b, 0, _L2", "jmp _L0", "mov r, 1"}));
  EXPECT_EQ(mainCode("var x; var r;\nfunc _Main() { if (x) r = 1; }"), (Lines{"jne x, 0, _L2", "jmp _L0", "mov r, 1"}));
}

}  // namespace
