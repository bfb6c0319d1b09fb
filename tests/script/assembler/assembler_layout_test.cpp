// What the assembler resolves names to: stack, instruction, function and string indices, and the file bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "script/runtime/opcodes.h"
#include "script/assembler/xScriptAssembler.h"
#include "tests/support/temp_dir.h"

namespace {

using script::AssembledScript;
using script::FileOperand;
using script::Op;

AssembledScript assembleOk(const std::string& listing) {
  AssembledScript out;
  script::AsmResult result = script::assembleText(listing, &out);
  EXPECT_TRUE(result.ok) << result.message << " at line " << result.line << "\n" << listing;
  return out;
}

std::uint16_t op(Op o) { return static_cast<std::uint16_t>(o); }

TEST(AssemblerLayout, CaseDoesNotMatterExceptInStrings) {
  AssembledScript lower = assembleOk("var t\nvar x\nfunc init\n{\nmov x, 1\nl1: \njmp l1\n}");
  AssembledScript upper = assembleOk("VAR T\nVAR X\nFUNC INIT\n{\nMOV X, 1\nL1:\nJMP L1\n}");
  EXPECT_EQ(lower, upper);
  EXPECT_EQ(lower.funcs.at(0).name, "INIT");

  AssembledScript mixed = assembleOk(
      "Var T\nFunc F\n{\n XOr T, 1\n ShL T, 2\n RandomInt T, 1, 9\n Mov _retval, \"MiXed\"\n}");
  EXPECT_EQ(mixed.instrs.at(0).opcode, op(Op::XOR));
  EXPECT_EQ(mixed.instrs.at(1).opcode, op(Op::SHL));
  EXPECT_EQ(mixed.instrs.at(2).opcode, op(Op::RANDOM_INT));
  EXPECT_EQ(mixed.instrs.at(3).operands.at(0), FileOperand::retval());
  EXPECT_EQ(mixed.strings, std::vector<std::string>{"MiXed"});
}

// Entries 0 and 4, closing instructions at 3 and 9; a label just before '}'
// names the closing instruction.
TEST(AssemblerLayout, InstructionIndicesIncludeEachClosingInstruction) {
  AssembledScript s = assembleOk(
      "Var T\n"
      "Func F\n{\n Inc T\n Inc T\nTop:\n Jmp Top\n}\n"
      "Func _Main\n{\n Inc T\n Call F\n Jmp Last\n Dec T\n Dec T\nLast:\n}\n"
      "Func G\n\n\n{\nOwn:\n Jmp Own\n}");
  ASSERT_EQ(s.funcs.size(), 3u);
  EXPECT_EQ(s.funcs[0].entry, 0u);
  EXPECT_EQ(s.funcs[1].entry, 4u);
  EXPECT_EQ(s.funcs[2].entry, 10u);
  ASSERT_EQ(s.instrs.size(), 12u);
  EXPECT_EQ(s.instrs[3].opcode, op(Op::RET));
  EXPECT_TRUE(s.instrs[3].operands.empty());
  EXPECT_EQ(s.instrs[9].opcode, op(Op::EXIT));
  EXPECT_EQ(s.instrs[9].operands, std::vector<FileOperand>{FileOperand::integer(0)});
  EXPECT_EQ(s.instrs[2].operands.at(0), FileOperand::label(2));
  EXPECT_EQ(s.instrs[5].operands.at(0), FileOperand::function(0));
  EXPECT_EQ(s.instrs[6].operands.at(0), FileOperand::label(9)) << "a label before '}' names the closing instruction";
  EXPECT_EQ(s.instrs[10].operands.at(0), FileOperand::label(10));
  EXPECT_TRUE(s.hasMain);
  EXPECT_EQ(s.mainIndex, 1u);
}

TEST(AssemblerLayout, StackIndicesOfGlobalsLocalsAndParameters) {
  AssembledScript s = assembleOk(
      "Var T0\nVar T1\nVar T2\nVar Pad [ 7 ]\nVar G [ 4 ]\n"
      "Func F\n{\n Param P\n Param Q\n Var A\n Var B [ 3 ]\n"
      " Mov A, P\n Mov Q, B [ 0 ]\n Push B [ 2 ]\n Push G [ 2 ]\n Mov G [ A ], B [ Q ]\n}");
  EXPECT_EQ(s.globalSize, 14u);
  ASSERT_EQ(s.funcs.size(), 1u);
  EXPECT_EQ(s.funcs[0].localSize, 4u);
  EXPECT_EQ(s.funcs[0].paramCount, 2);
  const auto& in = s.instrs;
  EXPECT_EQ(in[0].operands[0], FileOperand::stack(-2)) << "first local";
  EXPECT_EQ(in[0].operands[1], FileOperand::stack(-7)) << "first parameter below locals and the return marker";
  EXPECT_EQ(in[1].operands[0], FileOperand::stack(-8));
  EXPECT_EQ(in[1].operands[1], FileOperand::stack(-3));
  EXPECT_EQ(in[2].operands[0], FileOperand::stack(-5)) << "local arrays count downward";
  EXPECT_EQ(in[3].operands[0], FileOperand::stack(12)) << "global arrays count upward";
  EXPECT_EQ(in[4].operands[0], FileOperand::array(10, -2));
  EXPECT_EQ(in[4].operands[1], FileOperand::array(-3, -8));
}

TEST(AssemblerLayout, NameLookupFindsGlobalsFirst) {
  // A local with a global's name can be declared but the global is found.
  AssembledScript s = assembleOk("Var T\nVar X\nFunc F\n{\n Var Y\n Var X\n Mov X, 1\n Mov Y, 2\n}");
  EXPECT_EQ(s.instrs[0].operands[0], FileOperand::stack(1));
  EXPECT_EQ(s.instrs[1].operands[0], FileOperand::stack(-2));
  // Locals of another function are invisible.
  script::AsmResult r = script::assembleText("Func F\n{\n Var L\n}\nFunc G\n{\n Inc L\n}");
  EXPECT_EQ(r.message, "Undefined identification");
  // Each function finds its own local and its own label of a shared name, in any case.
  AssembledScript two = assembleOk("Func F\n{\n Var A\n Var B\nL:\n Mov b, 1\n Jmp L\n}\n"
                                   "Func G\n{\n Var B\nL:\n Mov B, 2\n Jmp l\n}");
  EXPECT_EQ(two.instrs[0].operands[0], FileOperand::stack(-3));
  EXPECT_EQ(two.instrs[1].operands[0], FileOperand::label(0));
  EXPECT_EQ(two.instrs[3].operands[0], FileOperand::stack(-2));
  EXPECT_EQ(two.instrs[4].operands[0], FileOperand::label(3));
}

TEST(AssemblerLayout, DirectivesFillTheHeader) {
  AssembledScript none = assembleOk("Func F\n{\n}");
  EXPECT_EQ(none.stackSize, 0u);
  EXPECT_EQ(none.priorityKind, script::kPriorityLow);
  EXPECT_FALSE(none.hasMain);
  EXPECT_EQ(none.mainIndex, 0u);

  AssembledScript number = assembleOk("SetStackSize 300\nSetPriority 25");
  EXPECT_EQ(number.stackSize, 300u);
  EXPECT_EQ(number.priorityKind, script::kPriorityNumber);
  EXPECT_EQ(number.priorityValue, 25u);

  EXPECT_EQ(assembleOk("SetPriority medium").priorityKind, script::kPriorityMedium);
  EXPECT_EQ(assembleOk("SetPriority HIGH").priorityKind, script::kPriorityHigh);
  EXPECT_EQ(assembleOk("SetPriority FAST").priorityKind, script::kPriorityLow);
  EXPECT_EQ(assembleOk("SetStackSize 0\nVar A [ 1 ]").stackSize, 0u) << "0 keeps the default";
}

TEST(AssemblerLayout, StringTableAndOperandForms) {
  AssembledScript s = assembleOk(
      "Var T\nFunc F\n{\n"
      " Mov T, \"Same Text\"\n PushHParam \"Same Text\"\n CallHost htPlay\n CallHost HTPLAY\n"
      " Mov T, \"\"\n Mov T, \"a\\\"b\\\\c\\nd\\q\"\n Mov T, -12\n Mov T, -0.25\n Push .5\n"
      " Concat T, \"htPlay\"\n}");
  EXPECT_EQ(s.strings, (std::vector<std::string>{"Same Text", "HTPLAY", "a\"b\\c\nd" "q", "htPlay"}));
  const auto& in = s.instrs;
  EXPECT_EQ(in[0].operands[1], FileOperand::string(0));
  EXPECT_EQ(in[1].operands[0], FileOperand::string(0));
  EXPECT_EQ(in[2].operands[0], FileOperand::host(1));
  EXPECT_EQ(in[3].operands[0], FileOperand::host(1));
  EXPECT_EQ(in[4].operands[1], FileOperand::integer(0)) << "an empty string is the integer 0";
  EXPECT_EQ(in[5].operands[1], FileOperand::string(2));
  EXPECT_EQ(in[6].operands[1], FileOperand::integer(-12));
  EXPECT_EQ(in[7].operands[1], FileOperand::floating(-0.25f));
  EXPECT_EQ(in[8].operands[0], FileOperand::floating(0.5f));
  EXPECT_TRUE(s.hostCalls.empty());
}

// Written by hand from the file layout: header, three instructions with
// stack, string, float, host and integer operands, two strings, one function,
// an empty host-call table.
TEST(AssemblerLayout, GoldenBytes) {
  const std::vector<std::uint8_t> expected = {
      'V', 'E', 'K', 'T', 1, 2,        // magic, version 1.2
      16, 0, 0, 0,                     // stack size
      1, 0, 0, 0,                      // global data size
      0, 7, 0, 0, 0,                   // priority kind 0, value 7
      1, 0, 0, 0, 0,                   // has main, main index 0
      4, 0, 0, 0,                      // instruction count
      0, 0, 2, 3, 0, 0, 0, 0, 2, 0, 0, 0, 0,  // Mov G, "hi"
      26, 0, 1, 1, 0x00, 0x00, 0xC0, 0x3F,   // Push 1.5
      30, 0, 1, 7, 1, 0, 0, 0,         // CallHost htFoo
      32, 0, 1, 0, 0, 0, 0, 0,         // Exit 0
      2, 0, 0, 0,                      // two strings
      2, 0, 0, 0, 'h', 'i',
      5, 0, 0, 0, 'H', 'T', 'F', 'O', 'O',
      1, 0, 0, 0,                      // one function
      0, 0, 0, 0, 0, 0, 0, 0, 0,       // entry 0, no parameters, no locals
      5, '_', 'M', 'A', 'I', 'N',
      0, 0, 0, 0,                      // no host calls
  };
  ScopedTempDir dir;
  dir.write("tiny.vkasm",
            "; tiny\n\tSetStackSize 16\n\tSetPriority 7\n\n\tVar G\n\tFunc _Main\n\t{\n"
            "\t\tMov\t\tG, \"hi\"\n\t\tPush\t\t1.5\n\t\tCallHost\thtFoo\n\t}");
  xScriptAssembler assembler;
  ASSERT_TRUE(assembler.loadSource("tiny.vkasm"));
  ASSERT_TRUE(assembler.assemble());
  ASSERT_TRUE(assembler.writeBinary("tiny.vkasmb"));
  std::string bytes = dir.read("tiny.vkasmb");
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), expected);
}

