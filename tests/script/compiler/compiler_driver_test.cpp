// The compiler driver: includes, the comment pass, defines, writing the listing and the game's error policy.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "script/compiler/xScriptCompiler.h"
#include "tests/script/compiler/compiler_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> messagesOf(const xScriptCompiler& compiler, script::DiagnosticKind kind) {
  std::vector<std::string> out;
  for (const script::CompileDiagnostic& d : compiler.diagnostics()) {
    if (d.kind == kind) out.push_back(d.message);
  }
  return out;
}

TEST(CompilerDriver, IncludesAreReadInPlaceAndOnce) {
  ScopedTempDir dir;
  dir.write("lib.vkscript", "var fromLib;\n");
  dir.write("mid.vkscript", "#include \"lib.vkscript\"\nvar fromMid;\n");
  dir.write("main.vkscript", "var first;\r\n\n#include \"mid.vkscript\"\n#include \"lib.vkscript\"\nvar last;\n");
  xScriptCompiler compiler;
  ASSERT_EQ(compiler.loadSource("main.vkscript"), 1);
  EXPECT_EQ(compiler.state().lines, (Lines{"var first;", "var fromLib;", "var fromMid;", "var last;"}));
  EXPECT_EQ(messagesOf(compiler, script::DiagnosticKind::Fatal),
            (Lines{"Duplicate include file: lib.vkscript"}));
}

TEST(CompilerDriver, MissingIncludesAreSkippedMalformedOnesStillRead) {
  ScopedTempDir dir;
  dir.write("half.vkscript", "var half;\n");
  dir.write("bare.vkscript", "var bare;\n");
  dir.write("main.vkscript",
            "var a;\n#include \"gone.vkscript\"\n#include bare.vkscript\"\n#include \"half.vkscript\n#include\nvar b;\n"
            "#includes x\n#include \"sub\"\n#include \"half.vkscript\" trailing\n");
  std::filesystem::create_directory("sub");
  xScriptCompiler compiler;
  ASSERT_EQ(compiler.loadSource("main.vkscript"), 1);
  EXPECT_EQ(compiler.state().lines, (Lines{"var a;", "var bare;", "var half;", "var b;", "#includes x"}));
  EXPECT_EQ(messagesOf(compiler, script::DiagnosticKind::Fatal),
            (Lines{"Cannot open file: gone.vkscript", "\" expected\nCodeLine: #include bare.vkscript\"",
                   "\" expected\nCodeLine: #include \"half.vkscript", "\" expected\nCodeLine: #include",
                   "\" expected\nCodeLine: #include", "Cannot open file: ", "Cannot open file: sub (Is a directory)",
                   "Duplicate include file: half.vkscript"}));
  EXPECT_EQ(compiler.loadSource("nowhere.vkscript"), 0);
  EXPECT_EQ(compiler.loadSource("sub"), 0);
}

// A chain of files each including the next ends at the depth limit with an
// error naming the include refused; everything above it is read.
TEST(CompilerDriver, IncludeChainEndsAtTheDepthLimit) {
  ScopedTempDir dir;
  const int files = script::kMaxIncludeDepth + 5;
  for (int i = 0; i < files; ++i) {
    dir.write("c" + std::to_string(i) + ".vkscript",
              "var v" + std::to_string(i) + ";\n#include \"c" + std::to_string(i + 1) + ".vkscript\"\n");
  }
  xScriptCompiler compiler;
  ASSERT_EQ(compiler.loadSource("c0.vkscript"), 1);
  const std::string refused = "c" + std::to_string(script::kMaxIncludeDepth + 1) + ".vkscript";
  EXPECT_EQ(messagesOf(compiler, script::DiagnosticKind::Fatal), (Lines{"Include nesting too deep: " + refused}));
  EXPECT_EQ(compiler.state().lines.size(), std::size_t(script::kMaxIncludeDepth + 1));
  EXPECT_TRUE(compiler.hasErrors());
}

