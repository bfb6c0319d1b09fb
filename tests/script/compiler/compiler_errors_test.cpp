// Parser and optimiser errors: every message, the line it reports, and the lexer errors that let compilation go on.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "tests/script/compiler/compiler_fixture.h"

namespace {

using compiler_test::compileText;
using compiler_test::parserError;

struct ErrorCase {
  const char* source;
  const char* message;
  int line;  // the lexer's line index, counting kept lines from 0
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.message; }

const ErrorCase kErrors[] = {
    {"", "Unexpected end of file", 0},
    {"// only a comment\n/* and\n*/", "Unexpected end of file", 0},
    {"var x;\nfunc _Main() {\n  nothing = 1;\n}", "Invalid identifier", 2},
    {"var x;\nelse", "Unexpected input", 1},
    {"var x;\n{ }", "Code blocks illegal in global scope", 1},
    {"var x;\nvar 5;", "Identifier expected", 1},
    {"var x;\nvar a[x];", "Integer expected", 1},
    {"var x;\nvar a[0];", "Integer expected", 1},
    {"var x;\nvar a[99999999999];", "Integer expected", 1},
    {"struct S {\n  var a[2000000000];\n  var b[2000000000];\n}", "Integer expected", 2},
    {"struct T { var a[2000000000]; }\nstruct U { T p;\n  T q; }", "Integer expected", 2},
    {"var x;\nvar a[3;", "] expected", 1},
    {"var x;\nvar X;", "Identifier redefinition", 1},
    // Names the listing would read as a mnemonic or a keyword, wherever declared.
    {"var x;\nvar th;", "Reserved identifier: th", 1},
    {"func f() {\n  var Pause[2];\n}", "Reserved identifier: Pause", 1},
    {"func f(a, exp) { }", "Reserved identifier: exp", 0},
    {"func callHost() { }", "Reserved identifier: callHost", 0},
    {"host setPriority();", "Reserved identifier: setPriority", 0},
    {"struct Je { var a; }", "Reserved identifier: Je", 0},
    {"struct S {\n  var _RetVal;\n}", "Reserved identifier: _RetVal", 1},
    {"struct S { var a; }\nS mov;", "Reserved identifier: mov", 1},
    {"var x;\nfunc f(p, P) { }", "Identifier redefinition", 1},
    {"func f() { var l; }\nvar L;", "Identifier redefinition", 1},
    {"func f(p) { }\nvar p;", "Identifier redefinition", 1},
    {"func f() {\n  var l = 1 < 2;\n}", "; expected", 1},
    {"host h();\nhost H();", "HostAPI redefinition", 1},
    {"var x;\nhost h;", "( expected", 1},
    {"var x;\nhost h(a b);", ", expected", 1},
    {"var x;\nhost h(a,);", "Identifier expected", 1},
    {"func f() {\n  func g() { }\n}", "Nested functions illegal", 1},
    {"func f() { }\nfunc F() { }", "Function redefinition", 1},
    {"var x;\nfunc _main(a) { }", "_Main () cannot accept parameters", 1},
    {"var x;\nfunc f() x", "{ expected", 1},
    {"var x;\nif (x < 1) x = 1;", "if illegal in global scope", 1},
    {"var x;\nwhile (x < 1) x = 1;", "Statement illegal in global scope", 1},
    {"var x;\nfor (x = 0; x < 1; ++x) ;", "for illegal in global scope", 1},
    {"func f() {\n  for (zz = 0; zz < 1; ++zz) ;\n}", "undefined variable", 1},
    {"var i;\nfunc f() {\n  for (i < 0; i < 1; ++i) ;\n}", "= expected", 2},
    {"var i; var j;\nfunc f() {\n  for (i = 0; i < 1; ++j) ;\n}", "Different \"for\" variable", 2},
    {"var i;\nfunc f() {\n  for (i = 0; i < 1; I += 1) ;\n}", "Different \"for\" variable", 2},
    {"var i;\nfunc f() {\n  for (i = 0; i < 1; ) ;\n}", "Different \"for\" variable", 2},
    {"var i;\nfunc f() {\n  for (i = 0; i < 1; ++5) ;\n}", "Different \"for\" variable", 2},
    {"var i;\nfunc f() {\n  for (i = 0; i < 10; i $ 1) ;\n}", "Illegal assignment operator in \"for\" loop", 2},
    {"var i;\nfunc f() {\n  for (i = 0; i < 10; i++) ;\n}", "Illegal assignment operator in \"for\" loop", 2},
    {"var a[3];\nfunc f() {\n  for (a[] = 0; a[0] < 1; ++a[0]) ;\n}", "Invalid array index", 2},
    {"var x;\nfunc f() {\n  break;\n}", "break illegal outside loops", 2},
    {"var x;\nfunc f() {\n  continue;\n}", "continue illegal outside loops", 2},
    {"var x;\nreturn;", "return illegal in global scope", 1},
    {"var x;\nx = 1;", "Assignment illegal in global scope", 1},
    {"var x;\nfunc f() {\n  x[0] = 1;\n}", "Invalid Array", 2},
    {"var a[3];\nfunc f() {\n  a[] = 1;\n}", "Invalid Expression", 2},
    {"var a[3];\nfunc f() {\n  a = 1;\n}", "Array must be indexed", 2},
    {"var x;\nfunc f() {\n  x;\n}", "; unexpected", 2},
    {"var x;\nfunc f() {\n  x < 3;\n}", "Illegal assignment operator", 2},
    {"var x;\nfunc f() {\n  * x;\n}", "Invalid Forward Operator", 2},
    {"var a[3];\nfunc f() {\n  ++a[0];\n}", "; expected", 2},
    {"var x;\nprint(1);", "Print illegal in global scope", 1},
    {"var x;\nfunc f() {\n  print(;\n}", "Invalid print value", 2},
    {"var x;\nfunc f() {\n  print(nosuch);\n}", "Invalid print value", 2},
    {"var x;\nfunc f() {\n  print(\"%i\", \"s\");\n}", "Invalid print type", 2},
    {"var x;\nfunc f() {\n  print(\"%d\", 1);\n}", "Invalid escape sequence type", 2},
    {"var x;\nfunc f() {\n  print(\"%i\", zz);\n}", "Undefined variable", 2},
    {"var x;\n#foo", "# unexpected", 1},
    {"var x;\n#define 5 5;", "Ident expected", 1},
    {"#define X 1;\n#define X 2;", "Dupilate define symbol", 1},
    {"var x;\n#define Y (;", "Invalid define type", 1},
    {"struct S { var a; }\nstruct S { var b; }", "Duplicate struct definition", 1},
    {"var x;\nstruct S { Foo f; }", "Undefined symbol", 1},
    {"var x;\nstruct S { 5; }", "Invalid token type", 1},
    {"struct S { var a; var b; }\nS s;\nfunc f() {\n  s.zz = 1;\n}", "Undefined struct element", 3},
    {"struct S { var a[2]; var b; }\nS s;\nfunc f() {\n  s.a = 1;\n}", "Arrays must be indexed", 3},
    {"var x; var r;\nfunc f() {\n  r = x.y;\n}", "Invalid '.' operator", 2},
    // In a statement the member path itself finds that x is of no struct.
    {"var x;\nfunc f() {\n  x.y = 1;\n}", "Undefined struct", 2},
    {"var x;\nfunc f() {\n  print(x.y);\n}", "Undefined struct", 2},
    {"var x;\nfunc f() {\n  for (x.y = 0; x < 1; ++x) ;\n}", "Undefined struct", 2},
    {"var x; var r;\nfunc f() {\n  r = x[0];\n}", "Invalid array", 2},
    {"var a[3]; var r;\nfunc f() {\n  r = a[];\n}", "Invalid expression", 2},
    {"var a[3]; var r;\nfunc f() {\n  r = a;\n}", "Arrays must be indexed", 2},
    {"var r;\nfunc f() {\n  r = nothing();\n}", "Invalid funccall", 2},
    {"var r;\nfunc f() {\n  r = );\n}", "Invalid input", 2},
    {"var r;\nfunc f() {\n  r = (1;\n}", ") expected", 2},
    {"var r;\nfunc f() {\n  r = 9 * 99999999999;\n}", "Integer expected", 2},
    {"host h(a, b);\nfunc f() {\n  h(1, 2, 3);\n}", "Too many parameters", 2},
    {"host h(a, b);\nfunc f() {\n  h(1);\n}", "Too few parameters", 2},
    {"func g(a) { }\nfunc f() {\n  g();\n}", "Too few parameters", 2},
    {"var r;\nfunc f() {\n  r = later();\n}\nfunc later() { }", "Invalid funccall", 2},
};

class CompilerErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CompilerErrors, ReportsMessageAndLine) {
  const ErrorCase& c = GetParam();
  compiler_test::Compiled compiled = compileText(c.source);
  EXPECT_FALSE(compiled.ok);
  ASSERT_FALSE(compiled.diagnostics.empty());
  const script::CompileDiagnostic& last = compiled.diagnostics.back();
  EXPECT_EQ(last.kind, script::DiagnosticKind::Parser);
  EXPECT_EQ(last.message, c.message);
  EXPECT_EQ(last.line, c.line) << c.source;
}

