// Test helpers: compile a source from memory, and run compiled scripts through the assembler and the runtime.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script/runtime/vm.h"
#include "script/compiler/xScriptCompiler.h"

namespace compiler_test {

struct Compiled {
  bool ok = false;
  std::string listing;  // written with the time "TIME" and the output name "test.vkasm"
  std::vector<script::CompileDiagnostic> diagnostics;
  std::unique_ptr<xScriptCompiler> compiler;
};

// Compiles [source] (lines separated by '\n') named "test.vkscript".
Compiled compileText(const std::string& source, bool optimise = true);

// The message of the last parser diagnostic, "" when there is none.
std::string parserError(const Compiled& compiled);

// The instruction lines of function [name]'s block ("mov x, 1"), with the
// tabs between mnemonic and operands made one blank; notes and labels left out.
std::vector<std::string> instructionsOf(const std::string& listing, const std::string& name);

// A compiled script loaded into a fresh script group, with test host
// functions registered: htA() = 10, htB() = 20, htName() = "bob",
// htAdd(a, b) = a + b, htEcho(x) = x (as a string).
class Runner {
 public:
  Runner();
  ~Runner();
  // Compiles, assembles, loads and calls [function]; false (with a test
  // failure) when any step fails.
  bool run(const std::string& source, bool optimise, const std::string& function = "_MAIN");
  // The value of global [name] (cell [index] of an array or struct) as text: "i:5", "f:2.5" (nine digits), "s:abc", "null".
  std::string global(const std::string& name, int index = 0) const;
  const std::string& listing() const { return compiled_.listing; }

 private:
  Compiled compiled_;
  script::GroupPtr group_;
  script::ThreadIndex thread_ = script::kNoThread;
};

}  // namespace compiler_test