TEST(AssemblerLayout, TraceLines) {
  script::setTraceOutput(true);
  testing::internal::CaptureStdout();
  AssembledScript s = assembleOk("Var T\nFunc F\n{\n Inc T\n}\nFunc _Main\n{\n}");
  std::string trace = testing::internal::GetCapturedStdout();
  script::setTraceOutput(false);
  EXPECT_EQ(trace,
            "Adding Func: F index;0\nAdding Func: _MAIN index;1\nInstr Stream Size: 3\n"
            "adding instr: 8 opcount:1\nadding instr: 29 count:0\nadding instr: 32 count:1\n");
}

TEST(AssemblerLayout, FailedAssemblyLogsBoxesAndWritesNothing) {
  ScopedTempDir dir;
  xLogFile::resetForTests();
  engine::recordedMessageBoxes().clear();
  dir.write("bad.vkasm", "Var X\nFunc F\n{\n\tMov\tX,\t\"oops\n}");
  xScriptAssembler assembler;
  EXPECT_FALSE(assembler.loadSource("missing.vkasm"));
  ASSERT_TRUE(assembler.loadSource("bad.vkasm"));
  EXPECT_FALSE(assembler.assemble());
  EXPECT_FALSE(assembler.writeBinary("bad.vkasmb"));
  EXPECT_EQ(dir.read("bad.vkasmb"), "");
  EXPECT_NE(dir.read("log.txt").find("Error: Invalid string.\n\nLine 3\nMov X, \"oops\n       ^\n"),
            std::string::npos)
      << dir.read("log.txt");
  ASSERT_EQ(engine::recordedMessageBoxes().size(), 1u);
  EXPECT_NE(engine::recordedMessageBoxes()[0].find(
                "Could not assemble script bad.vkasm.\nScript Line: Mov\tX,\t\"oops\n"),
            std::string::npos)
      << engine::recordedMessageBoxes()[0];
  xLogFile::resetForTests();
}

}  // namespace