// Every spelling of one file is that file: it is read once, and the notices
// and errors past the cap are not reported but still stop the load.
TEST(CompilerDriver, FileIncludedUnderManySpellingsIsReadOnce) {
  ScopedTempDir dir;
  std::string source = "var once;\n#include \"./sub\\..\\case.vkscript\"\n";
  for (int i = 0; i < 150; ++i) {
    std::filesystem::create_directories("k" + std::to_string(i));
    source += "#include \"k" + std::to_string(i) + "/../case.vkscript\"\n";
  }
  std::filesystem::create_directories("sub");
  dir.write("case.vkscript", source + "#include \"gone.vkscript\"\n");
  xScriptCompiler compiler;
  ASSERT_EQ(compiler.loadSource("case.vkscript"), 1);
  EXPECT_EQ(compiler.state().lines, (Lines{"var once;"}));
  std::vector<std::string> notices = messagesOf(compiler, script::DiagnosticKind::Fatal);
  ASSERT_EQ(notices.size(), 100u);
  EXPECT_EQ(notices[0], "Duplicate include file: ./sub\\..\\case.vkscript");
  EXPECT_TRUE(compiler.hasErrors());
}

// A source, its includes counted in, reads at most kSourceByteLimit bytes.
TEST(CompilerDriver, OversizeSourcesAreRefused) {
  ScopedTempDir dir;
  const std::string filler = "var x;" + std::string(script::kSourceByteLimit / 2, ' ') + "\n";
  dir.write("big.vkscript", filler + filler);
  dir.write("half.vkscript", filler);
  dir.write("main.vkscript", filler + "#include \"half.vkscript\"\n");
  xScriptCompiler compiler;
  EXPECT_EQ(compiler.loadSource("half.vkscript"), 1);
  EXPECT_EQ(compiler.loadSource("big.vkscript"), 0);
  EXPECT_EQ(messagesOf(compiler, script::DiagnosticKind::Fatal), (Lines{"Cannot open file: big.vkscript (too large)"}));
  EXPECT_EQ(compiler.loadSource("main.vkscript"), 1);
  EXPECT_EQ(messagesOf(compiler, script::DiagnosticKind::Fatal),
            (Lines{"Cannot open file: half.vkscript (too large)"}));
}

// Messages count the kept lines of every file together; the diagnostic also
// names the file and the line there as an editor counts it.
TEST(CompilerDriver, ErrorsNameTheFileAndTheEditorsLine) {
  ScopedTempDir dir;
  const std::string host = "// host functions\nhost htA();\n\nhost htB();\nvar x;\n";
  dir.write("host.vkscript", host);
  dir.write("stage1.vkscript", "#include \"host.vkscript\"\n// stage one\n\nfunc _Main() {\n  x = 1;\n  x = 2 }\n");
  dir.write("bad_host.vkscript", "/* host\n*/\nhost htA();\nhost htB(;\n");
  dir.write("stage2.vkscript", "var y;\n#include \"bad_host.vkscript\"\nfunc f() { }\n");
  dir.write("stage3.vkscript", "#include \"host.vkscript\"\n\nfunc f() {\n// set\n  x=-1;\n}\n");
  // The missing ';' is found at the next statement, two lines on; it belongs after "1".
  dir.write("stage4.vkscript", "#include \"host.vkscript\"\nfunc f() {\n  x = 1\n\n  x = 2;\n}\n");
  struct Case {
    const char* file;
    script::DiagnosticKind kind;
    int line;
    const char* where;
    int fileLine;
  };
  for (const Case& c : {Case{"stage1.vkscript", script::DiagnosticKind::Parser, 5, "stage1.vkscript", 6},
                        Case{"stage2.vkscript", script::DiagnosticKind::Parser, 2, "bad_host.vkscript", 4},
                        Case{"stage3.vkscript", script::DiagnosticKind::Lexer, 4, "stage3.vkscript", 5},
                        Case{"stage4.vkscript", script::DiagnosticKind::Parser, 5, "stage4.vkscript", 3}}) {
    SCOPED_TRACE(c.file);
    xScriptCompiler compiler;
    ASSERT_EQ(compiler.loadSource(c.file), 1);
    compiler.compile();
    ASSERT_FALSE(compiler.diagnostics().empty());
    const script::CompileDiagnostic& d = compiler.diagnostics().front();
    EXPECT_EQ(d.kind, c.kind);
    EXPECT_EQ(d.line, c.line);
    EXPECT_EQ(d.file, c.where);
    EXPECT_EQ(d.fileLine, c.fileLine);
  }
}

