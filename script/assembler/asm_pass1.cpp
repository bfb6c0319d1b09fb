// The assembler's first pass: directives, declarations, functions, labels and instruction counting.
#include <iostream>

#include "script/runtime/number_text.h"
#include "script/assembler/xScriptAssembler.h"

using script::AsmKeyword;
using script::AsmToken;
using script::AsmTokenKind;

namespace {

// The file stores a function's name length and parameter count in one byte each.
constexpr std::size_t kMaxFuncNameLength = 255;
constexpr int kMaxParams = 255;

bool isDelimiter(const AsmToken& token, char c) {
  return token.kind == AsmTokenKind::Delimiter && token.delimiter == c;
}

}  // namespace

bool xScriptAssembler::pass1() {
  for (std::size_t i = 0; i < lines_.size(); i = lineIndex_ + 1) {
    startLine(i);
    if (!pass1Line()) return false;
  }
  if (currentFunc_ >= 0) return fail("'}' expected", lexer_.column());
  if (script::traceOutput()) std::cout << "Instr Stream Size: " << instrCount_ << "\n";
  return checkStackFits();
}

// statement -> label | '}' | instruction | directive | declaration | FUNC name '{'
bool xScriptAssembler::pass1Line() {
  AsmToken first = lexer_.next();
  switch (first.kind) {
    case AsmTokenKind::Identifier: return declareLabel(first);
    case AsmTokenKind::Delimiter:
      if (first.delimiter == '}') return closeFunc1(first);
      break;
    case AsmTokenKind::Mnemonic:
      if (currentFunc_ < 0) return failAt("Global instruction", first);
      ++instrCount_;
      return true;
    case AsmTokenKind::Keyword:
      switch (first.keyword) {
        case AsmKeyword::SetStackSize: return setStackSize(first);
        case AsmKeyword::SetPriority: return setPriority(first);
        case AsmKeyword::Var: return declareVar();
        case AsmKeyword::Func: return openFunc1(first);
        case AsmKeyword::Param: return countParam(first);
        default: break;
      }
      break;
    default: break;
  }
  return failAt("Invalid source input", first);
}

// label -> name ':' ; it names the next instruction of its function
bool xScriptAssembler::declareLabel(const AsmToken& name) {
  if (!isDelimiter(lexer_.next(), ':')) return failAt("Invalid instruction", name);
  if (currentFunc_ < 0) return failAt("Global label identifier", name);
  if (!labels_.add(name.text, currentFunc_, instrCount_)) {
    return failAt("Redefinitioned label", name);
  }
  return expectEnd();
}

// The closing instruction ('exit 0' or 'ret') is counted here, so labels and
// the next function's entry see the indices pass 2 gives.
bool xScriptAssembler::closeFunc1(const AsmToken& brace) {
  if (currentFunc_ < 0) return failAt("'}' expected", brace);
  funcs_[static_cast<std::size_t>(currentFunc_)].paramCount = paramCounter_;
  ++instrCount_;
  currentFunc_ = -1;
  return expectEnd();
}

// directive -> SETSTACKSIZE integer ; 0 asks for the default size
bool xScriptAssembler::setStackSize(const AsmToken& keyword) {
  if (currentFunc_ >= 0) return failAt("Local SetStackSize", keyword);
  if (stackSizeSet_) return failAt("Multiple SetStackSizes", keyword);
  AsmToken size = lexer_.next();
  if (size.kind != AsmTokenKind::Integer) return failAt("Invalid stack size", size);
  std::int32_t value = script::textToInt(size.text);
  if (value < 0 || static_cast<std::uint32_t>(value) > script::kMaxStackSize) {
    return failAt("Invalid stack size", size);
  }
  stackSize_ = static_cast<std::uint32_t>(value);
  stackSizeSet_ = true;
  stackSizeLine_ = static_cast<int>(lineIndex_);
  return expectEnd();
}

// directive -> SETPRIORITY ( integer | LOW | MEDIUM | HIGH | identifier )
bool xScriptAssembler::setPriority(const AsmToken& keyword) {
  if (currentFunc_ >= 0) return failAt("Local SetPriority call", keyword);
  if (prioritySet_) return failAt("Multiple SetPriority found", keyword);
  AsmToken value = lexer_.next();
  if (value.kind == AsmTokenKind::Integer) {
    priorityKind_ = script::kPriorityNumber;
    priorityValue_ = static_cast<std::uint32_t>(script::textToInt(value.text));
  } else if (value.kind == AsmTokenKind::Identifier) {
    if (script::equalsIgnoreAsciiCase(value.text, "LOW")) priorityKind_ = script::kPriorityLow;
    if (script::equalsIgnoreAsciiCase(value.text, "MEDIUM")) priorityKind_ = script::kPriorityMedium;
    if (script::equalsIgnoreAsciiCase(value.text, "HIGH")) priorityKind_ = script::kPriorityHigh;
  } else {
    return failAt("Invalid SetPriority parameter", value);
  }
  prioritySet_ = true;
  return expectEnd();
}

