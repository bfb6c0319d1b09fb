// The script value: a type tag, an integer or float payload, a text and an extra word.
//
// Stack cells, instruction operands, the return register _RETVAL and host-call
// arguments are all vm_values. Host functions only ever see OP_TYPE_INT,
// OP_TYPE_FLOAT and OP_TYPE_STRING. Only the assembled file has fixed widths;
// here a string is owned by the value (copying a value copies its text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace script {

// The longest text a script value may hold, in bytes. A script doubling a
// text in a loop would otherwise take every byte there is: a concat past it
// ends the call with a VM error, and so does a host function that would hand
// a script, or build from its texts, anything longer (vm_script::failHostCall).
inline constexpr std::size_t kMaxStringLength = std::size_t{16} << 20;
// The error box's text for it.
inline constexpr const char* kStringTooLong = "String too long (16 MiB at most)";

}  // namespace script

// Value tags. DO NOT RENUMBER: tags 0-8 are stored as operand types in
// assembled files.
enum OpType : std::int32_t {
  OP_TYPE_NULL = -1,         // empty cell, frame marker cell, _RETVAL before any store
  OP_TYPE_INT = 0,           // [intValue]
  OP_TYPE_FLOAT = 1,         // [floatValue]
  OP_TYPE_STRING = 2,        // [text]
  OP_TYPE_STACK_INDEX = 3,   // operand: [intValue] = stack index, negative = from the frame base
  OP_TYPE_ARRAY_INDEX = 4,   // operand: [intValue] = array base, [extra] = stack index of the element index
  OP_TYPE_INSTR_INDEX = 5,   // operand: [intValue] = instruction index (line label)
  OP_TYPE_FUNC_INDEX = 6,    // operand: [intValue] = function index
  OP_TYPE_HOST_CALL = 7,     // operand: [text] = upper-case host-function name
  OP_TYPE_RETVAL = 8,        // operand: names the register _RETVAL
  OP_TYPE_HOST_FRAME = 9,    // function marker of a host-started call: [intValue] = function, [extra] = old frame base
};

struct vm_value {
  std::int32_t type = OP_TYPE_NULL;
  union {
    std::int32_t intValue = 0;
    float floatValue;
  };
  // The previous frame base in a marker cell; the index cell of an array operand.
  std::int32_t extra = 0;
  // The text of OP_TYPE_STRING and OP_TYPE_HOST_CALL; meaningless for other tags.
  std::string text;

  static vm_value makeInt(std::int32_t v) {
    vm_value r;
    r.type = OP_TYPE_INT;
    r.intValue = v;
    return r;
  }
  static vm_value makeFloat(float v) {
    vm_value r;
    r.type = OP_TYPE_FLOAT;
    r.floatValue = v;
    return r;
  }
  static vm_value makeString(std::string_view v) {
    vm_value r;
    r.type = OP_TYPE_STRING;
    r.text.assign(v);
    return r;
  }

  // In-place stores that keep [extra]. A stored number releases an old text.
  void setInt(std::int32_t v) {
    if (type == OP_TYPE_STRING) releaseText();
    type = OP_TYPE_INT;
    intValue = v;
  }
  void setFloat(float v) {
    if (type == OP_TYPE_STRING) releaseText();
    type = OP_TYPE_FLOAT;
    floatValue = v;
  }
  void setString(std::string v) {
    type = OP_TYPE_STRING;
    text = std::move(v);
  }
  // Copies tag, payload and text from [v] (not the extra word). Safe when
  // [v] is this value. Values without texts copy inline; only texts take
  // the slow path.
  void assignKeepExtra(const vm_value& v) {
    if (!neitherHoldsText(v)) {
      assignOtherKeepExtra(v);
      return;
    }
    type = v.type;
    intValue = v.intValue;
  }
  // The same, taking [v]'s text (which is left empty, its tag unchanged).
  void assignKeepExtra(vm_value&& v) {
    if (neitherHoldsText(v)) {
      type = v.type;
      intValue = v.intValue;
      return;
    }
    if (&v == this) return;
    if (holdsText(v.type)) {
      text = std::move(v.text);
      v.text.clear();
    } else {
      releaseText();
    }
    type = v.type;
    intValue = v.intValue;
  }
  // Full copy (tag, payload, extra, text), inline between values without texts.
  void assign(const vm_value& v) {
    if (!neitherHoldsText(v)) {
      *this = v;
      return;
    }
    type = v.type;
    intValue = v.intValue;
    extra = v.extra;
  }
  // Whether this value and [v] are both integers or floats (tags 0 and 1).
  bool bothNumbers(const vm_value& v) const { return ((type | v.type) & ~1) == 0; }
  // Whether neither this value nor [v] has a text to copy or release: both
  // numbers (the common case, tested first), nulls or markers.
  bool neitherHoldsText(const vm_value& v) const {
    return bothNumbers(v) || (!holdsText(type) && !holdsText(v.type));
  }
  void clear() {
    if (holdsText(type)) releaseText();  // other tags never keep a text
    type = OP_TYPE_NULL;
    intValue = 0;
    extra = 0;
  }
  // Whether values of tag [t] carry a text; all others keep [text] empty.
  static constexpr bool holdsText(std::int32_t t) { return t == OP_TYPE_STRING || t == OP_TYPE_HOST_CALL; }

  // Conversions. As integer: a float truncated (NaN 0, saturating), a string
  // by the script's atoi, other tags 0. As float: an integer converted, a
  // string by the script's atof, other tags 0.0. As text: decimal integer,
  // "%f" float, a string's own text, "" for other tags ("no text").
  std::int32_t asInt() const;
  float asFloat() const;
  std::string asText() const;

 private:
  void assignOtherKeepExtra(const vm_value& v);
  void releaseText() { std::string().swap(text); }
};
