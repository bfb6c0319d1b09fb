// A 2D vector of floats, with the fast inverse square root the particles and angles use.
#pragma once

// 1 / sqrt([x]) by the bit trick and one Newton step. The half factor is
// 0.4999, not 0.5: results differ from the textbook version in the last
// bits, and particle motion depends on them.
float InvSqrt(float x);

class hgeVector {
 public:
  float x = 0, y = 0;

  hgeVector() = default;
  hgeVector(float vx, float vy) : x(vx), y(vy) {}

  hgeVector operator+(const hgeVector& v) const { return {x + v.x, y + v.y}; }
  hgeVector operator-(const hgeVector& v) const { return {x - v.x, y - v.y}; }
  hgeVector operator*(float s) const { return {x * s, y * s}; }
  hgeVector& operator+=(const hgeVector& v) {
    x += v.x;
    y += v.y;
    return *this;
  }
  float Dot(const hgeVector& v) const { return x * v.x + y * v.y; }
  // Scales to about unit length with InvSqrt; a zero vector stays zero.
  hgeVector& Normalize();
  // Radians. With null: the heading atan2(y, x). With [v]: the unsigned
  // angle 0..pi between the two, through InvSqrt-normalised copies.
  float Angle(const hgeVector* v = nullptr) const;
};
