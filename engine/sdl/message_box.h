// The window backend's message box, kept here so only engine/sdl/ sees SDL.
#pragma once

#include <string>

namespace engine::sdl {

// Shows a modal box with no parent window (works before the window exists);
// the icon follows the Windows style bits 0x10, 0x30 and 0x40. False when SDL
// could not show it, with [error] set.
bool showMessageBox(const std::string& text, const std::string& caption, unsigned style, std::string& error);

}  // namespace engine::sdl
