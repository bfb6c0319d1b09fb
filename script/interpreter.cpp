// The script interpreter: one dispatch loop over the instruction table.
#include <climits>
#include <cmath>

#include "core/xLogFile.h"
#include "engine/hge.h"
#include "engine/platform.h"
#include "script/number_text.h"
#include "script/opcodes.h"
#include "script/vm_script.h"

using script::Op;

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
  if (d.type == OP_TYPE_INT) {
    if (s.type == OP_TYPE_FLOAT) {
      d.setFloat(floatOp(static_cast<float>(d.intValue), s.floatValue));
    } else {
      d.intValue = intOp(d.intValue, toInt(s));
    }
  } else if (d.type == OP_TYPE_FLOAT) {
    d.floatValue = floatOp(d.floatValue, toFloat(s));
  }
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

float degreesToRadians(float degrees) { return static_cast<float>(degrees / 180.0 * kPi); }

float mathFunction(Op op, float x) {
  switch (op) {
    case Op::SIN: return std::sin(degreesToRadians(x));
    case Op::COS: return std::cos(degreesToRadians(x));
    case Op::TAN: return std::tan(degreesToRadians(x));
    case Op::LN: return std::log(x);
    case Op::LG: return std::log10(x);
    case Op::EXPL: return std::exp(x);
    case Op::REC: return x == 0.0f ? 0.0f : 1.0f / x;
    case Op::SH: return (std::exp(x) - std::exp(-x)) * 0.5f;
    case Op::CH: return std::cosh(x);
    case Op::TH: return std::tanh(x);
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

bool jumpTaken(Op op, const vm_value& a, const vm_value& b) {
  Order r = compare(a, b, op == Op::JE || op == Op::JNE);
  switch (op) {
    case Op::JE: return r == Order::Equal;
    case Op::JNE: return r == Order::Less || r == Order::Greater || r == Order::Unordered;
    case Op::JG: return r == Order::Greater;
    case Op::JL: return r == Order::Less;
    case Op::JGE: return r == Order::Greater || r == Order::Equal;
    default: return r == Order::Less || r == Order::Equal;
  }
}

// A jump to its own index goes on with the next instruction.
inline std::int32_t jumpTarget(const vm_value& label, std::int32_t ip) {
  return label.intValue == ip ? ip + 1 : label.intValue;
}

}  // namespace

std::int64_t vm_script::arrayCell(const vm_value& op) {
  std::int64_t indexCell = op.extra < 0 ? std::int64_t{base_} + op.extra : op.extra;
  const vm_value& holder = static_cast<std::uint64_t>(indexCell) < stack_.size()
                               ? stack_[static_cast<std::size_t>(indexCell)]
                               : stack_[0];
  std::int64_t index = toInt(holder);
  std::int64_t arrayBase = op.intValue;
  // Arrays at 1 or above grow upward, the others downward.
  std::int64_t relative = arrayBase >= 1 ? arrayBase + index : arrayBase - index;
  return arrayBase < 0 ? std::int64_t{base_} + relative : relative;
}

// Reads outside the stack read cell 0.
inline const vm_value* vm_script::readRef(const vm_value& op) {
  std::int64_t cell;
  switch (op.type) {
    case OP_TYPE_STACK_INDEX:
      cell = op.intValue < 0 ? std::int64_t{base_} + op.intValue : op.intValue;
      break;
    case OP_TYPE_ARRAY_INDEX: cell = arrayCell(op); break;
    case OP_TYPE_RETVAL: return &retval_;
    default: return &op;
  }
  return static_cast<std::uint64_t>(cell) < stack_.size() ? &stack_[static_cast<std::size_t>(cell)]
                                                           : &stack_[0];
}

// Writes outside the stack go to a scratch copy of cell 0 and are dropped.
inline vm_value* vm_script::writeRef(const vm_value& op) {
  std::int64_t cell;
  switch (op.type) {
    case OP_TYPE_STACK_INDEX:
      cell = op.intValue < 0 ? std::int64_t{base_} + op.intValue : op.intValue;
      break;
    case OP_TYPE_ARRAY_INDEX: cell = arrayCell(op); break;
    case OP_TYPE_RETVAL: return &retval_;
    default: cell = -1; break;  // the loader admits no other destination
  }
  if (static_cast<std::uint64_t>(cell) < stack_.size()) return &stack_[static_cast<std::size_t>(cell)];
  WriteLog("vm_script: write to stack index %lld outside the stack dropped",
           static_cast<long long>(cell));
  scratch_ = stack_[0];
  return &scratch_;
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
  paused_ = true;
  std::uint64_t wake = engine::monotonicMillis() + static_cast<std::uint64_t>(ms);
  for (std::uint64_t now = engine::monotonicMillis(); now < wake; now = engine::monotonicMillis()) {
    engine::sleepMillis(wake - now);
  }
  paused_ = false;
}

// The dispatch loop. Over 60 lines because it is the one switch over all
// opcodes; slow paths live in the helpers above.
vm_script::RunResult vm_script::run(std::size_t depth) {
  const std::int32_t count = static_cast<std::int32_t>(instrs_.size());
  std::int32_t ip = ip_;
  for (;;) {
    if (static_cast<std::uint32_t>(ip) >= static_cast<std::uint32_t>(count)) {
      WriteLog("vm_script::callFunc: instruction index %d outside the code, call ended", ip);
      unwindTo(depth);
      return RunResult::Aborted;
    }
    vm_instr& instr = instrs_[static_cast<std::size_t>(ip)];
    const vm_value* ops = instr.operands;
    const Op op = static_cast<Op>(instr.opcode);
    std::int32_t next = ip + 1;
    switch (op) {
      case Op::MOV: writeRef(ops[0])->assignKeepExtra(*readRef(ops[1])); break;
      case Op::ADD: mixedArith(*writeRef(ops[0]), *readRef(ops[1]), wrapAdd, [](float a, float b) { return a + b; }); break;
      case Op::SUB: mixedArith(*writeRef(ops[0]), *readRef(ops[1]), wrapSub, [](float a, float b) { return a - b; }); break;
      case Op::MUL: mixedArith(*writeRef(ops[0]), *readRef(ops[1]), wrapMul, [](float a, float b) { return a * b; }); break;
      case Op::DIV: doDiv(*writeRef(ops[0]), *readRef(ops[1])); break;
      case Op::MOD: doMod(*writeRef(ops[0]), *readRef(ops[1])); break;
      case Op::EXP: doExp(*writeRef(ops[0]), *readRef(ops[1])); break;
      case Op::NEG: {
        vm_value* d = writeRef(ops[0]);
        if (d->type == OP_TYPE_INT) d->intValue = wrapSub(0, d->intValue);
        else if (d->type == OP_TYPE_FLOAT) d->floatValue = -d->floatValue;
        break;
      }
      case Op::INC:
      case Op::DEC: {
        vm_value* d = writeRef(ops[0]);
        int step = op == Op::INC ? 1 : -1;
        if (d->type == OP_TYPE_INT) d->intValue = wrapAdd(d->intValue, step);
        else if (d->type == OP_TYPE_FLOAT) d->floatValue += static_cast<float>(step);
        break;
      }
      case Op::AND:
      case Op::OR:
      case Op::XOR:
      case Op::SHL:
      case Op::SHR: {
        vm_value* d = writeRef(ops[0]);
        std::int32_t s = toInt(*readRef(ops[1]));
        if (d->type != OP_TYPE_INT) break;
        if (op == Op::AND) d->intValue &= s;
        else if (op == Op::OR) d->intValue |= s;
        else if (op == Op::XOR) d->intValue ^= s;
        else if (op == Op::SHL) d->intValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(d->intValue) << (s & 31));
        else d->intValue >>= (s & 31);
        break;
      }
      case Op::NOT: {
        vm_value* d = writeRef(ops[0]);
        if (d->type == OP_TYPE_INT) d->intValue = ~d->intValue;
        break;
      }
      case Op::CONCAT: doConcat(*writeRef(ops[0]), *readRef(ops[1])); break;
      case Op::GETCHAR: doGetChar(*writeRef(ops[0]), *readRef(ops[1]), *readRef(ops[2])); break;
      case Op::SETCHAR: doSetChar(*writeRef(ops[0]), *readRef(ops[1]), *readRef(ops[2])); break;
      case Op::JMP: next = jumpTarget(ops[0], ip); break;
      case Op::JE:
      case Op::JNE:
      case Op::JG:
      case Op::JL:
      case Op::JGE:
      case Op::JLE:
        if (jumpTaken(op, *readRef(ops[0]), *readRef(ops[1]))) next = jumpTarget(ops[2], ip);
        break;
      case Op::PUSH: push(*readRef(ops[0])); break;
      case Op::POP: {
        vm_value* d = writeRef(ops[0]);
        vm_value v = pop();
        d->assignKeepExtra(v);
        break;
      }
      case Op::CALL: {
        int func = ops[0].intValue;
        const vm_func& f = funcs_[static_cast<std::size_t>(func)];
        if (!frameFits(f, 0)) {
          ShowErrorBox("Script VM Error: %s\n", "Stack fulled");
          unwindTo(depth);
          return RunResult::Aborted;
        }
        pushFrame(func, ip + 1, false, std::max(0, top_ - f.paramCount));
        next = f.entry;
        break;
      }
      case Op::RET: {
        CallRecord record = frames_.back();
        frames_.pop_back();
        top_ = record.topAfter;
        base_ = record.savedBase;
        if (record.host) {
          ip_ = record.returnIp;
          return RunResult::Returned;
        }
        next = record.returnIp;
        break;
      }
      case Op::CALLHOST: {
        ip_ = ip;
        if (!callHost(instr)) return RunResult::Unloaded;
        break;
      }
      case Op::PAUSE:
        ip_ = ip;
        pauseFor(toInt(*readRef(ops[0])));
        break;
      case Op::EXIT:
        unwindTo(depth);
        ip_ = -1;
        running_ = false;
        return RunResult::Exited;
      case Op::PRINT: WriteLog("%s", readRef(ops[0])->asText().c_str()); break;
      case Op::SIN:
      case Op::COS:
      case Op::TAN:
      case Op::LN:
      case Op::LG:
      case Op::EXPL:
      case Op::REC:
      case Op::SH:
      case Op::CH:
      case Op::TH:
      case Op::SQRT: {
        vm_value* d = writeRef(ops[0]);
        d->setFloat(mathFunction(op, toFloat(*readRef(ops[1]))));
        break;
      }
      case Op::PUSHHPARAM: hostArgs_.push_back(*readRef(ops[0])); break;
      case Op::RANDOM_INT: {
        vm_value* d = writeRef(ops[0]);
        std::int32_t lo = toInt(*readRef(ops[1])), hi = toInt(*readRef(ops[2]));
        d->setInt(hge_ != nullptr ? hge_->Random_Int(lo, hi) : lo);
        break;
      }
      case Op::RANDOM_FLOAT: {
        vm_value* d = writeRef(ops[0]);
        float lo = toFloat(*readRef(ops[1])), hi = toFloat(*readRef(ops[2]));
        d->setFloat(hge_ != nullptr ? hge_->Random_Float(lo, hi) : lo);
        break;
      }
      case Op::PUSHPARAM:
      case Op::PARAM:
      default: break;  // no-ops, including numbers that are not instructions
    }
    ip = next;
  }
}
