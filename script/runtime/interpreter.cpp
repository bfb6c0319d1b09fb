// The script interpreter: one dispatch loop over the instruction table.
#include <bit>
#include <climits>
#include <cmath>

#include "base/xLogFile.h"
#include "engine/hge.h"
#include "engine/platform.h"
#include "script/runtime/number_text.h"
#include "script/runtime/opcodes.h"
#include "script/runtime/vm_script.h"

using script::Code;

namespace {

// Degrees to radians with the single-precision pi, rounded to a float.
constexpr double kPi = 3.1415927410125732;

inline std::int32_t toInt(const vm_value& v) { return v.type == OP_TYPE_INT ? v.intValue : v.asInt(); }
inline float toFloat(const vm_value& v) { return v.type == OP_TYPE_FLOAT ? v.floatValue : v.asFloat(); }

// Integer arithmetic wraps at 32 bits.
inline std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t wrapSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline std::int32_t wrapMul(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// add, sub, mul: an integer destination turns float when S is a float;
// destinations of other tags are left unchanged.
template <class IntOp, class FloatOp>
inline void mixedArith(vm_value& d, const vm_value& s, IntOp intOp, FloatOp floatOp) {
  if ((d.type | s.type) == OP_TYPE_INT) {  // both integers, the common case
    d.intValue = intOp(d.intValue, s.intValue);
  } else if (d.type == OP_TYPE_FLOAT && s.type == OP_TYPE_FLOAT) {
    d.floatValue = floatOp(d.floatValue, s.floatValue);
  } else if (d.type == OP_TYPE_INT) {
    if (s.type == OP_TYPE_FLOAT) {
      d.setFloat(floatOp(static_cast<float>(d.intValue), s.floatValue));
    } else {
      d.intValue = intOp(d.intValue, toInt(s));
    }
  } else if (d.type == OP_TYPE_FLOAT) {
    d.floatValue = floatOp(d.floatValue, toFloat(s));
  }
}

// "mov d, a" then "op d, b" (op: add, sub, mul, div) in one step, when d
// holds no text and a and b are both integers or both floats: the result's
// tag and payload bits, which replace d's; false otherwise. b is read after
// the mov, so b being d reads a.
inline bool movThenArith(Code op, const vm_value& d, const vm_value& a, const vm_value& b, std::int32_t& type,
                         std::int32_t& bits) {
  if (vm_value::holdsText(d.type)) return false;
  const vm_value& s = &b == &d ? a : b;
  if ((a.type | s.type) == OP_TYPE_INT) {
    if (op == Code::DIV) {
      type = OP_TYPE_FLOAT;
      bits = std::bit_cast<std::int32_t>(static_cast<float>(a.intValue) / static_cast<float>(s.intValue));
    } else {
      type = OP_TYPE_INT;
      bits = op == Code::ADD   ? wrapAdd(a.intValue, s.intValue)
             : op == Code::SUB ? wrapSub(a.intValue, s.intValue)
                               : wrapMul(a.intValue, s.intValue);
    }
    return true;
  }
  if (a.type == OP_TYPE_FLOAT && s.type == OP_TYPE_FLOAT) {
    float x = a.floatValue, y = s.floatValue;
    type = OP_TYPE_FLOAT;
    float r = op == Code::ADD ? x + y : op == Code::SUB ? x - y : op == Code::MUL ? x * y : x / y;
    bits = std::bit_cast<std::int32_t>(r);
    return true;
  }
  return false;
}

void doDiv(vm_value& d, const vm_value& s) {
  if (d.type == OP_TYPE_INT) d.setFloat(static_cast<float>(d.intValue) / toFloat(s));
  else if (d.type == OP_TYPE_FLOAT) d.floatValue = d.floatValue / toFloat(s);
}

void doMod(vm_value& d, const vm_value& s) {
  if (d.type != OP_TYPE_INT) return;
  std::int32_t divisor = toInt(s);
  if (divisor == 0) {
    WriteLog("Warning: %s\n", "mod by zero, destination unchanged");
  } else if (divisor == -1) {
    d.intValue = 0;  // also INT_MIN % -1, which the hardware traps on
  } else {
    d.intValue %= divisor;
  }
}

void doExp(vm_value& d, const vm_value& s) {
  if (d.type == OP_TYPE_INT) {
    float result = std::pow(static_cast<float>(d.intValue), toFloat(s));
    if (s.type == OP_TYPE_FLOAT) d.setFloat(result);
    else d.intValue = script::floatToInt(result);
  } else if (d.type == OP_TYPE_FLOAT) {
    d.floatValue = std::pow(d.floatValue, toFloat(s));
  }
}

// inc and dec: integers wrap, floats step by 1.0, other tags stay.
inline void step(vm_value& d, std::int32_t by) {
  if (d.type == OP_TYPE_INT) d.intValue = wrapAdd(d.intValue, by);
  else if (d.type == OP_TYPE_FLOAT) d.floatValue += static_cast<float>(by);
}

// and, or, xor, shl, shr act on integer destinations only.
void bitwise(Code op, vm_value& d, std::int32_t s) {
  if (d.type != OP_TYPE_INT) return;
  if (op == Code::AND) d.intValue &= s;
  else if (op == Code::OR) d.intValue |= s;
  else if (op == Code::XOR) d.intValue ^= s;
  else if (op == Code::SHL) d.intValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(d.intValue) << (s & 31));
  else d.intValue >>= (s & 31);
}

float degreesToRadians(float degrees) { return static_cast<float>(degrees / 180.0 * kPi); }

float mathFunction(Code op, float x) {
  switch (op) {
    case Code::SIN: return std::sin(degreesToRadians(x));
    case Code::COS: return std::cos(degreesToRadians(x));
    case Code::TAN: return std::tan(degreesToRadians(x));
    case Code::LN: return std::log(x);
    case Code::LG: return std::log10(x);
    case Code::EXPL: return std::exp(x);
    case Code::REC: return x == 0.0f ? 0.0f : 1.0f / x;
    case Code::SH: return (std::exp(x) - std::exp(-x)) * 0.5f;
    case Code::CH: return std::cosh(x);
    case Code::TH: return std::tanh(x);
    default: return std::sqrt(x);
  }
}

void doConcat(vm_value& d, const vm_value& s) {
  std::string tail = s.type == OP_TYPE_STRING ? s.text : s.asText();  // a copy: s may be d
  switch (d.type) {
    case OP_TYPE_STRING: d.text += tail; break;
    case OP_TYPE_INT: d.intValue = script::textToInt(script::intToText(d.intValue) + tail); break;
    case OP_TYPE_FLOAT:
      d.floatValue = script::textToFloat(script::floatToTwoDecimalText(d.floatValue) + tail);
      break;
    default: WriteLog("Warning: %s\n", "Invalid concat a string to a nonstring value, break"); break;
  }
}

void doGetChar(vm_value& d, const vm_value& s, const vm_value& index) {
  std::string text = s.asText();
  std::int32_t i = toInt(index);
  if (i < 0 || static_cast<std::size_t>(i) >= text.size()) {
    WriteLog("Warning: %s\n", "Error char index");
    d.setString(std::string());
    return;
  }
  d.setString(std::string(1, text[static_cast<std::size_t>(i)]));
}

void doSetChar(vm_value& d, const vm_value& index, const vm_value& s) {
  if (d.type != OP_TYPE_STRING) return;
  std::int32_t i = toInt(index);
  if (i < 0 || static_cast<std::size_t>(i) >= d.text.size()) {
    WriteLog("Warning: %s\n", "Error char index");
    return;
  }
  std::string source = s.asText();
  if (source.empty()) d.text.resize(static_cast<std::size_t>(i));  // the terminator cuts the text
  else d.text[static_cast<std::size_t>(i)] = source[0];
}

// Comparison of A with B converted to A's type.
enum class Order { Less, Equal, Greater, Unordered, NotComparable };

Order compare(const vm_value& a, const vm_value& b, bool textAllowed) {
  if (a.type == OP_TYPE_INT) {
    std::int32_t x = a.intValue, y = toInt(b);
    return x < y ? Order::Less : x > y ? Order::Greater : Order::Equal;
  }
  if (a.type == OP_TYPE_FLOAT) {
    float x = a.floatValue, y = toFloat(b);
    if (std::isnan(x) || std::isnan(y)) return Order::Unordered;
    return x < y ? Order::Less : x > y ? Order::Greater : Order::Equal;
  }
  if (a.type == OP_TYPE_STRING && textAllowed) {
    bool equal = b.type == OP_TYPE_STRING ? a.text == b.text : a.text == b.asText();
    return equal ? Order::Equal : Order::Unordered;
  }
  return Order::NotComparable;
}

bool jumpTaken(Code op, const vm_value& a, const vm_value& b) {
  Order r = compare(a, b, op == Code::JE || op == Code::JNE);
  switch (op) {
    case Code::JE: return r == Order::Equal;
    case Code::JNE: return r == Order::Less || r == Order::Greater || r == Order::Unordered;
    case Code::JG: return r == Order::Greater;
    case Code::JL: return r == Order::Less;
    case Code::JGE: return r == Order::Greater || r == Order::Equal;
    default: return r == Order::Less || r == Order::Equal;
  }
}


}  // namespace

