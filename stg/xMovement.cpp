// The velocity block: delayed change, pushes below the top speed, turning and braking, once per frame.
#include "stg/xMovement.h"

#include <climits>
#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;

}  // namespace

float degreesToRadians(float degrees) { return degrees * kPi / 180.0f; }

void advanceWindow(std::int32_t& start, std::int32_t& end, std::int32_t& count, bool& active, bool& held) {
  if (start == 0 && end == 0) return;
  if (count == start) {
    active = true;
  } else if (count > end) {
    active = false;
    count = 0;
    end = 0;
    start = 0;
    held = false;
    return;
  }
  // A window ending at INT32_MAX stays open instead of overflowing.
  if (count != INT32_MAX) ++count;
}

void xMovement::init() { *this = xMovement{}; }

void xMovement::step() {
  advanceWindow(delayStart, delayEnd, delayCount, delayActive, delayHeld);
  if (delayActive) {
    float a = degreesToRadians(delayDegree);
    vx = std::cos(a) * delaySpeed;
    vy = std::sin(a) * delaySpeed;
  }

  if (speed < maxSpeed) {
    if (accelRotated) {
      // Each component uses only its own acceleration value: kept as the game has it.
      float c = std::cos(heading), s = std::sin(heading);
      vx = vx + c * accelX + s * accelX;
      vy = vy + s * accelY - c * accelY;
    } else {
      vx += accelX;
      vy += accelY;
    }
    if (gravitationOn) vy += gravitation;
    if (force != 0) {
      float a = degreesToRadians(forceDegree);
      if (forceRelative) a += std::atan2(vy, vx);
      vx += std::cos(a) * force;
      vy += std::sin(a) * force;
    }
  }

  advanceWindow(deflectStart, deflectEnd, deflectCount, deflectActive, deflectHeld);
  if (deflectActive || deflectHeld) {
    if (deflection != 0) {
      speed = std::sqrt(vx * vx + vy * vy);
      heading += degreesToRadians(deflection);
      vx = std::cos(heading) * speed;
      vy = std::sin(heading) * speed;
    }
    if (deflectionChange != 0) deflection += deflectionChange;
  }

  advanceWindow(decelStart, decelEnd, decelCount, decelActive, decelHeld);
  if (decelActive) {
    vx -= std::cos(heading) * deceleration;
    vy -= std::sin(heading) * deceleration;
  }
}
