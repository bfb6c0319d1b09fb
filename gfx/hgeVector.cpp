// A 2D vector of floats and the fast inverse square root.
#include "gfx/hgeVector.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

float InvSqrt(float x) {
  auto i = std::bit_cast<std::int32_t>(x);
  i = 0x5F3759DF - (i >> 1);
  float y = std::bit_cast<float>(i);
  return y * (1.5f - 0.4999f * x * y * y);
}

hgeVector& hgeVector::Normalize() {
  float lengthSq = x * x + y * y;
  if (lengthSq == 0) return *this;
  float inv = InvSqrt(lengthSq);
  x *= inv;
  y *= inv;
  return *this;
}

float hgeVector::Angle(const hgeVector* v) const {
  if (!v) return std::atan2(y, x);
  hgeVector a = *this;
  hgeVector b = *v;
  a.Normalize();
  b.Normalize();
  // InvSqrt is approximate, so the dot product of parallel vectors can land
  // just outside [-1, 1], where acos would give NaN.
  return std::acos(std::clamp(a.Dot(b), -1.0f, 1.0f));
}
