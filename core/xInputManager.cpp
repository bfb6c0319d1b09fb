// Keyboard and gamepad polling into per-action pressed flags with auto-repeat.
#include "core/xInputManager.h"

#include <iterator>

#include "core/config.h"

namespace {

xInputManager* gInput = nullptr;

// Indexed by code - kFirstPadCode.
constexpr unsigned kPadMasks[] = {
    HGEPAD_A,         HGEPAD_B,          HGEPAD_X,          HGEPAD_Y,         HGEPAD_DPAD_UP,
    HGEPAD_DPAD_DOWN, HGEPAD_DPAD_LEFT,  HGEPAD_DPAD_RIGHT, HGEPAD_START,     HGEPAD_BACK,
    HGEPAD_LEFT_THUMB, HGEPAD_RIGHT_THUMB, HGEPAD_LEFT_SHOULDER, HGEPAD_RIGHT_SHOULDER,
};
static_assert(std::size(kPadMasks) == kLastPadCode - kFirstPadCode + 1);

struct ConfiguredKey {
  ConfigItem item;
  InputAction action;
};
// In binding order: the poll order of the actions.
constexpr ConfiguredKey kConfiguredKeys[] = {
    {CFG_KEY_UP, ACTION_UP},       {CFG_KEY_DOWN, ACTION_DOWN}, {CFG_KEY_LEFT, ACTION_LEFT},
    {CFG_KEY_RIGHT, ACTION_RIGHT}, {CFG_KEY_SHOOT, ACTION_SHOOT}, {CFG_KEY_BOMB, ACTION_BOMB},
    {CFG_KEY_SLOW, ACTION_SLOW},
};

// The action of config item CFG_KEY_SHOOT + which, for which 0..6.
constexpr InputAction kActionOfConfigKey[] = {ACTION_SHOOT, ACTION_BOMB, ACTION_SLOW, ACTION_UP,
                                              ACTION_DOWN,  ACTION_LEFT, ACTION_RIGHT};

}  // namespace

unsigned padButtonMask(int code) {
  if (code < kFirstPadCode || code > kLastPadCode) return 0;
  return kPadMasks[code - kFirstPadCode];
}

xInputManager* xInputManager::getInstance() {
  if (!gInput) gInput = new xInputManager();
  return gInput;
}

void xInputManager::resetForTests() {
  delete gInput;
  gInput = nullptr;
}

xInputManager::xInputManager() : engine(hgeCreate(HGE_VERSION)) {
  bindKey(HGEK_ENTER, ACTION_CONFIRM);
  bindKey(HGEK_ESCAPE, ACTION_CANCEL);
  // Said once, at start-up: with the keys unbound the title would stop
  // reacting and nothing would say why.
  for (const ConfiguredKey& k : kConfiguredKeys)
    core::reportUnusableInt(engine, k.item, kFirstKeyCode, kLastKeyCode, "not a key code 1-255");
  rebindConfigKeys(-1, 0);
  for (int digit = 1; digit <= 9; ++digit) bindKey('0' + digit, ACTION_DIGIT_1 + digit - 1);
  bindKey('0', ACTION_DIGIT_0);
  bindKey(HGEK_CTRL, ACTION_CTRL);
  bindKey(HGEK_SPACE, ACTION_SPACE);
  bindKey('P', ACTION_P);
  bindKey(HGEK_TAB, ACTION_TAB);
}

xInputManager::~xInputManager() { engine->Release(); }

void xInputManager::bindKey(int key, int action) {
  auto [it, created] = bindings.try_emplace(action);
  InputBinding& b = it->second;
  b.keyCodes[0] = key;
  b.repeatDelay = InputBinding::kDefaultRepeatDelay;
  b.holdCounter = 0;
  if (created) actionOrder.push_back(action);
}

void xInputManager::rebindConfigKeys(int which, int key) {
  if (which == -1) {
    for (const ConfiguredKey& k : kConfiguredKeys) bindKey(core::readConfigInt(engine, k.item), k.action);
  } else if (which >= 0 && which < int(std::size(kActionOfConfigKey))) {
    bindKey(key, kActionOfConfigKey[which]);
  }
}

bool xInputManager::isKeyDown(int key) const { return engine->Input_GetKeyState(key); }

bool xInputManager::isActionPressed(int action) const {
  auto found = bindings.find(action);
  return found != bindings.end() && found->second.pressed;
}

bool xInputManager::isActionDown(int action) const {
  auto found = bindings.find(action);
  if (found == bindings.end()) return false;
  return anyCodeDown(found->second);
}

bool xInputManager::anyCodeDown(const InputBinding& b) const {
  const int codes = b.keyCount < InputBinding::kMaxCodes ? b.keyCount : InputBinding::kMaxCodes;
  for (int i = 0; i < codes; ++i) {
    if (engine->Input_GetKeyState(b.keyCodes[i])) return true;
  }
  if (lastPad == -1) return false;
  for (int i = 0; i < codes; ++i) {
    if (padButtonMask(b.keyCodes[i]) & pads[lastPad].state.buttons) return true;
  }
  return false;
}

InputBinding* xInputManager::binding(int action) {
  auto found = bindings.find(action);
  return found != bindings.end() ? &found->second : nullptr;
}

void xInputManager::update() {
  pollPads();
  for (int action : actionOrder) pollBinding(bindings[action]);
}

void xInputManager::pollPads() {
  padCount = kPads;
  for (int i = 0; i < kPads; ++i) {
    pads[i].state = engine->Input_GetPadState(i);
    pads[i].connected = pads[i].state.connected;
    if (pads[i].connected) {
      lastPad = i;
    } else {
      --padCount;
    }
  }
  if (padCount == 0) lastPad = -1;
}

void xInputManager::pollBinding(InputBinding& b) {
  if (b.holdCounter != 0) {
    b.pressed = false;
    if (++b.holdCounter > b.repeatDelay) b.holdCounter = 0;
    return;
  }
  // Set anew at every poll: a binding re-armed while pressed (bindKey, or
  // the scene player resetting holdCounter) would otherwise stay pressed.
  b.pressed = anyCodeDown(b);
  if (b.pressed) b.holdCounter = 1;
}
