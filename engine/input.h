// Keyboard and gamepad state as the game sees it: held keys, this frame's edges, pads.
#pragma once

#include <array>

#include "engine/hge.h"

namespace engine {

constexpr int kKeyCount = 256;  // virtual-key codes are one byte
constexpr int kPadCount = 4;    // gamepad slots 0-3

// Filled by a backend's poll at the start of each frame and read unchanged
// by the game until the next poll, so every query is stable within a frame.
class InputState {
 public:
  // Forgets the previous frame's edges and last key; held keys stay held.
  void beginFrame();
  // A key went down or up. A down for a key already held is an auto-repeat
  // and is ignored; codes outside 0..255 are ignored.
  void keyEvent(int key, bool down);
  void setPad(int pad, bool connected, unsigned buttons);
  // Releases every key and disconnects every pad (engine start and stop).
  void reset();

  bool held(int key) const { return inRange(key) && held_[key]; }
  bool pressed(int key) const { return inRange(key) && pressed_[key]; }
  bool released(int key) const { return inRange(key) && released_[key]; }
  // The last key that went down since the previous frame, 0 if none.
  int lastKey() const { return lastKey_; }
  hgePadState pad(int pad) const;

 private:
  static bool inRange(int key) { return key >= 0 && key < kKeyCount; }

  std::array<bool, kKeyCount> held_{};
  std::array<bool, kKeyCount> pressed_{};
  std::array<bool, kKeyCount> released_{};
  int lastKey_ = 0;
  std::array<hgePadState, kPadCount> pads_{};
};

}  // namespace engine
