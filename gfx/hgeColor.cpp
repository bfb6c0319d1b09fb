// A colour of four floats and its conversion to and from the engine's colour word.
#include "gfx/hgeColor.h"

#include <algorithm>

namespace {

// Truncates toward zero; negative and out-of-range channels wrap on purpose
// (see GetHWColor), so go through a wide signed integer to keep that
// defined. Only NaN and absurd magnitudes are pinned, since converting them
// would be undefined.
DWORD channelBits(float channel, int shift) {
  double scaled = static_cast<double>(channel * 255.0f);
  if (!(scaled > -1e15 && scaled < 1e15)) scaled = 0;
  auto part = static_cast<DWORD>(static_cast<long long>(scaled));
  return part << shift;
}

}  // namespace

void hgeColorRGB::SetHWColor(DWORD col) {
  a = static_cast<float>(col >> 24) / 255.0f;
  r = static_cast<float>((col >> 16) & 0xFF) / 255.0f;
  g = static_cast<float>((col >> 8) & 0xFF) / 255.0f;
  b = static_cast<float>(col & 0xFF) / 255.0f;
}

DWORD hgeColorRGB::GetHWColor() const { return GetHWColorFromFloats(r, g, b, a); }

void hgeColorRGB::Clamp() {
  r = std::clamp(r, 0.0f, 1.0f);
  g = std::clamp(g, 0.0f, 1.0f);
  b = std::clamp(b, 0.0f, 1.0f);
  a = std::clamp(a, 0.0f, 1.0f);
}

DWORD GetHWColorFromFloats(float r, float g, float b, float a) {
  return channelBits(a, 24) + channelBits(r, 16) + channelBits(g, 8) + channelBits(b, 0);
}