namespace {

// The stack cell an array operand names (before the range check).
std::int64_t arrayCell(const vm_value* cells, std::uint64_t size, std::int64_t base, const vm_value& op) {
  std::int64_t indexCell = op.extra < 0 ? base + op.extra : op.extra;
  const vm_value& holder = static_cast<std::uint64_t>(indexCell) < size ? cells[indexCell] : cells[0];
  std::int64_t index = toInt(holder);
  std::int64_t arrayBase = op.intValue;
  // Arrays at 1 or above grow upward, the others downward.
  std::int64_t relative = arrayBase >= 1 ? arrayBase + index : arrayBase - index;
  return arrayBase < 0 ? base + relative : relative;
}

// The cell a plain variable operand names: negative indices count from the frame base.
inline std::int64_t variableCell(std::int64_t base, std::int32_t index) {
  return index + (index < 0 ? base : 0);
}

}  // namespace

// Reads outside the stack read cell 0.
// Tests in order of frequency: variables, constants, _RETVAL, array elements.
[[gnu::always_inline]] inline const vm_value* vm_script::readRef(const StackView& view, const vm_value& op) {
  std::int64_t cell;
  if (op.type == OP_TYPE_STACK_INDEX) [[likely]] {
    cell = variableCell(view.base, op.intValue);
  } else if (op.type < OP_TYPE_STACK_INDEX) {
    return &op;  // a constant
  } else if (op.type == OP_TYPE_RETVAL) {
    return &retval_;
  } else if (op.type == OP_TYPE_ARRAY_INDEX) {
    cell = arrayCell(view.cells, view.size, view.base, op);
  } else {
    return &op;
  }
  return static_cast<std::uint64_t>(cell) < view.size ? &view.cells[cell] : &view.cells[0];
}

