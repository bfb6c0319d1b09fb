// The optimiser: push/pop pairing, move merging, temporary propagation and index and constant folding.
#include "script/compiler/optimiser.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <optional>

#include "script/runtime/number_text.h"

namespace script {

namespace {

// Whether the instruction writes its first operand, and whether it does so
// without reading it first.
bool writesFirst(int opcode) { return kOpTable[std::size_t(opcode)].writesFirst(); }
bool overwritesFirst(int opcode) { return kOpTable[std::size_t(opcode)].overwritesFirst(); }

bool isJump(const ICodeNode& node) {
  return node.kind == NodeKind::Instruction && kOpTable[std::size_t(node.opcode)].jumps();
}

// A script or host call: the callee may write any variable and _RetVal.
bool calls(const ICodeNode& node) {
  if (node.kind != NodeKind::Instruction) return false;
  Flow flow = kOpTable[std::size_t(node.opcode)].flow;
  return flow == Flow::Call || flow == Flow::Host;
}

// Control leaves the straight line here; temporaries are dead after it.
bool endsStraightLine(const ICodeNode& node) {
  if (node.kind != NodeKind::Instruction) return false;
  Flow flow = kOpTable[std::size_t(node.opcode)].flow;
  return flow == Flow::Jump || flow == Flow::End || flow == Flow::Call;
}

// A compile-time value with the interpreter's types.
struct Value {
  bool isFloat = false;
  std::int32_t i = 0;
  float f = 0.0f;

  float asFloat() const { return isFloat ? f : float(i); }
  static Value ofInt(std::uint32_t v) { return {false, std::int32_t(v), 0.0f}; }
  static Value ofFloat(float v) { return {true, 0, v}; }
};

// A float constant as the listing's "%f" text reads back: the value the
// interpreter sees, which may differ from the float the parser made.
float listedFloat(float f) { return textToFloat(floatToText(f)); }

std::optional<Value> constantValue(const Operand& op) {
  if (op.kind == OperandKind::Int) return Value::ofInt(std::uint32_t(op.value));
  if (op.kind == OperandKind::Float) {
    float listed = listedFloat(op.asFloatBits());
    if (!std::isfinite(listed)) return std::nullopt;
    return Value::ofFloat(listed);
  }
  return std::nullopt;
}

// One step of folding, as the interpreter computes it; nullopt when the
// result is not certain (or is left to run time).
std::optional<Value> foldOne(Op op, Value d, std::optional<Value> k) {
  std::uint32_t u = std::uint32_t(d.i);
  switch (op) {
    case Op::NEG: return d.isFloat ? Value::ofFloat(-d.f) : Value::ofInt(0u - u);
    case Op::INC: return d.isFloat ? Value::ofFloat(d.f + 1.0f) : Value::ofInt(u + 1u);
    case Op::DEC: return d.isFloat ? Value::ofFloat(d.f - 1.0f) : Value::ofInt(u - 1u);
    default: break;
  }
  if (!k) return std::nullopt;
  std::int32_t ki = k->isFloat ? floatToInt(k->f) : k->i;
  bool floatResult = d.isFloat || k->isFloat;
  switch (op) {
    case Op::ADD:
      return floatResult ? Value::ofFloat(d.asFloat() + k->asFloat()) : Value::ofInt(u + std::uint32_t(ki));
    case Op::SUB:
      return floatResult ? Value::ofFloat(d.asFloat() - k->asFloat()) : Value::ofInt(u - std::uint32_t(ki));
    case Op::MUL:
      return floatResult ? Value::ofFloat(d.asFloat() * k->asFloat()) : Value::ofInt(u * std::uint32_t(ki));
    case Op::DIV:
      if (k->asFloat() == 0.0f) return std::nullopt;
      return Value::ofFloat(d.asFloat() / k->asFloat());
    case Op::MOD:
      if (d.isFloat || ki == 0 || (d.i == INT_MIN && ki == -1)) return std::nullopt;
      return Value::ofInt(std::uint32_t(d.i % ki));
    case Op::SHL:
      if (d.isFloat) return std::nullopt;
      return Value::ofInt(u << (std::uint32_t(ki) & 31u));
    case Op::SHR:
      if (d.isFloat) return std::nullopt;
      return Value::ofInt(std::uint32_t(d.i >> (std::uint32_t(ki) & 31u)));
    default:
      return std::nullopt;
  }
}

// A float result is kept only when the listing's "%f" text reads back as
// the same float; otherwise the interpreter would see another value.
bool survivesListing(const Value& v) {
  if (!v.isFloat) return true;
  if (!std::isfinite(v.f)) return false;
  return std::bit_cast<std::uint32_t>(listedFloat(v.f)) == std::bit_cast<std::uint32_t>(v.f);
}

Operand toOperand(const Value& v) { return v.isFloat ? Operand::floating(v.f) : Operand::integer(v.i); }

class FunctionOptimiser {
 public:
  FunctionOptimiser(xCompilerState& state, ICodeList& code) : s_(state), code_(code) {}

