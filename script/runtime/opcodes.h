// The script instruction table: opcodes, names, operand counts and kinds (shared API).
//
// Shared by the assembled-file reader and writer, the interpreter, the
// assembler and the compiler. Everything here is expanded from
// script/runtime/opcodes.def; add or change instructions there only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace script {

// Operand kind bits: an operand is accepted at a position when its written
// form matches one of the set bits. Stored nowhere; the assembler checks
// operands against them and the file reader verifies loaded operands.
constexpr std::uint8_t kKindInt = 0x01;     // integer constant
constexpr std::uint8_t kKindFloat = 0x02;   // float constant
constexpr std::uint8_t kKindString = 0x04;  // string constant
constexpr std::uint8_t kKindMemory = 0x08;  // variable, or array element (constant or variable index)
constexpr std::uint8_t kKindLabel = 0x10;   // line label
constexpr std::uint8_t kKindFunc = 0x20;    // function name
constexpr std::uint8_t kKindHost = 0x40;    // host-function name
constexpr std::uint8_t kKindRetVal = 0x80;  // the register _RETVAL

// The combinations the instructions use.
constexpr std::uint8_t kKindNone = 0x00;
constexpr std::uint8_t kKindD = 0x88;  // destination: memory or _RETVAL
constexpr std::uint8_t kKindV = 0x8f;  // any value
constexpr std::uint8_t kKindN = 0x8b;  // number: int, float, memory, _RETVAL
constexpr std::uint8_t kKindS = 0x8c;  // string, memory, _RETVAL
constexpr std::uint8_t kKindI = 0x89;  // int, memory, _RETVAL
constexpr std::uint8_t kKindL = 0x10;
constexpr std::uint8_t kKindF = 0x20;
constexpr std::uint8_t kKindH = 0x40;

// Opcodes. The numeric value is stored in assembled files: see opcodes.def.
enum class Op : std::uint16_t {
#define OP(name, ...) name,
#include "script/runtime/opcodes.def"
#undef OP
};

constexpr int kOpCount = 0
#define OP(...) +1
#include "script/runtime/opcodes.def"
#undef OP
    ;
static_assert(kOpCount == 50, "the instruction set has 50 opcodes");
static_assert(static_cast<int>(Op::RANDOM_FLOAT) == 49 && static_cast<int>(Op::PARAM) == 47);

// Most operands an instruction takes.
constexpr int kMaxOperands = 3;

// What an instruction does to its first operand.
enum class FirstOperand : std::uint8_t {
  Read,    // reads it, or has no operand
  Update,  // reads and writes it
  Set,     // writes it without reading it
};

// Where execution goes after an instruction.
enum class Flow : std::uint8_t {
  Next,    // the next instruction
  Jump,    // the label, always
  Branch,  // the label or the next instruction
  Call,    // a script function, then back
  Host,    // a host function, which may run script code of the thread by name, then back
  End,     // out of the function
};

struct OpInfo {
  const char* name;      // instrNameTable spelling, written by the listing writer
  const char* mnemonic;  // assembler mnemonic, nullptr when the assembler has none
  std::uint8_t operandCount;
  std::array<std::uint8_t, kMaxOperands> kinds;  // kKindNone past operandCount
  FirstOperand first;
  Flow flow;
  std::int8_t builtInSlot;  // the compiler's built-in function slot, -1 for none

  bool writesFirst() const { return first != FirstOperand::Read; }
  bool overwritesFirst() const { return first == FirstOperand::Set; }
  bool jumps() const { return flow == Flow::Jump || flow == Flow::Branch; }
};