// Writes outside the stack go to a scratch copy of cell 0 and are dropped.
[[gnu::always_inline]] inline vm_value* vm_script::writeRef(const StackView& view, const vm_value& op) {
  std::int64_t cell;
  if (op.type == OP_TYPE_STACK_INDEX) [[likely]] {
    cell = variableCell(view.base, op.intValue);
  } else if (op.type == OP_TYPE_RETVAL) {
    return &retval_;
  } else if (op.type == OP_TYPE_ARRAY_INDEX) {
    cell = arrayCell(view.cells, view.size, view.base, op);
  } else {
    cell = -1;  // the loader admits no other destination
  }
  if (static_cast<std::uint64_t>(cell) < view.size) [[likely]] return &view.cells[cell];
  return droppedWrite(cell);
}

// Kept out of the loop: only a faulty index gets here.
[[gnu::noinline, gnu::cold]] vm_value* vm_script::droppedWrite(std::int64_t cell) {
  WriteLog("vm_script: write to stack index %lld outside the stack dropped", static_cast<long long>(cell));
  scratch_ = stack_[0];
  return &scratch_;
}

bool vm_script::frameFits(const vm_func& f, std::int64_t extraCells) const {
  return std::int64_t{top_} + extraCells + f.localSize + 2 <= static_cast<std::int64_t>(stack_.size());
}

