// The assembler's second pass: parameters and the instruction stream with resolved operands.
#include <iostream>

#include "script/runtime/number_text.h"
#include "script/runtime/opcodes.h"
#include "script/assembler/xScriptAssembler.h"

using script::AsmKeyword;
using script::AsmToken;
using script::AsmTokenKind;
using script::FileOperand;

namespace {

bool isDelimiter(const AsmToken& token, char c) {
  return token.kind == AsmTokenKind::Delimiter && token.delimiter == c;
}

}  // namespace

bool xScriptAssembler::pass2() {
  instrs_.reserve(static_cast<std::size_t>(instrCount_));
  currentFunc_ = -1;
  for (std::size_t i = 0; i < lines_.size(); i = lineIndex_ + 1) {
    startLine(i);
    if (!pass2Line()) return false;
  }
  return true;
}

// Pass 1 has checked every statement's form; only instructions and
// parameters are read here.
bool xScriptAssembler::pass2Line() {
  AsmToken first = lexer_.next();
  if (first.kind == AsmTokenKind::Mnemonic) return emitInstr(first.opcode);
  if (first.kind == AsmTokenKind::Keyword && first.keyword == AsmKeyword::Func) return openFunc2();
  if (first.kind == AsmTokenKind::Keyword && first.keyword == AsmKeyword::Param) return declareParam();
  if (isDelimiter(first, '}')) emitClosing();
  return true;
}

bool xScriptAssembler::openFunc2() {
  AsmToken name = lexer_.next();
  currentFunc_ = findFunc(name.text);
  paramCounter_ = 0;
  return expectOpenBrace();
}

// Parameters sit below the return marker: the first at -(locals + 3), the
// next at -(locals + 4)... so the function's whole local size must be known.
bool xScriptAssembler::declareParam() {
  AsmToken name = lexer_.next();
  const script::AsmFunc& func = funcs_[static_cast<std::size_t>(currentFunc_)];
  if (nameTaken(name.text)) return failAt("Redefinitioned Identifier", name);
  int stackIndex = -(func.localSize + 3 + paramCounter_);
  ++paramCounter_;
  symbolIndex_.add(name.text, currentFunc_, static_cast<int>(symbols_.size()));
  symbols_.push_back({script::toUpperAscii(name.text), 1, stackIndex, currentFunc_});
  return true;
}

// instruction -> mnemonic [operand {',' operand}]
bool xScriptAssembler::emitInstr(int opcode) {
  const script::OpInfo& info = *script::findOp(opcode);
  script::FileInstr instr;
  instr.opcode = static_cast<std::uint16_t>(opcode);
  instr.operands.resize(info.operandCount);
  for (int i = 0; i < info.operandCount; ++i) {
    if (i > 0) {
      AsmToken comma = lexer_.next();
      if (!isDelimiter(comma, ',')) return failAt("',' expected", comma);
    }
    if (!readOperand(info.kinds[static_cast<std::size_t>(i)], instr.operands[static_cast<std::size_t>(i)])) {
      return false;
    }
  }
  if (!expectEnd()) return false;
  if (script::traceOutput()) {
    std::cout << "adding instr: " << opcode << " opcount:" << int{info.operandCount} << "\n";
  }
  instrs_.push_back(std::move(instr));
  return true;
}

// '}' ends "_MAIN" with 'exit 0' and every other function with 'ret'.
void xScriptAssembler::emitClosing() {
  script::FileInstr instr;
  if (funcs_[static_cast<std::size_t>(currentFunc_)].name == "_MAIN") {
    instr.opcode = static_cast<std::uint16_t>(script::Op::EXIT);
    instr.operands.push_back(FileOperand::integer(0));
  } else {
    instr.opcode = static_cast<std::uint16_t>(script::Op::RET);
  }
  if (script::traceOutput()) {
    std::cout << "adding instr: " << instr.opcode << " count:" << instr.operands.size() << "\n";
  }
  instrs_.push_back(std::move(instr));
  currentFunc_ = -1;
}

