// A frame counter stepped once per frame that reports the frame on which its limit is passed.
#include "gfx/xFrameCounter.h"

void xFrameCounter::step() {
  if (limit == 0) {
    state = kOff;
    return;
  }
  if (count < limit) {
    ++count;
    state = kCounting;
    return;
  }
  count = 0;
  state = kFired;
  if (!repeat) limit = 0;
}
