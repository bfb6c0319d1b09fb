// SDL keyboard scancodes and controller buttons to the game's key codes and pad bits.
#pragma once

#include <SDL.h>

namespace engine::sdl {

// The Windows virtual-key code of [scancode], 0 for keys the game cannot see.
// Positional: the key where US "A" sits is 65 whatever the layout. Several
// scancodes may share a code (left and right Shift, both Enters).
int virtualKey(SDL_Scancode scancode);

// The 16-bit pad word of a game controller's current buttons.
unsigned padButtons(SDL_GameController* controller);

}  // namespace engine::sdl