  void run() {
    for (int round = 0; round < 2; ++round) {
      pairPushPop();
      mergeMoves();
      propagateTemporaries();
      compact();
      foldIndices();
      compact();
      foldConcatAndConstants();
    }
  }

 private:
  bool isTemp(const Operand& op) const {
    return op.kind == OperandKind::Variable &&
           (op.value == s_.temp0 || op.value == s_.temp1 || op.value == s_.temp2);
  }
  bool isInstruction(std::size_t i) const { return code_[i].kind == NodeKind::Instruction; }
  void remove(std::size_t i) { code_[i].kind = NodeKind::Deleted; }

  // The nearest live node before/after [i], or -1.
  long liveBefore(std::size_t i) const {
    for (long j = long(i) - 1; j >= 0; --j) {
      if (code_[std::size_t(j)].live()) return j;
    }
    return -1;
  }
  long liveAfter(std::size_t i) const {
    for (std::size_t j = i + 1; j < code_.size(); ++j) {
      if (code_[j].live()) return long(j);
    }
    return -1;
  }
  // The nearest instruction before [i], passing notes; -1 at a label.
  long instructionBefore(std::size_t i) const {
    for (long j = long(i) - 1; j >= 0; --j) {
      const ICodeNode& node = code_[std::size_t(j)];
      if (node.kind == NodeKind::Label) return -1;
      if (node.kind == NodeKind::Instruction) return j;
    }
    return -1;
  }

  // Whether [node] reads the one-cell variable [symbol], ignoring operand [skip].
  static bool reads(const ICodeNode& node, std::int32_t symbol, int skip = -1) {
    for (std::size_t k = 0; k < node.operands.size(); ++k) {
      if (int(k) == skip) continue;
      const Operand& op = node.operands[k];
      if (op.kind == OperandKind::ElementVar && op.indexVar == symbol) return true;
      if (op.kind == OperandKind::Variable && op.value == symbol &&
          !(k == 0 && overwritesFirst(node.opcode)))
        return true;
    }
    return false;
  }

  // Whether the temporary [symbol] is read by instruction [i] (other than its
  // operand [skip]) or later, before it is overwritten.
  bool tempStillRead(std::size_t i, std::int32_t symbol, int skip) const {
    if (reads(code_[i], symbol, skip)) return true;
    if (code_[i].is(Op::JMP)) return false;
    for (std::size_t j = i + 1; j < code_.size(); ++j) {
      const ICodeNode& node = code_[j];
      if (node.kind == NodeKind::Label) return false;
      if (node.kind != NodeKind::Instruction) continue;
      if (reads(node, symbol)) return true;
      if (endsStraightLine(node)) return false;
      if (overwritesFirst(node.opcode) && !node.operands.empty() &&
          node.operands[0].kind == OperandKind::Variable && node.operands[0].value == symbol)
        return false;
    }
    return false;
  }

  // Whether [node] may change what operand [a] reads. A host function may
  // run script code on this thread (a call by name), so a host call may
  // write as much as a script call: any variable, temporaries included.
  bool writes(const ICodeNode& node, const Operand& a) const {
    if (node.kind != NodeKind::Instruction) return false;
    if (calls(node)) return a.kind == OperandKind::Register || a.isMemory();
    if (a.kind == OperandKind::Register) {
      return writesFirst(node.opcode) && !node.operands.empty() &&
             node.operands[0].kind == OperandKind::Register;
    }
    if (!a.isMemory()) return false;
    if (!writesFirst(node.opcode) || node.operands.empty()) return false;
    const Operand& d = node.operands[0];
    if (!d.isMemory()) return false;
    return d.value == a.value || (a.kind == OperandKind::ElementVar && d.value == a.indexVar);
  }

