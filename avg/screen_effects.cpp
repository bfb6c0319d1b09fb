// The screen effects of orders 20-34.
#include "avg/screen_effects.h"

#include <iterator>

namespace avg {

namespace {

constexpr ScreenEffect kEffects[] = {
#define SCREEN_EFFECT(kind, image, motion, x, y, toX, toY, waits, first, atEnd) \
  {xAVGOrderType::kind, image, EffectMotion::motion, x, y, toX, toY, waits, first, atEnd},
#include "avg/screen_effects.def"
#undef SCREEN_EFFECT
};
static_assert(std::size(kEffects) == 15);

}  // namespace

const ScreenEffect* findScreenEffect(xAVGOrderType kind) {
  for (const ScreenEffect& effect : kEffects)
    if (effect.kind == kind) return &effect;
  return nullptr;
}

}  // namespace avg
