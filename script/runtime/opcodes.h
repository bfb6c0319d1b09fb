// The script instruction table: opcodes, names, operand counts and kinds (shared API).
//
// Shared by the assembled-file reader and writer, the interpreter, the
// assembler and the listing writer. Everything here is expanded from
// script/opcodes.def; add or change instructions there only.
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
#define OP(name, listing, mnemonic, count, k0, k1, k2) name,
#include "script/runtime/opcodes.def"
#undef OP
};

constexpr int kOpCount = 0
#define OP(name, listing, mnemonic, count, k0, k1, k2) +1
#include "script/runtime/opcodes.def"
#undef OP
    ;
static_assert(kOpCount == 50, "the instruction set has 50 opcodes");
static_assert(static_cast<int>(Op::RANDOM_FLOAT) == 49 && static_cast<int>(Op::PARAM) == 47);

// Most operands an instruction takes.
constexpr int kMaxOperands = 3;

struct OpInfo {
  const char* name;      // instrNameTable spelling, written by the listing writer
  const char* mnemonic;  // assembler mnemonic, nullptr when the assembler has none
  std::uint8_t operandCount;
  std::array<std::uint8_t, kMaxOperands> kinds;  // kKindNone past operandCount
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
#define OP(name, listing, mnemonic, count, k0, k1, k2) {listing, mnemonic, count, {k0, k1, k2}},
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
}};

// The order in which the assembler registers its 49 mnemonics (all but
// PARAM). Only the lookup table's capacity depends on it.
constexpr std::array<Op, 49> kAssemblerMnemonicOrder = {
    Op::MOV, Op::ADD, Op::SUB, Op::MUL, Op::DIV, Op::MOD, Op::EXP, Op::NEG, Op::INC, Op::DEC,
    Op::SIN, Op::COS, Op::TAN, Op::LN, Op::LG, Op::EXPL, Op::SH, Op::CH, Op::TH, Op::REC,
    Op::SQRT, Op::AND, Op::OR, Op::XOR, Op::NOT, Op::SHL, Op::SHR, Op::CONCAT, Op::GETCHAR,
    Op::SETCHAR, Op::JMP, Op::JE, Op::JNE, Op::JG, Op::JL, Op::JGE, Op::JLE, Op::PUSH,
    Op::POP, Op::CALL, Op::RET, Op::CALLHOST, Op::PAUSE, Op::EXIT, Op::PRINT,
    Op::PUSHPARAM, Op::PUSHHPARAM, Op::RANDOM_INT, Op::RANDOM_FLOAT,
};

// The table entry of an opcode number, nullptr when [opcode] is not an
// instruction (50 or more).
const OpInfo* findOp(int opcode);

// The opcode whose assembler mnemonic is [mnemonic], compared without regard
// to ASCII case ("mov", "MOV" and "Mov" all give Op::MOV). PARAM has no
// mnemonic and is never found.
std::optional<Op> findMnemonic(std::string_view mnemonic);

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