// declaration -> VAR name [ '[' integer ']' ]
bool xScriptAssembler::declareVar() {
  AsmToken name;
  if (!readName(name)) return false;
  int size = 1;
  if (lexer_.nextIsDelimiter('[')) {
    lexer_.next();
    if (!readArraySize(size)) return false;
  }
  if (!expectEnd()) return false;
  return placeVar(name, size);
}

// The size is capped by the largest stack a file may ask for, so no sum of
// sizes or stack index can overflow.
bool xScriptAssembler::readArraySize(int& size) {
  AsmToken token = lexer_.next();
  if (token.kind != AsmTokenKind::Integer) return failAt("Invalid array size", token);
  std::int32_t value = script::textToInt(token.text);
  if (value < 1 || static_cast<std::uint32_t>(value) > script::kMaxStackSize) {
    return failAt("Invalid array size", token);
  }
  size = value;
  AsmToken close = lexer_.next();
  if (!isDelimiter(close, ']')) return failAt("']' expected", close);
  return true;
}

// Globals take 0, 1, 2...; locals -2, -3... An array at base 0 would count its
// elements downward into the frame cells, so the first global is no array.
bool xScriptAssembler::placeVar(const AsmToken& name, int size) {
  if (nameTaken(name.text)) return failAt("Redefinitioned Identifier", name);
  const auto cap = static_cast<int>(script::kMaxStackSize);
  script::AsmSymbol symbol{script::toUpperAscii(name.text), size, 0, currentFunc_};
  if (currentFunc_ < 0) {
    if (size > 1 && globalSize_ == 0) return failAt("Invalid array", name);
    if (size > cap - globalSize_) return failAt("Invalid array size", name);
    symbol.stackIndex = globalSize_;
    globalSize_ += size;
  } else {
    int& localSize = funcs_[static_cast<std::size_t>(currentFunc_)].localSize;
    if (size > cap - localSize) return failAt("Invalid array size", name);
    symbol.stackIndex = -(localSize + 2);
    localSize += size;
  }
  symbolIndex_.add(name.text, currentFunc_, static_cast<int>(symbols_.size()));
  symbols_.push_back(std::move(symbol));
  return true;
}

// function -> FUNC name '{' {statement} '}'
bool xScriptAssembler::openFunc1(const AsmToken& keyword) {
  if (currentFunc_ >= 0) return failAt("Nested function", keyword);
  AsmToken name;
  if (!readName(name)) return false;
  if (name.text.size() > kMaxFuncNameLength) return failAt("Identifier too long", name);
  if (findFunc(name.text) >= 0) return failAt("Redefinitioned function", name);
  int index = static_cast<int>(funcs_.size());
  funcs_.push_back({script::toUpperAscii(name.text), instrCount_, 0, 0});
  funcIndex_.emplace(funcs_.back().name, index);
  if (funcs_.back().name == "_MAIN") {
    hasMain_ = true;
    mainIndex_ = index;
  }
  if (script::traceOutput()) std::cout << "Adding Func: " << funcs_.back().name << " index;" << index << "\n";
  currentFunc_ = index;
  paramCounter_ = 0;
  return expectOpenBrace();
}

// parameter -> PARAM name ; only counted here, placed by pass 2
bool xScriptAssembler::countParam(const AsmToken& keyword) {
  if (currentFunc_ < 0) return failAt("Global parameter", keyword);
  if (funcs_[static_cast<std::size_t>(currentFunc_)].name == "_MAIN") {
    return failAt("Main function parameter", keyword);
  }
  AsmToken name;
  if (!readName(name)) return false;
  if (paramCounter_ >= kMaxParams) return failAt("Too many parameters", name);
  ++paramCounter_;
  return expectEnd();
}

// The loader puts the globals and main's frame (its locals and two marker
// cells) on the stack at once; they must fit in it.
bool xScriptAssembler::checkStackFits() {
  std::int64_t needed = globalSize_;
  if (hasMain_) needed += funcs_[static_cast<std::size_t>(mainIndex_)].localSize + 2;
  if (needed <= static_cast<std::int64_t>(script::effectiveStackSize(stackSize_))) return true;
  if (stackSizeSet_) {
    startLine(static_cast<std::size_t>(stackSizeLine_));
  } else if (!lines_.empty()) {
    startLine(lines_.size() - 1);
  }
  return fail("Invalid stack size", 0);
}
