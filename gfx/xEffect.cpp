// Frame-counted linear tweens.
#include "gfx/xEffect.h"

template <class Advance, class Finish, class Clear>
void xEffectBase::stepFrame(Advance advance, Finish finish, Clear clear) {
  if (idle()) return;
  if (counter >= start) {
    active = true;
    advance();
    if (counter > end) {
      clear();
      active = false;
      start = 0;
      end = 0;
      counter = 1;
      return;
    }
    if (counter == end) finish();
  }
  ++counter;
}

void xEffectBase::update() {
  stepFrame([this] { value += step; }, [this] { value = target; },
            [this] {
              step = 0;
              value = 0;
            });
}

void xEffectBase::reset() {
  counter = 0;
  end = 0;
  start = 0;
  value = 0;
  step = 0;
  target = 0;
  active = false;
}

void xEffectCor::update() {
  stepFrame(
      [this] {
        x += stepX;
        y += stepY;
      },
      [this] {
        x = targetX;
        y = targetY;
      },
      [this] {
        x = y = 0;
        stepX = stepY = 0;
      });
}

void xEffectCor::aim(std::uint32_t endFrame, float frames, float fromX, float fromY, float toX, float toY) {
  end = endFrame;
  x = fromX;
  y = fromY;
  stepX = (toX - fromX) / frames;
  stepY = (toY - fromY) / frames;
  targetX = toX;
  targetY = toY;
}

void xEffectCor::reset() {
  xEffectBase::reset();
  x = y = 0;
  stepX = stepY = 0;
  targetX = targetY = 0;
}
