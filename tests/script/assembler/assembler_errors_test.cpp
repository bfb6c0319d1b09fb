// Every assembler error message, each with the kept-line number it is reported on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/assembler/xScriptAssembler.h"

namespace {

struct ErrorCase {
  const char* listing;
  const char* message;
  int line;
};

void expectErrors(const std::vector<ErrorCase>& cases) {
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.listing);
    script::AssembledScript out;
    out.globalSize = 77;
    script::AsmResult result = script::assembleText(c.listing, &out);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, c.message);
    EXPECT_EQ(result.line, c.line);
    EXPECT_EQ(out.globalSize, 77u) << "a failed assembly hands nothing out";
  }
}

TEST(AssemblerErrors, LinesAndLabels) {
  expectErrors({
      {"Func F\n{\n  Foo Bar\n}", "Invalid instruction", 2},
      {"Var X\nL1:", "Global label identifier", 1},
      {"Func F\n{\nA:\n  Ret\nA:\n}", "Redefinitioned label", 4},
      {"Func F\n{\n  Ret 5\n}", "Invalid source input", 2},
      {"Func F\n{\n  42\n}", "Invalid source input", 2},
      {"Func F\n{\nA: Ret\n}", "Invalid source input", 2},
      {"}", "'}' expected", 0},
      {"Func F\n{\n  Ret", "'}' expected", 2},
      {"Func F\n  Var X\n{\n}", "'{' expected", 1},
      {"Func F G\n{\n}", "'{' expected", 0},
      {"Func F", "'{' expected", 0},
      {"Func F\n{ Ret\n}", "Invalid source input", 1},
      {"Var X\n  Mov X, 1", "Global instruction", 1},
  });
}

TEST(AssemblerErrors, Directives) {
  expectErrors({
      {"Func F\n{\n  SetStackSize 10\n}", "Local SetStackSize", 2},
      {"SetStackSize 10\nSetStackSize 20", "Multiple SetStackSizes", 1},
      {"SetStackSize Big", "Invalid stack size", 0},
      {"SetStackSize 1.5", "Invalid stack size", 0},
      {"SetStackSize -1", "Invalid stack size", 0},
      {"SetStackSize 99999999", "Invalid stack size", 0},
      // Globals plus main's frame must fit the stack the loader makes.
      {"SetStackSize 4\nVar A\nVar B\nFunc _Main\n{\n  Var C\n}", "Invalid stack size", 0},
      {"Var T\nVar A [ 1030 ]", "Invalid stack size", 1},
      {"Func F\n{\n  SetPriority High\n}", "Local SetPriority call", 2},
      {"SetPriority Low\nSetPriority 3", "Multiple SetPriority found", 1},
      {"SetPriority \"x\"", "Invalid SetPriority parameter", 0},
      {"SetPriority 2.5", "Invalid SetPriority parameter", 0},
  });
}

TEST(AssemblerErrors, Declarations) {
  expectErrors({
      {"Var 5", "Identifier expected", 0},
      {"Var", "Identifier expected", 0},
      {"Func Mov\n{\n}", "Identifier expected", 0},
      {"Var _retval", "Identifier expected", 0},
      {"Func F\n{\n  Param setpriority\n}", "Identifier expected", 2},
      {"Func F\n{\n  Param\n}", "Identifier expected", 2},
      {"Var T\nVar A [ 0 ]", "Invalid array size", 1},
      {"Var T\nVar A [ N ]", "Invalid array size", 1},
      {"Var T\nVar A [ 2000000 ]", "Invalid array size", 1},
      {"Var T\nVar A [ 3", "']' expected", 1},
      {"Var X\nVar x", "Redefinitioned Identifier", 1},
      {"Func F\n{\n  Var A\n  Var A\n}", "Redefinitioned Identifier", 3},
      {"Func F\n{\n  Param A\n  Var A\n}", "Redefinitioned Identifier", 2},
      {"Func F\n{\n  Var A\n}\nVar A", "Redefinitioned Identifier", 4},
      {"Func F\n{\n  Func G\n}", "Nested function", 2},
      {"Func F\n{\n}\nFunc f\n{\n}", "Redefinitioned function", 3},
      {"Param A", "Global parameter", 0},
      {"Func _Main\n{\n  Param A\n}", "Main function parameter", 2},
      // The first global sits at 0, where an array would count into the frame.
      {"Var A [ 2 ]", "Invalid array", 0},
  });
}