// Defined here so the loop's calls inline it.
void vm_script::pushFrame(int func, std::int32_t returnIp, bool host, std::int32_t topAfter) {
  const vm_func& f = funcs_[static_cast<std::size_t>(func)];
  frames_.push_back(CallRecord{func, returnIp, base_, topAfter, host});
  // Marker cells keep the documented layout; nothing reads them back.
  vm_value& returnMarker = stack_[static_cast<std::size_t>(top_)];
  returnMarker.clear();
  returnMarker.intValue = returnIp;
  top_ += f.localSize + 2;
  vm_value& funcMarker = stack_[static_cast<std::size_t>(top_ - 1)];
  funcMarker.clear();
  funcMarker.type = host ? OP_TYPE_HOST_FRAME : OP_TYPE_NULL;
  funcMarker.intValue = func;
  funcMarker.extra = base_;
  base_ = top_;
}

bool vm_script::callHost(vm_instr& instr) {
  argsRead_ = 0;
  hostReturned_ = false;
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  if (instr.hostVersion != registry->version()) {
    instr.hostFunc = registry->find(instr.operands[0].text);
    instr.hostVersion = registry->version();
  }
  HostAPIFunc func = instr.hostFunc;
  if (func == nullptr) {
    WriteLog("vm_script::callHostAPIFunc: Error calling host API function: %s",
             instr.operands[0].text.c_str());
  } else {
    // The function may unload this thread or reset its group.
    std::uint32_t generation = generation_;
    func(index_, group_);
    if (generation != generation_) return false;
  }
  if (!hostReturned_) returnFromHost(argsRead_, vm_value::makeInt(0));
  return true;
}

void vm_script::pauseFor(std::int32_t ms) {
  if (ms <= 0) return;
  std::uint64_t wake = engine::monotonicMillis() + static_cast<std::uint64_t>(ms);
  for (std::uint64_t now = engine::monotonicMillis(); now < wake; now = engine::monotonicMillis()) {
    engine::sleepMillis(wake - now);
  }
}