// Indexed by opcode.
constexpr std::array<OpInfo, kOpCount> kOpTable = {{
#define KIND_NONE kKindNone
#define KIND_D kKindD
#define KIND_V kKindV
#define KIND_N kKindN
#define KIND_S kKindS
#define KIND_I kKindI
#define KIND_L kKindL
#define KIND_F kKindF
#define KIND_H kKindH
#define FIRST_READ FirstOperand::Read
#define FIRST_UPDATE FirstOperand::Update
#define FIRST_SET FirstOperand::Set
#define FLOW_NEXT Flow::Next
#define FLOW_JUMP Flow::Jump
#define FLOW_BRANCH Flow::Branch
#define FLOW_CALL Flow::Call
#define FLOW_HOST Flow::Host
#define FLOW_END Flow::End
#define OP(name, listing, mnemonic, count, k0, k1, k2, first, flow, builtIn) \
  {listing, mnemonic, count, {k0, k1, k2}, first, flow, builtIn},
#include "script/runtime/opcodes.def"
#undef OP
#undef KIND_NONE
#undef KIND_D
#undef KIND_V
#undef KIND_N
#undef KIND_S
#undef KIND_I
#undef KIND_L
#undef KIND_F
#undef KIND_H
#undef FIRST_READ
#undef FIRST_UPDATE
#undef FIRST_SET
#undef FLOW_NEXT
#undef FLOW_JUMP
#undef FLOW_BRANCH
#undef FLOW_CALL
#undef FLOW_HOST
#undef FLOW_END
}};

constexpr const OpInfo& opInfo(Op op) { return kOpTable[static_cast<std::size_t>(op)]; }

// The compiler's built-in functions by slot: the instruction of the same
// name, taking operand count - 1 arguments.
constexpr int kBuiltInCount = [] {
  int count = 0;
  for (const OpInfo& info : kOpTable) count += info.builtInSlot >= 0 ? 1 : 0;
  return count;
}();
static_assert(kBuiltInCount == 13, "sin cos tan sh ch th ln lg rec sqrt expl randomInt randomFloat");
constexpr std::array<Op, kBuiltInCount> kBuiltInOps = [] {
  std::array<Op, kBuiltInCount> ops{};
  for (std::size_t i = 0; i < kOpTable.size(); ++i) {
    if (kOpTable[i].builtInSlot >= 0) ops[static_cast<std::size_t>(kOpTable[i].builtInSlot)] = static_cast<Op>(i);
  }
  return ops;
}();
static_assert([] {
  std::array<int, kBuiltInCount> rows{};
  for (const OpInfo& info : kOpTable) {
    if (info.builtInSlot >= kBuiltInCount) return false;
    if (info.builtInSlot >= 0) ++rows[static_cast<std::size_t>(info.builtInSlot)];
  }
  for (int n : rows) {
    if (n != 1) return false;
  }
  return true;
}(), "every built-in slot names exactly one instruction");

// The table entry of an opcode number, nullptr when [opcode] is not an
// instruction (50 or more).
const OpInfo* findOp(int opcode);

// The opcode whose assembler mnemonic is [mnemonic], compared without regard
// to ASCII case ("mov", "MOV" and "Mov" all give Op::MOV). PARAM has no
// mnemonic and is never found.
std::optional<Op> findMnemonic(std::string_view mnemonic);

// The listing's keywords (upper case, matched without regard to case like
// the mnemonics), in the order of the assembler's keyword codes.
constexpr std::array<std::string_view, 6> kListingKeywords = {"VAR", "SETSTACKSIZE", "FUNC",
                                                              "PARAM", "_RETVAL", "SETPRIORITY"};

// Whether [name] reads as a keyword or a mnemonic in a listing, where it
// therefore cannot stand for a variable or a function.
bool isListingWord(std::string_view name);

// Whether the interpreter treats [opcode] as a no-op whose operands are never
// looked at: PARAM and any number that is not an instruction. The file reader
// does not check operand counts or kinds of these.
constexpr bool isUncheckedOp(int opcode) {
  return opcode < 0 || opcode >= kOpCount || opcode == static_cast<int>(Op::PARAM);
}

}  // namespace script

// The listing names indexed by opcode, as the compiler's listing writer spells
// them. One table for every user.
extern const char* const instrNameTable[script::kOpCount];
