// The interpreter's work on script values: arithmetic, comparisons and text operations, as each instruction defines them.
#pragma once

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

#include "base/saturating.h"
#include "base/xLogFile.h"
#include "script/runtime/number_text.h"
#include "script/runtime/vm_script.h"
#include "script/runtime/vm_value.h"

namespace script::ops {

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

// A number of an arithmetic run, kept in registers: a tag (integer or
// float) and the payload's bits.
struct Number {
  std::int32_t type;
  std::int32_t bits;
  float f() const { return std::bit_cast<float>(bits); }
  float asFloat() const { return type == OP_TYPE_INT ? static_cast<float>(bits) : f(); }
  static Number ofFloat(float v) { return {OP_TYPE_FLOAT, std::bit_cast<std::int32_t>(v)}; }
  static Number ofInt(std::int32_t v) { return {OP_TYPE_INT, v}; }
};

inline bool isNumber(const vm_value& v) { return (v.type & ~1) == 0; }

// One step of a run, exactly as add, sub, mul, div and mod compute it on an
// integer or float destination and a number; false when the instruction
// alone must run (a mod by 0 logs a warning).
inline bool runStep(Code op, Number& v, Number s) {
  if ((v.type | s.type) == OP_TYPE_INT) {
    switch (op) {
      case Code::ADD: v.bits = wrapAdd(v.bits, s.bits); return true;
      case Code::SUB: v.bits = wrapSub(v.bits, s.bits); return true;
      case Code::MUL: v.bits = wrapMul(v.bits, s.bits); return true;
      case Code::MOD:
        if (s.bits == 0) return false;
        v.bits = s.bits == -1 ? 0 : v.bits % s.bits;
        return true;
      default: v = Number::ofFloat(static_cast<float>(v.bits) / static_cast<float>(s.bits)); return true;
    }
  }
  if (op == Code::MOD) {
    if (v.type != OP_TYPE_INT) return true;  // a float destination stays
    std::int32_t divisor = script::floatToInt(s.f());
    if (divisor == 0) return false;
    v.bits = divisor == -1 ? 0 : v.bits % divisor;
    return true;
  }
  float x = v.asFloat(), y = s.asFloat();
  switch (op) {
    case Code::ADD: v = Number::ofFloat(x + y); return true;
    case Code::SUB: v = Number::ofFloat(x - y); return true;
    case Code::MUL: v = Number::ofFloat(x * y); return true;
    default: v = Number::ofFloat(x / y); return true;
  }
}

inline void doDiv(vm_value& d, const vm_value& s) {
  if (d.type == OP_TYPE_INT) d.setFloat(static_cast<float>(d.intValue) / toFloat(s));
  else if (d.type == OP_TYPE_FLOAT) d.floatValue = d.floatValue / toFloat(s);
}

inline void doMod(vm_value& d, const vm_value& s) {
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

using base::truncateToInt;

inline void doExp(vm_value& d, const vm_value& s) {
  if (d.type == OP_TYPE_INT) {
    // The power in double, so an integer result is exact up to the int range
    // (3 to the 16 is 43046721, which a float cannot hold).
    double result = std::pow(static_cast<double>(static_cast<float>(d.intValue)), static_cast<double>(toFloat(s)));
    if (s.type == OP_TYPE_FLOAT) d.setFloat(static_cast<float>(result));
    else d.intValue = truncateToInt(result);
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
inline void bitwise(Code op, vm_value& d, std::int32_t s) {
  if (d.type != OP_TYPE_INT) return;
  if (op == Code::AND) d.intValue &= s;
  else if (op == Code::OR) d.intValue |= s;
  else if (op == Code::XOR) d.intValue ^= s;
  else if (op == Code::SHL) d.intValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(d.intValue) << (s & 31));
  else d.intValue >>= (s & 31);
}

inline float degreesToRadians(float degrees) { return static_cast<float>(degrees / 180.0 * kPi); }

// Computed in double and rounded once, so each result is the float nearest
// the true value (the float functions can be an ulp or two off, and the
// hyperbolic formulas lose digits near 0 in float).
inline float mathFunction(Code op, float x) {
  double v = x;
  switch (op) {
    case Code::SIN: return static_cast<float>(std::sin(static_cast<double>(degreesToRadians(x))));
    case Code::COS: return static_cast<float>(std::cos(static_cast<double>(degreesToRadians(x))));
    case Code::TAN: return static_cast<float>(std::tan(static_cast<double>(degreesToRadians(x))));
    case Code::LN: return static_cast<float>(std::log(v));
    case Code::LG: return static_cast<float>(std::log10(v));
    case Code::EXPL: return static_cast<float>(std::exp(v));
    case Code::REC: return x == 0.0f ? 0.0f : 1.0f / x;
    case Code::SH: return static_cast<float>((std::exp(v) - std::exp(-v)) * 0.5);
    case Code::CH: return static_cast<float>(std::cosh(v));
    case Code::TH: return static_cast<float>(std::tanh(v));
    default: return std::sqrt(x);
  }
}

// False, D left as it was, when a string D would grow past kMaxStringLength.
[[nodiscard]] inline bool doConcat(vm_value& d, const vm_value& s) {
  if (d.type == OP_TYPE_STRING && s.type == OP_TYPE_STRING &&
      d.text.size() + s.text.size() > script::kMaxStringLength) [[unlikely]] {
    return false;  // before the copy of S: S may be as long as D
  }
  std::string tail = s.type == OP_TYPE_STRING ? s.text : s.asText();  // a copy: s may be d
  switch (d.type) {
    case OP_TYPE_STRING:
      if (d.text.size() + tail.size() > script::kMaxStringLength) [[unlikely]] return false;
      d.text += tail;
      break;
    case OP_TYPE_INT: d.intValue = script::textToInt(script::intToText(d.intValue) + tail); break;
    case OP_TYPE_FLOAT:
      d.floatValue = script::textToFloat(script::floatToTwoDecimalText(d.floatValue) + tail);
      break;
    default: WriteLog("Warning: %s\n", "Invalid concat a string to a nonstring value, break"); break;
  }
  return true;
}

inline void doGetChar(vm_value& d, const vm_value& s, const vm_value& index) {
  std::string text = s.asText();
  std::int32_t i = toInt(index);
  if (i < 0 || static_cast<std::size_t>(i) >= text.size()) {
    WriteLog("Warning: %s\n", "Error char index");
    d.setString(std::string());
    return;
  }
  d.setString(std::string(1, text[static_cast<std::size_t>(i)]));
}

inline void doSetChar(vm_value& d, const vm_value& index, const vm_value& s) {
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

// The arithmetic of a fused run: add, sub, mul, div, mod on D and S, inc and
// dec on D alone ([s] null).
inline void arith(Code op, vm_value& d, const vm_value* s) {
  switch (op) {
    case Code::ADD: mixedArith(d, *s, wrapAdd, [](float a, float b) { return a + b; }); break;
    case Code::SUB: mixedArith(d, *s, wrapSub, [](float a, float b) { return a - b; }); break;
    case Code::MUL: mixedArith(d, *s, wrapMul, [](float a, float b) { return a * b; }); break;
    case Code::DIV: doDiv(d, *s); break;
    case Code::MOD: doMod(d, *s); break;
    case Code::INC: step(d, 1); break;
    default: step(d, -1); break;
  }
}

// A conditional jump between two integers: the orders (less, equal,
// greater) under which each jump is taken, one bit each.
static_assert(static_cast<int>(Code::JLE) - static_cast<int>(Code::JE) == 5);
// Per jump from je: the orders it is taken under (bit 0 less, 1 equal, 2 greater).
constexpr std::uint8_t kTakenUnder[] = {0b010, 0b101, 0b100, 0b001, 0b110, 0b011};  // je jne jg jl jge jle

inline bool intJumpTaken(Code op, std::int32_t a, std::int32_t b) {
  int order = (a > b) - (a < b) + 1;
  return (kTakenUnder[static_cast<int>(op) - static_cast<int>(Code::JE)] >> order) & 1;
}

// Comparison of A with B converted to A's type.
enum class Order { Less, Equal, Greater, Unordered, NotComparable };

inline Order compare(const vm_value& a, const vm_value& b, bool textAllowed) {
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

inline bool jumpTaken(Code op, const vm_value& a, const vm_value& b) {
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

}  // namespace script::ops