  // Whether the assembler accepts [op] at [position] of [opcode]. A number
  // for concat is accepted: the concat folding turns it into text.
  static bool accepts(int opcode, std::size_t position, const Operand& op, const CompilerTables& t) {
    std::uint8_t kinds = kOpTable[std::size_t(opcode)].kinds[position];
    switch (op.kind) {
      case OperandKind::Int: return (kinds & kKindInt) || opcode == int(Op::CONCAT);
      case OperandKind::Float: return (kinds & kKindFloat) || opcode == int(Op::CONCAT);
      case OperandKind::String:  // "" assembles as the integer 0
        return t.stringAt(op.value).empty() ? (kinds & kKindInt) != 0 : (kinds & kKindString) != 0;
      case OperandKind::Variable:
      case OperandKind::ElementConst:
      case OperandKind::ElementVar: return (kinds & kKindMemory) != 0;
      case OperandKind::Register: return (kinds & kKindRetVal) != 0;
      default: return false;
    }
  }

  void pairPushPop();
  void mergeMoves();
  void propagateTemporaries();
  void propagateInto(std::size_t i, std::size_t k);
  void compact() {
    code_.erase(std::remove_if(code_.begin(), code_.end(), [](const ICodeNode& n) { return !n.live(); }),
                code_.end());
  }
  void foldIndices();
  void foldIndexOf(std::size_t i);
  void foldConcatAndConstants();
  void foldConstantsAfter(std::size_t i);
  [[noreturn]] void fail(const std::string& message) const;

  xCompilerState& s_;
  ICodeList& code_;
};

// Step 1: `push A ... pop X` becomes `mov X, A` when A still holds the
// pushed value at the pop.
void FunctionOptimiser::pairPushPop() {
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (!code_[i].live() || !code_[i].is(Op::POP)) continue;
    long found = -1;
    for (long j = long(i) - 1; j >= 0; --j) {
      const ICodeNode& node = code_[std::size_t(j)];
      if (!node.live() || node.kind == NodeKind::Note) continue;
      if (node.kind == NodeKind::Label || node.is(Op::CALL)) break;
      if (node.is(Op::PUSH)) {
        found = j;
        break;
      }
    }
    if (found <= 0) continue;
    Operand a = code_[std::size_t(found)].operands[0];
    switch (a.kind) {
      case OperandKind::ElementVar: continue;
      case OperandKind::Int: case OperandKind::Float: case OperandKind::String: break;
      case OperandKind::Variable: case OperandKind::ElementConst: case OperandKind::Register: {
        bool written = false;
        for (std::size_t j = std::size_t(found) + 1; j < i && !written; ++j) {
          written = code_[j].live() && writes(code_[j], a);
        }
        if (written) continue;
        break;
      }
      default: fail("Invalid push operator");
    }
    remove(std::size_t(found));
    code_[i].opcode = int(Op::MOV);
    code_[i].operands.push_back(a);
  }
}

// Step 2: `mov T, Q; mov A, T` becomes `mov A, Q`; a move overwritten by the
// next one goes; `mov T, Q; pushhparam T` becomes `pushhparam Q`.
void FunctionOptimiser::mergeMoves() {
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (!code_[i].live() || !code_[i].is(Op::MOV)) continue;
    const Operand b = code_[i].operands[1];
    if (b.kind != OperandKind::Variable || (b.value != s_.temp0 && b.value != s_.temp1)) continue;
    long j = liveBefore(i);
    if (j <= 0 || !code_[std::size_t(j)].is(Op::MOV) || !sameMemory(code_[std::size_t(j)].operands[0], b))
      continue;
    if (tempStillRead(i, b.value, 1)) continue;
    code_[i].operands[1] = code_[std::size_t(j)].operands[1];
    remove(std::size_t(j));
  }
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (!code_[i].live() || !code_[i].is(Op::MOV)) continue;
    long j = liveAfter(i);
    if (j < 0 || !code_[std::size_t(j)].is(Op::MOV)) continue;
    const ICodeNode& later = code_[std::size_t(j)];
    const Operand& a = code_[i].operands[0];
    if (!sameMemory(later.operands[0], a)) continue;
    bool laterReadsA = touchesSymbol(later.operands[1], a.value) ||
                       (later.operands[0].kind == OperandKind::ElementVar && later.operands[0].indexVar == a.value);
    if (!laterReadsA) remove(i);
  }
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (!code_[i].live() || !code_[i].is(Op::PUSHHPARAM)) continue;
    const Operand x = code_[i].operands[0];
    long j = liveBefore(i);
    if (!isTemp(x) || j <= 0 || !code_[std::size_t(j)].is(Op::MOV) ||
        !sameMemory(code_[std::size_t(j)].operands[0], x) || tempStillRead(i, x.value, 0))
      continue;
    code_[i].operands[0] = code_[std::size_t(j)].operands[1];
    remove(std::size_t(j));
  }
}

