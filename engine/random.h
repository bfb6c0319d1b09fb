// The engine's random numbers: one seeded generator, the game's only source.
#pragma once

#include <cstdint>

namespace engine {

class Random {
 public:
  void seed(std::uint32_t seed);
  // Uniform in [min, max] inclusive, for any two ints (min > max allowed).
  int intIn(int min, int max);
  // min + u * (max - min) with u in [0, 1); also for min > max.
  float floatIn(float min, float max);

 private:
  std::uint64_t state_ = 0x853c49e6748fea9bULL;
};

}  // namespace engine
