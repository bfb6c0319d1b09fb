// The engine's random numbers: a PCG32 generator with unbiased bounded draws.
#include "engine/random.h"

#include <cmath>
#include <utility>

namespace engine {
namespace {

constexpr std::uint64_t kMultiplier = 6364136223846793005ULL;
constexpr std::uint64_t kIncrement = 1442695040888963407ULL;

// PCG32 (XSH RR): 64-bit state, 32-bit output.
std::uint32_t next(std::uint64_t& state) {
  std::uint64_t old = state;
  state = old * kMultiplier + kIncrement;
  auto xorshifted = std::uint32_t(((old >> 18u) ^ old) >> 27u);
  auto rot = std::uint32_t(old >> 59u);
  return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

}  // namespace

void Random::seed(std::uint32_t seed) {
  state_ = 0;
  next(state_);
  state_ += seed;
  next(state_);
}

int Random::intIn(int min, int max) {
  if (min > max) std::swap(min, max);
  // The span fits 33 bits only in 64-bit arithmetic; 2^32 means every int.
  auto span = std::uint64_t(std::int64_t(max) - std::int64_t(min)) + 1;
  if (span > 0xFFFFFFFFULL) return int(std::int64_t(min) + next(state_));
  // Lemire's multiply-shift, rejecting the low products that would bias it.
  auto range = std::uint32_t(span);
  std::uint64_t product = std::uint64_t(next(state_)) * range;
  if (std::uint32_t(product) < range) {
    std::uint32_t threshold = (0u - range) % range;
    while (std::uint32_t(product) < threshold) product = std::uint64_t(next(state_)) * range;
  }
  return int(std::int64_t(min) + std::int64_t(product >> 32));
}

float Random::floatIn(float min, float max) {
  float u = float(next(state_) >> 8) * (1.0f / 16777216.0f);  // 24 bits: exact, below 1
  auto value = float(double(min) + double(u) * (double(max) - double(min)));
  // Rounding to float can land on [max] itself; keep the end open.
  if (value == max && min != max) value = std::nextafter(max, min);
  return value;
}

}  // namespace engine