// operand -> integer | float | string | memory | label | function | host name | _RETVAL
bool xScriptAssembler::readOperand(std::uint8_t kinds, FileOperand& out) {
  AsmToken token = lexer_.next();
  switch (token.kind) {
    case AsmTokenKind::Integer:
      if (!(kinds & script::kKindInt)) break;
      out = FileOperand::integer(script::textToInt(token.text));
      return true;
    case AsmTokenKind::Float:
      if (!(kinds & script::kKindFloat)) break;
      out = FileOperand::floating(script::textToFloat(token.text));
      return true;
    case AsmTokenKind::String:
    case AsmTokenKind::BadString:
      if (!(kinds & script::kKindString)) break;
      return readStringOperand(token, out);
    case AsmTokenKind::Identifier: return readIdentOperand(kinds, token, out);
    case AsmTokenKind::Keyword:
      if (token.keyword != AsmKeyword::RetVal || !(kinds & script::kKindRetVal)) break;
      out = FileOperand::retval();
      return true;
    default: break;
  }
  return failAt("Invalid operator", token);
}

// An empty string constant stands for the integer 0.
bool xScriptAssembler::readStringOperand(const AsmToken& token, FileOperand& out) {
  if (token.kind == AsmTokenKind::BadString) return failAt("Invalid string", token);
  if (token.text.empty()) {
    out = FileOperand::integer(0);
  } else {
    out = FileOperand::string(addString(token.text));
  }
  return true;
}

// No instruction accepts an identifier in more than one way, so the first
// kind that takes identifiers decides.
bool xScriptAssembler::readIdentOperand(std::uint8_t kinds, const AsmToken& token, FileOperand& out) {
  if (kinds & script::kKindMemory) return readMemoryOperand(token, out);
  if (kinds & script::kKindLabel) {
    int target = findLabel(token.text);
    if (target < 0) return failAt("Undefined line label", token);
    out = FileOperand::label(target);
    return true;
  }
  if (kinds & script::kKindFunc) {
    int func = findFunc(token.text);
    if (func < 0) return failAt("Undefined function", token);
    out = FileOperand::function(func);
    return true;
  }
  if (kinds & script::kKindHost) {
    out = FileOperand::host(addString(script::toUpperAscii(token.text)));
    return true;
  }
  return failAt("Invalid operator", token);
}

// memory -> name | name '[' ( integer | name ) ']'
bool xScriptAssembler::readMemoryOperand(const AsmToken& token, FileOperand& out) {
  int index = findSymbol(token.text);
  if (index < 0) return failAt("Undefined identification", token);
  const script::AsmSymbol& symbol = symbols_[static_cast<std::size_t>(index)];
  if (lexer_.nextIsDelimiter('[')) {
    if (symbol.size == 1) return failAt("Invalid array", token);
    lexer_.next();
    return readElement(symbol, out);
  }
  if (symbol.size > 1) return failAt("Array not indexed", token);
  out = FileOperand::stack(symbol.stackIndex);
  return true;
}

// A base of 1 or more counts its elements upward, a base of 0 or less
// downward. A constant index must lie within the array: outside it the
// element would be some other variable's cell, or the index arithmetic
// would overflow.
bool xScriptAssembler::readElement(const script::AsmSymbol& array, FileOperand& out) {
  AsmToken index = lexer_.next();
  if (index.kind == AsmTokenKind::Integer) {
    std::int32_t n = script::textToInt(index.text);
    if (n < 0 || n >= array.size) return failAt("Invalid array index", index);
    out = FileOperand::stack(array.stackIndex >= 1 ? array.stackIndex + n : array.stackIndex - n);
  } else if (index.kind == AsmTokenKind::Identifier) {
    int cell = findSymbol(index.text);
    if (cell < 0) return failAt("Undefined identification", index);
    const script::AsmSymbol& indexVar = symbols_[static_cast<std::size_t>(cell)];
    if (indexVar.size > 1) return failAt("Invalid array index", index);
    out = FileOperand::array(array.stackIndex, indexVar.stackIndex);
  } else {
    return failAt("Invalid array index", index);
  }
  AsmToken close = lexer_.next();
  if (!isDelimiter(close, ']')) return failAt("']' expected", close);
  return true;
}
