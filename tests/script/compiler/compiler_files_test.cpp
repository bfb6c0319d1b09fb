// Script files with inline expectations, and the game's own scripts, through the whole pipeline.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "script/runtime/vm.h"
#include "script/runtime/xHostAPIManager.h"
#include "script/assembler/xScriptAssembler.h"
#include "tests/script/compiler/compiler_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> scriptsIn(const fs::path& folder) {
  std::vector<std::string> out;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".vkscript") out.push_back(entry.path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

struct Expectation {
  std::string name;
  std::string value;
};

// "// expect: name = value" lines.
std::vector<Expectation> valueExpectations(const std::string& source) {
  std::vector<Expectation> out;
  const std::string mark = "// expect: ";
  for (std::size_t at = source.find(mark); at != std::string::npos; at = source.find(mark, at + 1)) {
    std::istringstream line(source.substr(at + mark.size(), source.find('\n', at) - at - mark.size()));
    Expectation e;
    std::string equals;
    line >> e.name >> equals >> e.value;
    out.push_back(e);
  }
  return out;
}

// "// expect: name = value" checks a global after _Main ran;
// "// expect error line N: message" expects that parser error instead.
class ScriptFile : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { xLogFile::resetForTests(); }
  void TearDown() override { xLogFile::resetForTests(); }
  ScopedTempDir dir_;
};

TEST_P(ScriptFile, MeetsItsExpectations) {
  const std::string source = readFile(GetParam());
  const std::string errorMark = "// expect error line ";
  if (std::size_t at = source.find(errorMark); at != std::string::npos) {
    std::size_t colon = source.find(": ", at);
    int line = std::stoi(source.substr(at + errorMark.size()));
    std::string message = source.substr(colon + 2, source.find('\n', colon) - colon - 2);
    compiler_test::Compiled compiled = compiler_test::compileText(source);
    ASSERT_FALSE(compiled.ok);
    EXPECT_EQ(compiler_test::parserError(compiled), message);
    EXPECT_EQ(compiled.diagnostics.back().line, line);
    return;
  }
  std::vector<Expectation> expectations = valueExpectations(source);
  ASSERT_FALSE(expectations.empty()) << "the file states no expectation";
  for (bool optimise : {false, true}) {
    SCOPED_TRACE(optimise ? "optimised" : "not optimised");
    compiler_test::Runner runner;
    ASSERT_TRUE(runner.run(source, optimise));
    for (const Expectation& e : expectations) EXPECT_EQ(runner.global(e.name), e.value) << e.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Data, ScriptFile,
                         ::testing::ValuesIn(scriptsIn(fs::path(VELMORA_TEST_DATA) / "script" / "compiler")),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return fs::path(info.param).stem().string();
                         });

// The game's scripts compile, assemble, load, and every function without
// parameters runs (unknown host functions only log).
TEST(GameScripts, CompileAssembleLoadAndRun) {
  ScopedTempDir dir;
  xLogFile::resetForTests();
  xHostAPIManager::resetForTests();
  std::vector<std::string> files = scriptsIn(fs::path(VELMORA_SOURCE_DIR) / "data");
  for (const std::string& file : scriptsIn(fs::path(VELMORA_SOURCE_DIR) / "tools" / "bench_lua")) files.push_back(file);
  ASSERT_FALSE(files.empty());
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    xScriptCompiler compiler;
    ASSERT_EQ(compiler.loadSource(file), 1);
    ASSERT_TRUE(compiler.compile());
    ASSERT_TRUE(compiler.emitAssembly("game.vkasm"));
    xScriptAssembler assembler;
    ASSERT_TRUE(assembler.loadSource("game.vkasm"));
    script::AsmResult result = assembler.assembleChecked();
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_TRUE(assembler.writeBinary("game.vkasmb"));
    script::GroupPtr group(new vm(script::GroupId{0}));
    script::ThreadIndex thread = group->loadScript("game.vkasmb");
    ASSERT_NE(thread, script::kNoThread);
    for (const script::FunctionRecord& function : compiler.state().tables.functions()) {
      if (function.kind == script::FunctionKind::Script && function.parameterCount == 0) {
        EXPECT_TRUE(group->callFunc(thread, function.name)) << function.name;
      }
    }
  }
  xHostAPIManager::resetForTests();
  xLogFile::resetForTests();
}

}  // namespace