TEST(CompilerDriver, DirectiveOf) {
  EXPECT_EQ(xScriptCompiler::directiveOf("#include \"a\""), 1);
  EXPECT_EQ(xScriptCompiler::directiveOf("#define X 1;"), 2);
  EXPECT_EQ(xScriptCompiler::directiveOf("#Include \"a\""), 0);
  EXPECT_EQ(xScriptCompiler::directiveOf("#"), 0);
  EXPECT_EQ(xScriptCompiler::directiveOf("include"), 0);
}

TEST(CompilerDriver, CommentPass) {
  Lines lines = {"a = 1; // gone",
                 "s = \"http://x\"; // gone",
                 "x = 1; /* note */ y = 2;",
                 "b = 2; /* starts",
                 "all of this \"goes",
                 "  */ not the end",
                 "*/c = 3;",
                 "t = \"/* kept */\";",
                 "q = \"a\\\"; // b\";"};
  script::removeComments(lines);
  // The backslash does not escape the quote, so the "//" after it starts a comment.
  EXPECT_EQ(lines, (Lines{"a = 1; ", "s = \"http://x\"; ", "b = 2; ", "c = 3;", "t = \"/* kept */\";", "q = \"a\\\"; "}));
}

TEST(CompilerDriver, UnendedBlockCommentErasesTheRest) {
  Lines lines = {"a;", "/* open", "x */", "b;"};
  script::removeComments(lines);
  EXPECT_EQ(lines, (Lines{"a;"}));
}

TEST(CompilerDriver, DefinesRewriteWholeWordsOnly) {
  compiler_test::Compiled compiled =
      compiler_test::compileText("var MAXIMUM; var r;\n#define MAX 10;\nfunc _Main() { r = MAX+1; MAXIMUM = MAX; }");
  ASSERT_TRUE(compiled.ok) << compiler_test::parserError(compiled);
  const Lines& lines = compiled.compiler->state().lines;
  EXPECT_EQ(lines[0], "var MAXIMUM; var r;");
  EXPECT_EQ(lines[2], "func _Main() { r = 10+1; MAXIMUM = 10; }");
}

TEST(CompilerDriver, SelfReferringDefineTerminates) {
  compiler_test::Compiled compiled = compiler_test::compileText("var A;\n#define A A;\nfunc _Main() { A = 1; }");
  ASSERT_TRUE(compiled.ok) << compiler_test::parserError(compiled);
  EXPECT_EQ(compiled.compiler->state().lines[2], "func _Main() { A = 1; }");
}

TEST(CompilerDriver, SameStringLiteralSharesOneEntry) {
  compiler_test::Compiled compiled =
      compiler_test::compileText("var s; var t;\nfunc f() { s = \"k\"; t = \"k\"; s = \"K\"; }");
  ASSERT_TRUE(compiled.ok);
  const script::CompilerTables& tables = compiled.compiler->state().tables;
  EXPECT_EQ(tables.stringAt(0), "k");
  EXPECT_EQ(tables.stringAt(1), "K");
  EXPECT_EQ(tables.stringAt(2), "");
}

TEST(CompilerDriver, NamesIgnoreCaseExceptStructsAndDefines) {
  compiler_test::Compiled compiled = compiler_test::compileText(
      "var Foo; struct S { var a; }\nfunc Bar() { return 1; }\nfunc _Main() { foo = bar(); }");
  ASSERT_TRUE(compiled.ok) << compiler_test::parserError(compiled);
  compiled = compiler_test::compileText("struct S { var a; }\ns v;");
  EXPECT_EQ(compiler_test::parserError(compiled), "Invalid identifier");
}

