// A colour of four floats and its conversion to and from the engine's 0xAARRGGBB word.
#pragma once

#include "engine/hge.h"

// Channels nominally 0..1, stored r, g, b, a.
class hgeColorRGB {
 public:
  float r = 0, g = 0, b = 0, a = 0;

  hgeColorRGB() = default;
  hgeColorRGB(float red, float green, float blue, float alpha) : r(red), g(green), b(blue), a(alpha) {}
  explicit hgeColorRGB(DWORD col) { SetHWColor(col); }

  hgeColorRGB operator+(const hgeColorRGB& c) const { return {r + c.r, g + c.g, b + c.b, a + c.a}; }
  hgeColorRGB operator-(const hgeColorRGB& c) const { return {r - c.r, g - c.g, b - c.b, a - c.a}; }
  // Scales all four channels, alpha included.
  hgeColorRGB operator*(float s) const { return {r * s, g * s, b * s, a * s}; }
  hgeColorRGB& operator+=(const hgeColorRGB& c) {
    *this = *this + c;
    return *this;
  }

  void SetHWColor(DWORD col);
  // Truncates each channel x 255 and adds the shifted parts without
  // clamping: a channel outside 0..1 spills into its neighbour. Call Clamp
  // first when a clean word is needed.
  DWORD GetHWColor() const;
  void Clamp();
};

// The GetHWColor word of (r, g, b, a), without making a colour first.
DWORD GetHWColorFromFloats(float r, float g, float b, float a);
