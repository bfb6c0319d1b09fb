// The screen effects of orders 20-34: image, motion and how their images are released.
#pragma once

#include "avg/xAVGOrder.h"

namespace avg {

enum class EffectMotion { Slide, FadeIn, FadeOut, Window };

struct ScreenEffect {
  xAVGOrderType kind;
  // nullptr: the order's first parameter names the image.
  const char* image;
  EffectMotion motion;
  float x, y, toX, toY;
  // The order waits this many times its frame count.
  int waits;
  bool releaseFirst;
  bool releaseAtEnd;
};

// The row of [kind] in screen_effects.def, nullptr for any other kind.
const ScreenEffect* findScreenEffect(xAVGOrderType kind);

}  // namespace avg
