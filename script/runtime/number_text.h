// Script number and text conversions, locale-independent (shared API: the
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

// Upper-cases the ASCII letters a-z only; other bytes (code page 936) pass.
std::string toUpperAscii(std::string_view text);
void toUpperAsciiInPlace(std::string& text);
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace script