TEST(CompilerDriver, StructOffsets) {
  compiler_test::Compiled compiled = compiler_test::compileText("struct S { var a; var b[3]; var c; }\nS v;");
  ASSERT_TRUE(compiled.ok);
  const script::CompilerTables& tables = compiled.compiler->state().tables;
  const script::StructRecord* record = tables.findStruct("S");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->totalSize, 5);
  EXPECT_EQ(tables.memberOffset(*record, "a"), 0);
  EXPECT_EQ(tables.memberOffset(*record, "b"), script::kArrayMemberWithoutIndex);
  EXPECT_EQ(tables.findMember(*record, "b")->offset, 1);
  EXPECT_EQ(tables.memberOffset(*record, "c"), 4);
  EXPECT_EQ(tables.memberOffset(*record, "d"), script::kUnknownMember);
}

TEST(CompilerDriver, EmitAssemblyWritesTheFileAndReportsOpenFailure) {
  ScopedTempDir dir;
  dir.write("a.vkscript", "var x;\nfunc _Main() { x = 1; }\n");
  xScriptCompiler compiler;
  ASSERT_EQ(compiler.loadSource("a.vkscript"), 1);
  ASSERT_TRUE(compiler.compile());
  ASSERT_TRUE(compiler.emitAssembly("a.vkscript.vkasm"));
  std::string text = dir.read("a.vkscript.vkasm");
  EXPECT_EQ(text.rfind("; a.vkscript.vkasm\n\n; Source File: a.vkscript\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 3), "\n\t}");
  EXPECT_FALSE(compiler.emitAssembly("no/such/dir/a.vkasm"));
  // A full disk fails the write or the close after a good open.
  std::filesystem::create_symlink("/dev/full", "full.vkasm");
  EXPECT_FALSE(compiler.emitAssembly("full.vkasm"));
  EXPECT_EQ(messagesOf(compiler, script::DiagnosticKind::Fatal),
            (Lines{"Could not open output file for output: no/such/dir/a.vkasm (No such file or directory)",
                   "Could not write output file: full.vkasm (No space left on device)"}));
}

class CompilerPolicy : public ::testing::Test {
 protected:
  void SetUp() override {
    xLogFile::resetForTests();
    engine::recordedMessageBoxes().clear();
  }
  void TearDown() override { xLogFile::resetForTests(); }
  ScopedTempDir dir_;
};

TEST_F(CompilerPolicy, LexerAndFileErrorsShowABoxAndGoOn) {
  xScriptCompiler compiler;
  compiler.setDiagnosticHandler(script::reportCompilerDiagnostic);
  compiler.loadText("var x;\n#include \"missing.vkscript\"\nfunc _Main() {\n\tx=-1;\n}", "t.vkscript");
  ASSERT_TRUE(compiler.compile());
  const std::vector<std::string>& boxes = engine::recordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].find("Compiler Fatal Error: Cannot open file: missing.vkscript.\n"), std::string::npos);
  EXPECT_NE(boxes[1].find("Lexer Error: '-' unexpected.\nScript Index: 2\nScript Line: x=-1;\n"), std::string::npos);
  EXPECT_NE(dir_.read("log.txt").find("Lexer Error: '-' unexpected.\nCodeLine: \tx=-1;\n"
                                      "t.vkscript:4: '-' unexpected\n"),
            std::string::npos);
}

TEST_F(CompilerPolicy, ParserErrorIsLoggedWithItsFileLineAndEndsTheProcess) {
  script::CompileDiagnostic d;
  d.kind = script::DiagnosticKind::Parser;
  d.message = "; expected";
  d.line = 135;
  d.lineText = "  x = 2 }";
  d.column = 8;
  d.file = "stage1.vkscript";
  d.fileLine = 5;
  EXPECT_EXIT(script::reportCompilerDiagnostic(d), ::testing::ExitedWithCode(EXIT_FAILURE), "");
  EXPECT_NE(dir_.read("log.txt").find("Error: ; expected.\n\nLine 135\n\n  x = 2 }\n\n        ^\n\n"
                                      "stage1.vkscript:5: ; expected\n"),
            std::string::npos)
      << dir_.read("log.txt");
}

}  // namespace
