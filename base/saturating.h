// Integer arithmetic and conversions held to the int range, for numbers scripts, scene files and the configuration may set to anything.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace base {

// [value] held to the int range.
constexpr std::int32_t clampToInt(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// [a] + [b], [a] - [b] and [a] x [b], exact when the result fits an int and
// the nearest int limit when it does not: two ints never overflow 64 bits.
constexpr std::int32_t addSaturated(std::int32_t a, std::int32_t b) {
  return clampToInt(std::int64_t{a} + b);
}
constexpr std::int32_t subSaturated(std::int32_t a, std::int32_t b) {
  return clampToInt(std::int64_t{a} - b);
}
constexpr std::int32_t mulSaturated(std::int32_t a, std::int32_t b) {
  return clampToInt(std::int64_t{a} * b);
}

// [value] truncated toward zero and held to the int range; NaN gives 0.
// A float widens to double exactly, so this serves floats too.
inline std::int32_t truncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

}  // namespace base
