// Script number and text conversions, written once without the C locale.
#include "script/runtime/number_text.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>

#include "base/saturating.h"

namespace script {
namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Skips leading whitespace and an optional sign; returns the index of the first
// byte after them and sets [negative].
std::size_t skipSpaceAndSign(std::string_view text, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  return i;
}

// Length of the float syntax at the start of [text] (no sign), 0 when there is
// no digit in the mantissa.
std::size_t floatSyntaxLength(std::string_view text) {
  std::size_t i = 0;
  std::size_t digits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && isDigit(text[j])) {
      while (j < text.size() && isDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

// The power of ten of the leading significant digit of a float syntax
// ("123.4" -> 2, "0.05e-3" -> -5); only its sign matters to the caller.
std::int64_t decimalOrder(std::string_view syntax) {
  std::size_t i = 0;
  std::int64_t order = -1;
  bool seenDigit = false;
  for (; i < syntax.size() && isDigit(syntax[i]); ++i) {
    if (syntax[i] != '0') seenDigit = true;
    if (seenDigit) ++order;
  }
  if (i < syntax.size() && syntax[i] == '.') {
    for (++i; i < syntax.size() && isDigit(syntax[i]) && !seenDigit; ++i) {
      if (syntax[i] != '0') seenDigit = true;
      else --order;
    }
    while (i < syntax.size() && isDigit(syntax[i])) ++i;
  }
  if (i < syntax.size() && (syntax[i] == 'e' || syntax[i] == 'E')) {
    order += textToInt(syntax.substr(i + 1));
  }
  return order;
}

}  // namespace

std::int32_t textToInt(std::string_view text) {
  bool negative = false;
  std::size_t i = skipSpaceAndSign(text, negative);
  // Accumulate the magnitude in 64 bits and stop growing once it is past the
  // limit, so long digit runs cannot overflow.
  std::int64_t magnitude = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    if (magnitude <= INT64_C(1) << 32) magnitude = magnitude * 10 + (text[i] - '0');
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

float textToFloat(std::string_view text) {
  bool negative = false;
  std::size_t start = skipSpaceAndSign(text, negative);
  std::string_view rest = text.substr(start);
  std::size_t length = floatSyntaxLength(rest);
  if (length == 0) return 0.0f;
  float value = 0.0f;
  auto error = std::from_chars(rest.data(), rest.data() + length, value,
                               std::chars_format::general).ec;
  if (error == std::errc::result_out_of_range) {
    value = decimalOrder(rest.substr(0, length)) > 0 ? FLT_MAX : 0.0f;
  } else if (error != std::errc()) {
    value = 0.0f;
  }
  return negative ? -value : value;
}

std::int32_t floatToInt(float value) { return base::truncateToInt(value); }

std::string intToText(std::int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string floatToText(float value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                              std::chars_format::fixed, 6);
  return std::string(buffer, result.ptr);
}

std::string floatToTwoDecimalText(float value) {
  if (!std::isfinite(value)) return floatToText(value);
  std::string text = std::signbit(value) ? "-" : "";
  float magnitude = std::fabs(value);
  int exponent = 0;
  // magnitude = mantissa * 2^exponent with an integer mantissa below 2^24.
  float fraction = std::frexp(magnitude, &exponent);
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 24));
  exponent -= 24;
  if (exponent >= 0) {
    // An integer: print it exactly.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(magnitude),
                                std::chars_format::fixed, 0);
    return text + std::string(buffer, result.ptr) + ".00";
  }
  // Hundredths = round(mantissa * 100 / 2^shift), halves up, in exact integers.
  int shift = -exponent;
  std::uint64_t scaled = mantissa * 100;  // below 2^31
  std::uint64_t hundredths = 0;
  if (shift < 63) {
    std::uint64_t unit = std::uint64_t{1} << shift;
    hundredths = (scaled >> shift) + ((scaled & (unit - 1)) >= unit / 2 ? 1 : 0);
  }
  std::uint64_t cents = hundredths % 100;
  text += std::to_string(hundredths / 100);
  text += '.';
  text += static_cast<char>('0' + cents / 10);
  text += static_cast<char>('0' + cents % 10);
  return text;
}

}  // namespace script
