// The window backend's message box through SDL.
#include "engine/sdl/message_box.h"

#include <SDL.h>

namespace engine::sdl {
namespace {

// The icon group of a Windows message box style.
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconWarning = 0x30;

Uint32 sdlFlags(unsigned style) {
  switch (style & kIconMask) {
    case kIconError: return SDL_MESSAGEBOX_ERROR;
    case kIconWarning: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

}  // namespace

bool showMessageBox(const std::string& text, const std::string& caption, unsigned style, std::string& error) {
  if (SDL_ShowSimpleMessageBox(sdlFlags(style), caption.c_str(), text.c_str(), nullptr) == 0) return true;
  error = SDL_GetError();
  return false;
}

}  // namespace engine::sdl
