// The key table: SDL scancodes to Windows virtual-key codes, and controller buttons to pad bits.
#include "engine/sdl/keymap.h"

#include <array>

#include "engine/hge.h"

namespace engine::sdl {
namespace {

struct KeyRow {
  SDL_Scancode scancode;
  int vk;
};

// DO NOT CHANGE the codes: config.ini stores them as key bindings.
constexpr KeyRow kKeys[] = {
    {SDL_SCANCODE_BACKSPACE, HGEK_BACKSPACE},     {SDL_SCANCODE_TAB, HGEK_TAB},
    {SDL_SCANCODE_RETURN, HGEK_ENTER},           {SDL_SCANCODE_KP_ENTER, HGEK_ENTER},
    {SDL_SCANCODE_LSHIFT, HGEK_SHIFT},           {SDL_SCANCODE_RSHIFT, HGEK_SHIFT},
    {SDL_SCANCODE_LCTRL, HGEK_CTRL},             {SDL_SCANCODE_RCTRL, HGEK_CTRL},
    {SDL_SCANCODE_LALT, HGEK_ALT},               {SDL_SCANCODE_RALT, HGEK_ALT},
    {SDL_SCANCODE_PAUSE, HGEK_PAUSE},            {SDL_SCANCODE_CAPSLOCK, HGEK_CAPSLOCK},
    {SDL_SCANCODE_ESCAPE, HGEK_ESCAPE},          {SDL_SCANCODE_SPACE, HGEK_SPACE},
    {SDL_SCANCODE_PAGEUP, HGEK_PGUP},            {SDL_SCANCODE_PAGEDOWN, HGEK_PGDN},
    {SDL_SCANCODE_END, HGEK_END},                {SDL_SCANCODE_HOME, HGEK_HOME},
    {SDL_SCANCODE_LEFT, HGEK_LEFT},              {SDL_SCANCODE_UP, HGEK_UP},
    {SDL_SCANCODE_RIGHT, HGEK_RIGHT},            {SDL_SCANCODE_DOWN, HGEK_DOWN},
    {SDL_SCANCODE_INSERT, HGEK_INSERT},          {SDL_SCANCODE_DELETE, HGEK_DELETE},
    {SDL_SCANCODE_0, HGEK_0},                    {SDL_SCANCODE_KP_0, HGEK_NUMPAD0},
    {SDL_SCANCODE_KP_MULTIPLY, HGEK_MULTIPLY},   {SDL_SCANCODE_KP_PLUS, HGEK_ADD},
    {SDL_SCANCODE_KP_MINUS, HGEK_SUBTRACT},      {SDL_SCANCODE_KP_PERIOD, HGEK_DECIMAL},
    {SDL_SCANCODE_KP_DIVIDE, HGEK_DIVIDE},       {SDL_SCANCODE_NUMLOCKCLEAR, HGEK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, HGEK_SCROLLLOCK},  {SDL_SCANCODE_SEMICOLON, HGEK_SEMICOLON},
    {SDL_SCANCODE_EQUALS, HGEK_EQUALS},          {SDL_SCANCODE_COMMA, HGEK_COMMA},
    {SDL_SCANCODE_MINUS, HGEK_MINUS},            {SDL_SCANCODE_PERIOD, HGEK_PERIOD},
    {SDL_SCANCODE_SLASH, HGEK_SLASH},            {SDL_SCANCODE_GRAVE, HGEK_GRAVE},
    {SDL_SCANCODE_LEFTBRACKET, HGEK_LBRACKET},   {SDL_SCANCODE_BACKSLASH, HGEK_BACKSLASH},
    {SDL_SCANCODE_RIGHTBRACKET, HGEK_RBRACKET},  {SDL_SCANCODE_APOSTROPHE, HGEK_APOSTROPHE},
};

std::array<unsigned char, SDL_NUM_SCANCODES> buildTable() {
  std::array<unsigned char, SDL_NUM_SCANCODES> table{};
  for (const KeyRow& row : kKeys) table[row.scancode] = static_cast<unsigned char>(row.vk);
  // Runs that SDL numbers contiguously: 1-9 (0 is in the table), A-Z,
  // keypad 1-9 (keypad 0 is in the table), F1-F12.
  for (int i = 0; i < 9; ++i) table[SDL_SCANCODE_1 + i] = static_cast<unsigned char>(HGEK_0 + 1 + i);
  for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = static_cast<unsigned char>(HGEK_A + i);
  for (int i = 0; i < 9; ++i) {
    table[SDL_SCANCODE_KP_1 + i] = static_cast<unsigned char>(HGEK_NUMPAD0 + 1 + i);
  }
  for (int i = 0; i < 12; ++i) table[SDL_SCANCODE_F1 + i] = static_cast<unsigned char>(HGEK_F1 + i);
  return table;
}

struct PadRow {
  SDL_GameControllerButton button;
  unsigned bit;
};

constexpr PadRow kPadButtons[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, HGEPAD_DPAD_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, HGEPAD_DPAD_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, HGEPAD_DPAD_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, HGEPAD_DPAD_RIGHT},
    {SDL_CONTROLLER_BUTTON_START, HGEPAD_START},
    {SDL_CONTROLLER_BUTTON_BACK, HGEPAD_BACK},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, HGEPAD_LEFT_THUMB},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, HGEPAD_RIGHT_THUMB},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, HGEPAD_LEFT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, HGEPAD_RIGHT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_A, HGEPAD_A},
    {SDL_CONTROLLER_BUTTON_B, HGEPAD_B},
    {SDL_CONTROLLER_BUTTON_X, HGEPAD_X},
    {SDL_CONTROLLER_BUTTON_Y, HGEPAD_Y},
};

}  // namespace

int virtualKey(SDL_Scancode scancode) {
  static const std::array<unsigned char, SDL_NUM_SCANCODES> table = buildTable();
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return table[scancode];
}

unsigned padButtons(SDL_GameController* controller) {
  unsigned word = 0;
  for (const PadRow& row : kPadButtons) {
    if (SDL_GameControllerGetButton(controller, row.button)) word |= row.bit;
  }
  return word;
}

}  // namespace engine::sdl