TEST(AssemblerErrors, Operands) {
  const std::string decls = "Var T\nVar G\nVar Arr [ 3 ]\nVar Idx [ 2 ]\nFunc F\n{\n";
  const std::vector<std::pair<std::string, const char*>> lines = {
      {"Mov 1, G", "Invalid operator"},
      {"Jmp 3", "Invalid operator"},
      {"Concat G, 1.5", "Invalid operator"},
      {"Push Mov", "Invalid operator"},
      {"Push _RetVal:", "Invalid source input"},
      {"Call _RetVal", "Invalid operator"},
      {"Mov G", "',' expected"},
      {"Mov G 1", "',' expected"},
      {"Mov G,", "Invalid operator"},
      {"Mov G, \"a;b\"", "Invalid string"},
      {"Mov G, \"ab\\", "Invalid string"},
      {"Mov G, \"", "Invalid string"},
      {"Mov Nope, 1", "Undefined identification"},
      {"Mov Arr [ Nope ], 1", "Undefined identification"},
      {"Mov G [ 0 ], 1", "Invalid array"},
      {"Mov Arr [ Idx ], 1", "Invalid array index"},
      {"Mov Arr [ 1.5 ], 1", "Invalid array index"},
      {"Mov Arr [ 3 ], 1", "Invalid array index"},
      {"Mov Arr [ -1 ], 1", "Invalid array index"},
      {"Mov Arr [ 1 , 1", "']' expected"},
      {"Mov Arr, 1", "Array not indexed"},
      {"Jmp Nowhere", "Undefined line label"},
      {"Call Nobody", "Undefined function"},
  };
  std::vector<std::string> listings;
  std::vector<ErrorCase> cases;
  listings.reserve(lines.size());
  for (const auto& [line, message] : lines) {
    listings.push_back(decls + "  " + line + "\n}");
    cases.push_back({listings.back().c_str(), message, 6});
  }
  expectErrors(cases);
}

TEST(AssemblerErrors, FileFieldLimits) {
  std::string longName(256, 'N');
  std::string fits(255, 'N');
  std::string params;
  for (int i = 0; i < 256; ++i) params += "  Param P" + std::to_string(i) + "\n";
  std::string tooLong = "Func " + longName + "\n{\n}";
  std::string tooMany = "Func F\n{\n" + params + "}";
  expectErrors({{tooLong.c_str(), "Identifier too long", 0}, {tooMany.c_str(), "Too many parameters", 257}});

  script::AssembledScript out;
  ASSERT_TRUE(script::assembleText("Func " + fits + "\n{\n}", &out).ok);
  EXPECT_EQ(out.funcs.at(0).name, fits);
}

// A label and a local may not take a label name of another function, but
// they may reuse one.
TEST(AssemblerErrors, LabelsBelongToTheirFunction) {
  EXPECT_TRUE(script::assembleText("Func F\n{\nA:\n}\nFunc G\n{\nA:\n}").ok);
  expectErrors({{"Func F\n{\nA:\n}\nFunc G\n{\n  Jmp A\n}", "Undefined line label", 6}});
}

TEST(AssemblerErrors, LineNumbersCountKeptLinesOnly) {
  expectErrors({
      {"; header\n\n   \t\nVar X\n\n; note\n\t\nVar X", "Redefinitioned Identifier", 1},
      {"Var X\r\n\r\n  ; c\r\nVar Y\r\nMov X, 1\r\n", "Global instruction", 2},
  });
  script::AsmResult result = script::assembleText("Var X\n\tVar\t\t\"q\"");
  EXPECT_EQ(result.message, "Identifier expected");
  EXPECT_EQ(result.column, 5) << "the caret points at the offending token";
}

TEST(AssemblerErrors, ForeignBytesAndLongLinesAreErrorsNotCrashes) {
  expectErrors({
      {"Var \xC4\xE3", "Invalid source input", 0},
      {"Func F\n{\n\xC4\xE3:\n}", "Invalid source input", 2},
      {"Var X\nFunc F\n{\n  Mov X\xC4, 1\n}", "Invalid operator", 3},
      {"Var X\nFunc F\n{\n  Mov X, 1 \x01\n}", "Invalid source input", 3},
  });
  std::string huge = "Var X\nFunc F\n{\n  Mov X, " + std::string(200000, '7') + "x\n}";
  expectErrors({{huge.c_str(), "Invalid operator", 3}});
  std::string bigInt = "Var X\nFunc F\n{\n  Mov X, " + std::string(200000, '9') + "\n}";
  script::AssembledScript out;
  ASSERT_TRUE(script::assembleText(bigInt, &out).ok);
  EXPECT_EQ(out.instrs.at(0).operands.at(1).value, 2147483647) << "the script's atoi saturates";
}

}  // namespace
