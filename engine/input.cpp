// Keyboard and gamepad state shared by both backends.
#include "engine/input.h"

namespace engine {

void InputState::beginFrame() {
  pressed_.fill(false);
  released_.fill(false);
  lastKey_ = 0;
}

void InputState::keyEvent(int key, bool down) {
  if (!inRange(key) || key == 0) return;
  if (down) {
    if (held_[key]) return;
    held_[key] = true;
    pressed_[key] = true;
    lastKey_ = key;
  } else {
    if (!held_[key]) return;
    held_[key] = false;
    released_[key] = true;
  }
}

void InputState::setPad(int pad, bool connected, unsigned buttons) {
  if (pad < 0 || pad >= kPadCount) return;
  pads_[pad] = hgePadState{connected, connected ? (buttons & 0xFFFFu) : 0u};
}

void InputState::reset() {
  held_.fill(false);
  beginFrame();
  pads_.fill(hgePadState{false, 0});
}

hgePadState InputState::pad(int pad) const {
  if (pad < 0 || pad >= kPadCount) return hgePadState{false, 0};
  return pads_[pad];
}

}  // namespace engine