// Step 3: a temporary operand takes the source of the move that set it, when
// that move stands within the last few moves and its source is unchanged.
void FunctionOptimiser::propagateTemporaries() {
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (!code_[i].live() || !isInstruction(i) || code_[i].operands.size() < 2) continue;
    if (code_[i].operands[0].kind == OperandKind::Register) continue;
    for (std::size_t k = 1; k < code_[i].operands.size(); ++k) {
      if (isTemp(code_[i].operands[k])) propagateInto(i, k);
    }
  }
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (!code_[i].live() || !isJump(code_[i]) || code_[i].is(Op::JMP)) continue;
    const Operand first = code_[i].operands[0];
    if (first.kind != OperandKind::Variable || (first.value != s_.temp0 && first.value != s_.temp1))
      continue;
    long j = instructionBefore(i);
    if (j < 0 || !code_[std::size_t(j)].is(Op::MOV) || !sameMemory(code_[std::size_t(j)].operands[0], first))
      continue;
    code_[i].operands[0] = code_[std::size_t(j)].operands[1];
    if (!tempStillRead(i, first.value, 0)) remove(std::size_t(j));
  }
}

void FunctionOptimiser::propagateInto(std::size_t i, std::size_t k) {
  const Operand temp = code_[i].operands[k];
  std::size_t limit = code_[i].operands.size();
  std::size_t examined = 0;
  std::vector<std::size_t> passed;
  long found = -1;
  for (long j = long(i) - 1; j >= 1 && examined < limit; --j) {
    const ICodeNode& node = code_[std::size_t(j)];
    if (!node.live() || node.kind == NodeKind::Note) continue;
    if (node.kind == NodeKind::Label || !node.is(Op::MOV)) break;
    ++examined;
    if (sameMemory(node.operands[0], temp)) {
      found = j;
      break;
    }
    passed.push_back(std::size_t(j));
  }
  if (found < 0) return;
  const Operand source = code_[std::size_t(found)].operands[1];
  bool keepMove = false;
  for (std::size_t j : passed) {
    if (writes(code_[j], source)) return;  // the source changed in between
    keepMove = keepMove || reads(code_[j], temp.value);
  }
  if (!accepts(code_[i].opcode, k, source, s_.tables)) return;
  code_[i].operands[k] = source;
  if (!keepMove && !tempStillRead(i, temp.value, int(k))) remove(std::size_t(found));
}

// Step 5: `mov A, A` goes; an element indexed by a temporary just set takes
// the temporary's source as its index; `mov T, Q; push T` becomes `push Q`.
void FunctionOptimiser::foldIndices() {
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (code_[i].is(Op::MOV) && sameMemory(code_[i].operands[0], code_[i].operands[1])) remove(i);
  }
  for (std::size_t i = 1; i < code_.size(); ++i) {
    if (code_[i].live() && isInstruction(i)) foldIndexOf(i);
  }
  for (std::size_t i = 2; i < code_.size(); ++i) {
    if (!code_[i].live() || !code_[i].is(Op::PUSH)) continue;
    ICodeNode& before = code_[i - 1];
    const Operand x = code_[i].operands[0];
    if (!before.live() || !before.is(Op::MOV) || !isTemp(x) || !sameMemory(before.operands[0], x)) continue;
    if (tempStillRead(i, x.value, 0)) continue;
    code_[i].operands[0] = before.operands[1];
    remove(i - 1);
  }
}

