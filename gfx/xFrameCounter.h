// A frame counter stepped once per frame that reports the frame on which its limit is passed.
#pragma once

#include <cstdint>

// Owners start it with limit, repeat and count = 0, call step() once per frame and read
// state after it. With limit N it fires on the (N + 1)-th step and, when repeating, every
// N + 1 steps after that; a counter without repeat switches itself off after firing.
struct xFrameCounter {
  static constexpr int32_t kFired = 0;
  static constexpr int32_t kCounting = 1;
  static constexpr int32_t kOff = 2;

  int32_t state = kOff;  // 2 off, 1 counting, 0 fired in this step
  bool repeat = false;
  uint32_t limit = 0;    // 0 = off
  uint32_t count = 0;

  // Starts counting [limit] frames from now.
  void start(uint32_t frames, bool repeating) {
    limit = frames;
    repeat = repeating;
    count = 0;
    state = kCounting;
  }

  void step();
};