// The dispatch loop. Over 60 lines because it is the one switch over all
// opcodes; slow paths live in the helpers above. The code and the stack stay
// where they are during a call (loads and releases wait for it to end), so
// their addresses are held in locals; the frame base is refreshed whenever a
// frame changes or the host has run.
// Every code has its case and there is no default (see script::Code).
vm_script::RunResult vm_script::run(std::size_t depth) {
  vm_instr* const code = instrs_.data();
  StackView view{stack_.data(), stack_.size(), base_};
  vm_instr* pc = code + ip_;
  // The operands of the instruction at pc: fixed addresses first.
  // A frame-relative cell: base - n never reaches the top of the stack, as
  // the base is at most the stack size; below cell 0 takes the slow path.
#define FRAME_CELL(k) (pc->relative[k] != 0 && view.base + pc->relative[k] >= 0)
#define READ(k)                                                            \
  (pc->fixed[k] != nullptr ? pc->fixed[k]                                  \
   : FRAME_CELL(k)         ? view.cells + (view.base + pc->relative[k])    \
                           : readRef(view, ops[k]))
#define WRITE(k)                                                           \
  (pc->fixed[k] != nullptr ? pc->fixed[k]                                  \
   : FRAME_CELL(k)         ? view.cells + (view.base + pc->relative[k])    \
                           : writeRef(view, ops[k]))
  vm_instr* next;  // where the instruction at pc leaves execution
  for (;; pc = next) {
    const vm_value* ops = pc->operands;
    const Code op = pc->code;
    next = pc->fallTo;
    switch (op) {
      case Code::MOV: WRITE(0)->assignKeepExtra(*READ(1)); continue;
      case Code::MOV_THEN_ARITH: {
        // Both at once when they act on plain numbers of one kind; otherwise
        // the mov alone, and the arithmetic runs as the next instruction.
        vm_instr* second = pc + 1;
        vm_value* d = fastRef(view, *pc, 0);
        const vm_value* a = fastRef(view, *pc, 1);
        const vm_value* b = fastRef(view, *second, 1);
        std::int32_t type, bits;
        if (d != nullptr && a != nullptr && b != nullptr &&
            movThenArith(second->code, *d, *a, *b, type, bits)) {
          d->type = type;
          d->intValue = bits;
          next = second->fallTo;
          // "mov X, D" after them: stored from the same result.
          vm_value* x = pc->storeAfter ? fastRef(view, *(second + 1), 0) : nullptr;
          if (x != nullptr && !vm_value::holdsText(x->type)) {
            x->type = type;
            x->intValue = bits;
            next = (second + 1)->fallTo;
          }
        } else {
          WRITE(0)->assignKeepExtra(*READ(1));
          next = second;
        }
        continue;
      }
      case Code::ADD: mixedArith(*WRITE(0), *READ(1), wrapAdd, [](float a, float b) { return a + b; }); continue;
      case Code::SUB: mixedArith(*WRITE(0), *READ(1), wrapSub, [](float a, float b) { return a - b; }); continue;
      case Code::MUL: mixedArith(*WRITE(0), *READ(1), wrapMul, [](float a, float b) { return a * b; }); continue;
      case Code::DIV: doDiv(*WRITE(0), *READ(1)); continue;
      case Code::MOD: doMod(*WRITE(0), *READ(1)); continue;
      case Code::EXP: doExp(*WRITE(0), *READ(1)); continue;
      case Code::NEG: {
        vm_value* d = WRITE(0);
        if (d->type == OP_TYPE_INT) d->intValue = wrapSub(0, d->intValue);
        else if (d->type == OP_TYPE_FLOAT) d->floatValue = -d->floatValue;
        continue;
      }
      case Code::INC: step(*WRITE(0), 1); continue;
      case Code::DEC: step(*WRITE(0), -1); continue;
      case Code::AND:
      case Code::OR:
      case Code::XOR:
      case Code::SHL:
      case Code::SHR: bitwise(op, *WRITE(0), toInt(*READ(1))); continue;
      case Code::NOT: {
        vm_value* d = WRITE(0);
        if (d->type == OP_TYPE_INT) d->intValue = ~d->intValue;
        continue;
      }
      case Code::CONCAT: doConcat(*WRITE(0), *READ(1)); continue;
      case Code::GETCHAR: doGetChar(*WRITE(0), *READ(1), *READ(2)); continue;
      case Code::SETCHAR: doSetChar(*WRITE(0), *READ(1), *READ(2)); continue;
      case Code::JMP: next = pc->jumpTo; continue;
#define VELMORA_JUMP(OPNAME, INT_TEST)                                                \
  case Code::OPNAME: {                                                                \
    const vm_value* a = READ(0);                                                      \
    const vm_value* b = READ(1);                                                      \
    bool taken = a->type == OP_TYPE_INT && b->type == OP_TYPE_INT                     \
                     ? a->intValue INT_TEST b->intValue                               \
                     : jumpTaken(Code::OPNAME, *a, *b);                               \
    if (taken) next = pc->jumpTo;                                                     \
    continue;                                                                         \
  }
      // Integer against integer, the common loop test, is decided inline.
      VELMORA_JUMP(JE, ==)
      VELMORA_JUMP(JNE, !=)
      VELMORA_JUMP(JG, >)
      VELMORA_JUMP(JL, <)
      VELMORA_JUMP(JGE, >=)
      VELMORA_JUMP(JLE, <=)
#undef VELMORA_JUMP
      case Code::PUSH: {
        const vm_value* v = READ(0);
        if (static_cast<std::uint64_t>(top_) < view.size) view.cells[top_++].assign(*v);
        else push(*v);  // reports the overflow
        continue;
      }
      case Code::POP: {
        vm_value* d = WRITE(0);
        if (top_ >= 1 && d->bothNumbers(view.cells[top_ - 1])) {
          d->assignKeepExtra(view.cells[--top_]);  // nothing to move out
        } else {
          vm_value v = pop();
          d->assignKeepExtra(v);
        }
        continue;
      }
      case Code::CALL: {
        int func = ops[0].intValue;
        const vm_func& f = funcs_[static_cast<std::size_t>(func)];
        if (!frameFits(f, 0)) [[unlikely]] {
          ShowErrorBox("Script VM Error: %s\n", "Stack fulled");
          unwindTo(depth);
          return RunResult::Aborted;
        }
        // The return IP is the next index itself: it is kept in the frame's marker cell.
        pushFrame(func, static_cast<std::int32_t>(pc - code) + 1, false, std::max(0, top_ - f.paramCount));
        view.base = base_;
        next = code + f.entry;
        continue;
      }
      case Code::RET: {
        const CallRecord& record = frames_.back();
        top_ = record.topAfter;
        base_ = record.savedBase;
        std::int32_t returnIp = record.returnIp;
        bool host = record.host;
        frames_.pop_back();
        if (host) {
          ip_ = returnIp;
          return RunResult::Returned;
        }
        next = code + returnIp;
        view.base = base_;
        continue;
      }
      case Code::CALLHOST: {
        ip_ = static_cast<std::int32_t>(pc - code);
        if (!callHost(*pc)) return RunResult::Unloaded;
        view = StackView{stack_.data(), stack_.size(), base_};
        continue;
      }
      case Code::PAUSE:
        ip_ = static_cast<std::int32_t>(pc - code);
        pauseFor(toInt(*READ(0)));
        continue;
      case Code::EXIT:
        unwindTo(depth);
        ip_ = -1;
        return RunResult::Exited;
      case Code::PRINT: WriteLog("%s", READ(0)->asText().c_str()); continue;
      case Code::SIN:
      case Code::COS:
      case Code::TAN:
      case Code::LN:
      case Code::LG:
      case Code::EXPL:
      case Code::REC:
      case Code::SH:
      case Code::CH:
      case Code::TH:
      case Code::SQRT: {
        vm_value* d = WRITE(0);
        d->setFloat(mathFunction(op, toFloat(*READ(1))));
        continue;
      }
      case Code::PUSHHPARAM: hostArgs_.push_back(*READ(0)); continue;
      case Code::RANDOM_INT: {
        vm_value* d = WRITE(0);
        std::int32_t lo = toInt(*READ(1)), hi = toInt(*READ(2));
        d->setInt(hge_ != nullptr ? hge_->Random_Int(lo, hi) : lo);
        continue;
      }
      case Code::RANDOM_FLOAT: {
        vm_value* d = WRITE(0);
        float lo = toFloat(*READ(1)), hi = toFloat(*READ(2));
        d->setFloat(hge_ != nullptr ? hge_->Random_Float(lo, hi) : lo);
        continue;
      }
      case Code::PUSHPARAM:
      case Code::PARAM: continue;  // no-ops (the loader made every other number PARAM)
      case Code::END_OF_CODE:
        WriteLog("vm_script::callFunc: instruction index %d outside the code, call ended",
                 static_cast<int>(pc - code));
        unwindTo(depth);
        return RunResult::Aborted;
    }
    // Every case continues or returns: a code with no case cannot come here,
    // so the dispatch needs no range check.
    __builtin_unreachable();
  }
#undef FRAME_CELL
#undef READ
#undef WRITE
}
