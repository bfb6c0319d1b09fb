// Script number and text conversions and name characters, locale-independent (shared API: the
// virtual machine, the assembler and the compiler all use these, never the C
// library's atoi/atof/printf, so every stage agrees on every value).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace script {

// The script's atoi: leading whitespace, an optional sign, decimal digits.
// Stops at the first other byte; 0 when there are no digits ("3abc" -> 3,
// "abc" -> 0). Saturates at the 32-bit limits. No hex.
std::int32_t textToInt(std::string_view text);

// The script's atof: leading whitespace, an optional sign, digits with an
// optional '.', an optional exponent ("e", optional sign, digits). 0.0 when
// there is no digit. Rounded once to a 32-bit float; values beyond the float
// range saturate to +-FLT_MAX. No hex, "inf" or "nan".
float textToFloat(std::string_view text);

// A float as an integer: truncated toward zero, NaN gives 0, values outside
// the 32-bit range saturate.
std::int32_t floatToInt(float value);

// Decimal text with a leading '-' when negative.
std::string intToText(std::int32_t value);

// The "%f" text of a float: six decimals ("1.500000").
std::string floatToText(float value);

// Two-decimal text: the float's exact value rounded half away from zero to two
// decimals, with the carry ("0.125" -> "0.13", 1.996 -> "2.00", -0.5 ->
// "-0.50"). Used by concat on a float destination.
std::string floatToTwoDecimalText(float value);

// The one case folding of names (keywords, mnemonics, variables, functions,
// host functions): the ASCII letters a-z only; other bytes (code page 936)
// pass unchanged.
constexpr char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline std::string toUpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = upperAscii(c);
  }
  return result;
}
// Inline: the lexers compare every word with every keyword and mnemonic.
inline bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && upperAscii(a[i]) != upperAscii(b[i])) return false;
  }
  return true;
}

// The characters of names in sources and listings: ASCII letters, digits and '_'.
constexpr bool isIdentChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

}  // namespace script
