// The velocity block of every moving shooting-game object, with its timed and switchable features.
#pragma once

#include <cstdint>

// A window of frames in which a feature is active: counted by advance() at
// the top of the feature's phase. It is active on the steps whose count
// (before the increment) lies in start..end, that is end - start + 1 steps
// beginning with the (start + 1)-th step after it was set, and clears
// itself on the step after. With start and end both 0 nothing is counted
// and [active] keeps whatever a setter gave it.
void advanceWindow(std::int32_t& start, std::int32_t& end, std::int32_t& count, bool& active, bool& held);

// Degrees to radians with the single-precision pi every angle of the game uses.
float degreesToRadians(float degrees);

// Owned by a bullet, an enemy or an item; the owner calls step() once per
// frame and then adds (vx, vy) to its position. Host functions switch the
// features on by writing the fields directly. Angles are radians unless the
// field says degrees.
struct xMovement {
  float vx = 0, vy = 0;          // pixels per frame, y grows downwards
  float heading = 0;         // used by the rotated acceleration, the deflection and the deceleration
  float speed = 0;           // compared with maxSpeed; recomputed only by the deflection
  float accelX = 0, accelY = 0;  // per frame
  float delaySpeed = 0, delayDegree = 0;  // the velocity the delayed change sets (degrees)
  std::int32_t delayStart = 0, delayEnd = 0, delayCount = 0;
  bool delayActive = false, delayHeld = false;  // held is cleared with the window, never read by the step
  float deflection = 0, deflectionChange = 0;  // turning rate in degrees per frame, and its change per frame
  std::int32_t deflectStart = 0, deflectEnd = 0, deflectCount = 0;
  bool deflectActive = false, deflectHeld = false;  // held: turn while set, window or not
  float deceleration = 0;  // taken along the heading per frame
  std::int32_t decelStart = 0, decelEnd = 0, decelCount = 0;
  bool decelActive = false, decelHeld = false;  // held is cleared with the window, never read by the step
  float gravitation = 0;
  bool gravitationOn = false;
  bool accelRotated = false;
  float force = 0, forceDegree = 0;  // push per frame, direction in degrees
  bool forceRelative = false;        // direction measured from the velocity's
  float maxSpeed = 8.0f;            // the pushes act only while speed is below it

  // Every field 0 or false, maxSpeed 8.
  void init();
  // One frame: delayed change, pushes, deflection, deceleration.
  void step();
};