INSTANTIATE_TEST_SUITE_P(Messages, CompilerErrors, ::testing::ValuesIn(kErrors));

TEST(CompilerErrorDetails, CarryTokenColumnAndLineText) {
  compiler_test::Compiled compiled = compileText("var x;\nfunc f() {\n\tx = 5 abc;\n}");
  ASSERT_FALSE(compiled.ok);
  const script::CompileDiagnostic& d = compiled.diagnostics.back();
  EXPECT_EQ(d.message, "; expected");
  EXPECT_EQ(d.token, "abc");
  EXPECT_EQ(d.column, 7);
  EXPECT_EQ(d.lineText, "\tx = 5 abc;");
}

// Nesting deep enough to exhaust the native stack is an error, not a crash;
// ordinary depths still compile.
TEST(CompilerErrorDetails, DeepNestingIsRefused) {
  auto nested = [](const std::string& open, const std::string& inner, const std::string& close, int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += open;
    text += inner;
    for (int i = 0; i < depth; ++i) text += close;
    return text;
  };
  const std::string head = "var r;\nfunc f(p) { return p; }\nfunc _Main() { ";
  EXPECT_EQ(parserError(compileText(head + "r = " + nested("(", "1", ")", 100000) + "; }")), "Nesting too deep");
  EXPECT_EQ(parserError(compileText(head + nested("{", "", "}", 100000) + " }")), "Nesting too deep");
  compiler_test::Compiled ifs = compileText(head + "\n" + nested("if (r) ", "r = 1;", "", 600) + "\n}");
  EXPECT_EQ(parserError(ifs), "Nesting too deep");
  EXPECT_EQ(ifs.diagnostics.back().line, 3);
  compiler_test::Compiled deep = compileText(head + "r = " + nested("f(", "1", ")", 200) + " + " +
                                             nested("(", "1", ")", 400) + "; " + nested("{", "", "}", 400) + " }");
  EXPECT_TRUE(deep.ok) << parserError(deep);
}