void FunctionOptimiser::foldIndexOf(std::size_t i) {
  ICodeNode& before = code_[i - 1];
  if (!before.live() || !before.is(Op::MOV) || before.operands[0].kind != OperandKind::Variable) return;
  const std::int32_t index = before.operands[0].value;
  const Operand source = before.operands[1];
  bool changed = false;
  for (Operand& op : code_[i].operands) {
    if (op.kind != OperandKind::ElementVar || op.indexVar != index) continue;
    std::optional<std::int32_t> constant;
    switch (source.kind) {
      case OperandKind::Variable: op.indexVar = source.value; changed = true; continue;
      case OperandKind::Int: constant = source.value; break;
      case OperandKind::Float: constant = floatToInt(listedFloat(source.asFloatBits())); break;
      case OperandKind::String: {
        // The assembler resolves escapes; such a text is left to run time.
        const std::string& text = s_.tables.stringAt(source.value);
        if (text.find('\\') != std::string::npos) continue;
        constant = textToInt(text);
        break;
      }
      case OperandKind::ElementConst: case OperandKind::ElementVar: case OperandKind::Register: continue;
      default: fail("Invalid Array Index");
    }
    // Out of range stays a run-time index: a constant one would name another variable.
    const SymbolRecord* array = s_.tables.symbolAt(op.value);
    if (!array || *constant < 0 || *constant >= array->size) continue;
    op = Operand::elementConst(op.value, *constant);
    changed = true;
  }
  if (changed && isTemp(before.operands[0]) && !tempStillRead(i, index, -1)) remove(i - 1);
}

// Step 7: a number appended by concat becomes its text; a constant moved into
// _T0 absorbs the arithmetic that follows on _T0.
void FunctionOptimiser::foldConcatAndConstants() {
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (!code_[i].live() || !code_[i].is(Op::CONCAT)) continue;
    Operand& b = code_[i].operands[1];
    if (b.kind == OperandKind::Int) {
      b = Operand::string(s_.tables.addString(intToText(b.value)));
    } else if (b.kind == OperandKind::Float) {
      b = Operand::string(s_.tables.addString(floatToText(b.asFloatBits())));
    } else if (b.kind != OperandKind::String && !b.isMemory() && b.kind != OperandKind::Register) {
      const SymbolRecord* a = s_.tables.symbolAt(code_[i].operands[0].value);
      fail("Invalid concat operator: concat " + (a ? a->name : std::string()) + "\nLine: " +
           std::to_string(s_.lexer.lineIndex()));
    }
  }
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (code_[i].live() && code_[i].is(Op::MOV) && code_[i].operands[0].kind == OperandKind::Variable &&
        code_[i].operands[0].value == s_.temp0 && constantValue(code_[i].operands[1]))
      foldConstantsAfter(i);
  }
}

void FunctionOptimiser::foldConstantsAfter(std::size_t i) {
  Value v = *constantValue(code_[i].operands[1]);
  std::vector<std::size_t> folded;
  std::size_t keep = 0;
  Value kept = v;
  for (std::size_t j = i + 1; j < code_.size(); ++j) {
    const ICodeNode& node = code_[j];
    if (!node.live() || node.kind == NodeKind::Note) continue;
    if (node.kind == NodeKind::Label || node.is(Op::MOV) || node.operands.empty()) break;
    const Operand& d = node.operands[0];
    if (d.kind != OperandKind::Variable || d.value != s_.temp0 || node.operands.size() > 2) break;
    std::optional<Value> k;
    if (node.operands.size() == 2 && !(k = constantValue(node.operands[1]))) break;
    std::optional<Value> result = foldOne(Op(node.opcode), v, k);
    if (!result) break;
    v = *result;
    folded.push_back(j);
    if (survivesListing(v)) {
      keep = folded.size();
      kept = v;
    }
  }
  if (keep == 0) return;
  for (std::size_t n = 0; n < keep; ++n) remove(folded[n]);
  code_[i].operands[1] = toOperand(kept);
}

void FunctionOptimiser::fail(const std::string& message) const { failAtToken(s_, message); }

}  // namespace

void optimiseFunction(xCompilerState& state, ICodeList& code) { FunctionOptimiser(state, code).run(); }

void optimiseProgram(xCompilerState& state) {
  if (!state.optimise) return;
  for (FunctionRecord& function : state.tables.functions()) {
    if (function.kind == FunctionKind::Script) optimiseFunction(state, function.code);
  }
}

}  // namespace script
