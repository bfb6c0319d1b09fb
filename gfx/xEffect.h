// Frame-counted linear tweens of one float (xEffectBase) and of an (x, y) pair (xEffectCor).
#pragma once

#include <cstdint>

// The owner starts a tween over N frames with reset(), then sets end = N,
// value = the current value, step = (target - current) / N and target, and
// calls update() once per frame, copying value out while active is true.
// Frames 0..N-1 add the step, frame N sets value to target exactly, and
// frame N+1 clears the tween (value 0, active false, counter 1), so owners
// keep the target they copied last. Frames before start count but do not
// step. A tween with end and start both 0 is idle.
class xEffectBase {
 public:
  virtual ~xEffectBase() = default;

  virtual void update();
  virtual void reset();

  std::uint32_t counter = 0;  // frames since the tween was set
  std::uint32_t end = 0;      // frame on which the target is reached
  std::uint32_t start = 0;    // first frame that steps
  float value = 0;
  float step = 0;
  float target = 0;
  bool active = false;

 protected:
  bool idle() const { return end == 0 && start == 0; }
  // Shared counting; [advance] steps the value, [finish] sets the target,
  // [clear] zeroes the values when the tween ends.
  template <class Advance, class Finish, class Clear>
  void stepFrame(Advance advance, Finish finish, Clear clear);
};

// The same over (x, y); the base's value, step and target are unused.
class xEffectCor : public xEffectBase {
 public:
  void update() override;
  void reset() override;
  // Aims a move from one point to another over [frames] steps, ending at
  // frame [endFrame]; the frame counter is left as it is.
  void aim(std::uint32_t endFrame, float frames, float fromX, float fromY, float toX, float toY);

  float x = 0, y = 0;
  float stepX = 0, stepY = 0;
  float targetX = 0, targetY = 0;
};