// The compiler's memory follows the size of its input: a long line is not
// copied per statement or nesting level, nested structs are not flattened.
// Each case runs in a child with 1 GiB of address space.
TEST(CompilerLimits, MemoryFollowsTheInput) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer reserves more address space than the limit";
#endif
  auto withinOneGiB = [](const std::string& source) {
    const rlim_t oneGiB = rlim_t{1} << 30;
    rlimit limit{oneGiB, oneGiB};
    setrlimit(RLIMIT_AS, &limit);
    compiler_test::Compiled compiled = compileText(source);
    std::_Exit(compiled.ok ? 0 : 1);
  };
  std::string nestedLoops = "var x;\nfunc f() {\n";
  while (nestedLoops.size() < (std::size_t{4} << 20)) nestedLoops += "while (0) ";
  nestedLoops += "\n}";
  EXPECT_EXIT(withinOneGiB(nestedLoops), ::testing::ExitedWithCode(1), "");  // too deep, and said so

  std::string oneLine = "var x;\nfunc f() {\n";
  while (oneLine.size() < 200 * 1024) oneLine += "x = 1; ";
  oneLine += "\n}";
  EXPECT_EXIT(withinOneGiB(oneLine), ::testing::ExitedWithCode(0), "");

  std::string structs = "struct S0 { var a; }\n";
  std::string path = "a";
  for (int i = 1; i < 2000; ++i) {
    structs += "struct S" + std::to_string(i) + " { S" + std::to_string(i - 1) + " m; }\n";
    path = "m." + path;
  }
  structs += "S1999 v;\nfunc f() { v." + path + " = 1; }\n";
  EXPECT_EXIT(withinOneGiB(structs), ::testing::ExitedWithCode(0), "");
}

TEST(CompilerErrorDetails, ParserErrorWritesNoListing) {
  xScriptCompiler compiler;
  compiler.loadText("func f() { x; }", "bad.vkscript");
  EXPECT_FALSE(compiler.compile());
  EXPECT_FALSE(compiler.emitAssembly("never.vkasm"));
}

// A lexer error is reported and compilation goes on: the operator ends before
// the character that cannot continue it, which starts the next token.
TEST(CompilerLexerErrors, ContinueCompilation) {
  compiler_test::Compiled compiled = compileText("var x;\nfunc _Main() {\n  x=-1;\n}");
  ASSERT_TRUE(compiled.ok) << parserError(compiled);
  ASSERT_EQ(compiled.diagnostics.size(), 1u);
  EXPECT_EQ(compiled.diagnostics[0].kind, script::DiagnosticKind::Lexer);
  EXPECT_EQ(compiled.diagnostics[0].character, '-');
  EXPECT_EQ(compiled.diagnostics[0].line, 2);
  EXPECT_EQ(compiler_test::instructionsOf(compiled.listing, "_Main"),
            (std::vector<std::string>{"mov x, -1"}));
}

TEST(CompilerLexerErrors, IndentedHashIsReported) {
  compiler_test::Compiled compiled = compileText("var x;\n  #define N 1;\nfunc _Main() { x = N; }");
  ASSERT_TRUE(compiled.ok) << parserError(compiled);
  ASSERT_EQ(compiled.diagnostics.size(), 1u);
  EXPECT_EQ(compiled.diagnostics[0].character, '#');
}

}  // namespace
