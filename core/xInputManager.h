// Input actions: keys and gamepad buttons bound to actions, polled once per frame with auto-repeat.
#pragma once

#include <array>
#include <map>
#include <vector>

#include "engine/hge.h"

// What the game tests instead of keys. DO NOT RENUMBER: scripts pass these
// values to "htTestKey".
enum InputAction : int {
  ACTION_CONFIRM = 1,
  ACTION_UP = 2,
  ACTION_DOWN = 3,
  ACTION_LEFT = 4,
  ACTION_RIGHT = 5,
  ACTION_SHOOT = 6,
  ACTION_BOMB = 7,
  ACTION_SLOW = 8,
  ACTION_CANCEL = 9,
  ACTION_DIGIT_1 = 10,
  ACTION_DIGIT_2 = 11,
  ACTION_DIGIT_3 = 12,
  ACTION_DIGIT_4 = 13,
  ACTION_DIGIT_5 = 14,
  ACTION_DIGIT_6 = 15,
  ACTION_DIGIT_7 = 16,
  ACTION_DIGIT_8 = 17,
  ACTION_DIGIT_9 = 18,
  ACTION_DIGIT_0 = 19,
  ACTION_TAB = 20,
  ACTION_SPACE = 21,
  ACTION_CTRL = 22,
  ACTION_P = 23,
};

// Codes 128..141 name gamepad buttons (A, B, X, Y, d-pad up, down, left,
// right, Start, Back, left thumb, right thumb, left shoulder, right
// shoulder); config.ini may store them as key codes.
constexpr int kFirstPadCode = 128;
constexpr int kLastPadCode = 141;
// The engine keeps one byte per key code and no key has code 0, so a binding
// outside 1..255 can never be pressed.
constexpr int kFirstKeyCode = 1;
constexpr int kLastKeyCode = 255;
// The pad's button bit for [code]; 0 for every code that is not a pad button.
unsigned padButtonMask(int code);

// One action's binding. pressed is true in the frame its key goes down and
// again every repeatDelay + 1 frames while the key stays down.
struct InputBinding {
  static constexpr int kMaxCodes = 10;
  static constexpr int kDefaultRepeatDelay = 15;

  std::array<int, kMaxCodes> keyCodes{};
  int keyCount = 1;  // every binding holds one code
  int repeatDelay = kDefaultRepeatDelay;
  int holdCounter = 0;  // 0 armed; otherwise frames since the press
  bool pressed = false;
};

// Single instance, created on first use and never destroyed. Polled first in
// the frame callback; the scene player tunes bindings' repeat delays and
// re-arms them directly, the player reads held keys through [engine].
class xInputManager {
 public:
  static constexpr int kPads = 4;

  static xInputManager* getInstance();
  // Tests: drop the instance so the next getInstance reads the keys again.
  static void resetForTests();

  // Binds [key] to [action]; an existing binding keeps its place in the poll
  // order and is re-armed with the default repeat delay.
  void bindKey(int key, int action);
  // [which] -1 binds all seven configurable keys from config.ini again;
  // 0..6 binds [key] to Shoot, Bomb, Slow, Up, Down, Left, Right; else nothing.
  void rebindConfigKeys(int which, int key);
  // The raw key, bypassing bindings.
  bool isKeyDown(int key) const;
  // False for an action without a binding.
  bool isActionPressed(int action) const;
  // Whether [action]'s key or pad button is down now, pressed flag or not.
  bool isActionDown(int action) const;
  // The binding of [action], null when there is none.
  InputBinding* binding(int action);
  // The per-frame poll: pads, then every binding in creation order.
  void update();

  struct Pad {
    hgePadState state{};
    bool connected = false;
  };

  std::map<int, InputBinding> bindings;
  std::vector<int> actionOrder;  // creation order = poll order
  HGE* engine;
  int padCount = 0;  // pads connected at the last poll
  int lastPad = -1;  // the highest-numbered connected pad: the only one that counts
  std::array<Pad, kPads> pads{};

 private:
  xInputManager();
  ~xInputManager();
  void pollPads();
  void pollBinding(InputBinding& binding);
  // Whether one of [binding]'s keys, or its buttons on the last pad, is down.
  bool anyCodeDown(const InputBinding& binding) const;
};
