// The window device: an SDL2 window with an OpenGL context, keyboard, game controllers, screenshots.
#include <SDL.h>

#include <array>

#include "engine/device.h"
#include "engine/headless/headless.h"
#include "engine/platform.h"
#include "engine/sdl/gl_renderer.h"
#include "engine/sdl/keymap.h"
#include "engine/stop_signal.h"

namespace engine {
namespace {

constexpr Uint32 kSubsystems = SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER;
constexpr int kSuspendedPollMs = 100;
// Video drivers that show nothing on any screen.
constexpr const char* kInvisibleDrivers[] = {"offscreen", "dummy"};

class SdlDevice final : public Device {
 public:
  ~SdlDevice() override;
  bool open(const DeviceConfig& config, std::string& error) override;
  void close(TextureStore& textures) override;
  bool realTime() const override { return true; }
  bool poll(long frame, InputState& input) override;
  void setTitle(const std::string& title) override;
  void* windowHandle() override { return window_; }

  void clear(DWORD color) override { renderer_.clear(color); }
  void beginScene() override;
  void drawBatch(HTEXTURE, Texture* texture, int blend, const hgeVertex* vertices, int quads) override {
    renderer_.draw(texture, blend, vertices, quads);
  }
  void endScene(long frame) override;
  void textureWillChange(Texture&) override { renderer_.flush(); }
  void textureFreed(Texture& texture) override { renderer_.release(texture); }

 private:
  bool driverShowsAnything(std::string& error);
  bool createWindow(std::string& error);
  void handleEvent(const SDL_Event& event, InputState& input);
  void keyEvent(SDL_Scancode scancode, bool down, InputState& input);
  void releaseAllKeys(InputState& input);
  void addController(int deviceIndex);
  void removeController(SDL_JoystickID id);
  void writeScreenshot(const std::string& file);

  DeviceConfig config_;
  bool sdlStarted_ = false;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  sdl::GlRenderer renderer_;
  bool rendererReady_ = false;
  bool focused_ = true;
  bool quit_ = false;
  std::array<bool, SDL_NUM_SCANCODES> scanHeld_{};
  std::array<SDL_GameController*, kPadCount> pads_{};
  // The pad lines of the input file: a slot they connect is theirs, not the controller's.
  std::array<hgePadState, kPadCount> scriptedPads_{};
};

SdlDevice::~SdlDevice() {
  TextureStore none;
  close(none);
}

bool SdlDevice::open(const DeviceConfig& config, std::string& error) {
  config_ = config;
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // The engine loop catches SIGINT and SIGTERM itself, the same in both backends.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (config.dontSuspend) SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(kSubsystems) != 0) {
    error = std::string("SDL_InitSubSystem() failed: ") + SDL_GetError();
    return false;
  }
  sdlStarted_ = true;
  if (!driverShowsAnything(error) || !createWindow(error)) {
    TextureStore none;
    close(none);
    return false;
  }
  return true;
}

// Without a display SDL falls back to a video driver that draws where nobody
// sees it, and the game would run invisibly. That is right only when the
// user chose the driver.
bool SdlDevice::driverShowsAnything(std::string& error) {
  const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
  if (chosen != nullptr && *chosen != '\0') return true;
  const char* driver = SDL_GetCurrentVideoDriver();
  for (const char* invisible : kInvisibleDrivers) {
    if (driver != nullptr && SDL_strcasecmp(driver, invisible) == 0) {
      error = std::string("no display to show the window on (SDL fell back to its \"") + driver +
              "\" video driver, which shows nothing); run under X11 or Wayland, use --headless, or set "
              "SDL_VIDEODRIVER to choose a video driver";
      return false;
    }
  }
  return true;
}

bool SdlDevice::createWindow(std::string& error) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  Uint32 flags = SDL_WINDOW_OPENGL | (config_.windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  window_ = SDL_CreateWindow(config_.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             config_.width, config_.height, flags);
  if (window_ == nullptr) {
    error = std::string("SDL_CreateWindow() failed: ") + SDL_GetError();
    return false;
  }
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    error = std::string("SDL_GL_CreateContext() failed: ") + SDL_GetError();
    return false;
  }
  SDL_GL_SetSwapInterval(0);  // the loop keeps its own 60 fps
  if (!renderer_.init(config_.width, config_.height, config_.textureFilter, error)) return false;
  rendererReady_ = true;
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window_, &w, &h);
  renderer_.setViewport(w, h);
  SDL_ShowCursor(config_.hideMouse ? SDL_DISABLE : SDL_ENABLE);
  return true;
}

void SdlDevice::close(TextureStore& textures) {
  for (SDL_GameController*& pad : pads_) {
    if (pad) SDL_GameControllerClose(pad);
    pad = nullptr;
  }
  if (rendererReady_) renderer_.shutdown(textures);
  rendererReady_ = false;
  if (context_) SDL_GL_DeleteContext(context_);
  context_ = nullptr;
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
  if (sdlStarted_) {
    SDL_QuitSubSystem(kSubsystems);
    // Only SDL_Quit releases SDL's own helpers (its D-Bus connection):
    // call it once the sound side has let go of SDL too.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  }
  sdlStarted_ = false;
}

void SdlDevice::setTitle(const std::string& title) {
  config_.title = title;
  if (window_) SDL_SetWindowTitle(window_, title.c_str());
}

bool SdlDevice::poll(long frame, InputState& input) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) handleEvent(event, input);
  // The slots hold last frame's controllers: put the script's own state back
  // under this frame's pad lines, then keep what they leave.
  for (int slot = 0; slot < kPadCount; ++slot) {
    input.setPad(slot, scriptedPads_[slot].connected, scriptedPads_[slot].buttons);
  }
  headless::applyScriptedInput(frame, input);
  for (int slot = 0; slot < kPadCount; ++slot) scriptedPads_[slot] = input.pad(slot);
  // Suspended while unfocused unless told otherwise: wait, don't spin, but
  // look for a stop signal now and then.
  while (!config_.dontSuspend && !focused_ && !quit_ && !stopSignalPending()) {
    if (SDL_WaitEventTimeout(&event, kSuspendedPollMs)) handleEvent(event, input);
  }
  for (int slot = 0; slot < kPadCount; ++slot) {
    if (scriptedPads_[slot].connected) continue;
    SDL_GameController* pad = pads_[slot];
    input.setPad(slot, pad != nullptr, pad ? sdl::padButtons(pad) : 0);
  }
  bool closed = quit_;
  quit_ = false;  // an exit function may refuse the close
  return !closed;
}

void SdlDevice::handleEvent(const SDL_Event& event, InputState& input) {
  switch (event.type) {
    case SDL_QUIT: quit_ = true; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (!event.key.repeat) keyEvent(event.key.keysym.scancode, event.type == SDL_KEYDOWN, input);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        focused_ = false;
        releaseAllKeys(input);  // the key-ups go to another window
      } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        focused_ = true;
      } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window_, &w, &h);
        renderer_.setViewport(w, h);
      }
      break;
    case SDL_CONTROLLERDEVICEADDED: addController(event.cdevice.which); break;
    case SDL_CONTROLLERDEVICEREMOVED: removeController(event.cdevice.which); break;
    default: break;
  }
}

// Left and right Shift (and both Enters) share a code: it is held while any of them is.
void SdlDevice::keyEvent(SDL_Scancode scancode, bool down, InputState& input) {
  int vk = sdl::virtualKey(scancode);
  if (vk == 0) return;
  scanHeld_[scancode] = down;
  bool held = false;
  for (int s = 0; s < SDL_NUM_SCANCODES && !held; ++s) {
    held = scanHeld_[s] && sdl::virtualKey(static_cast<SDL_Scancode>(s)) == vk;
  }
  if (held != input.held(vk)) input.keyEvent(vk, held);
}

void SdlDevice::releaseAllKeys(InputState& input) {
  for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
    if (scanHeld_[s]) keyEvent(static_cast<SDL_Scancode>(s), false, input);
  }
}

void SdlDevice::addController(int deviceIndex) {
  if (!SDL_IsGameController(deviceIndex)) return;
  SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  for (SDL_GameController* pad : pads_) {
    if (pad && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id) return;
  }
  for (SDL_GameController*& pad : pads_) {
    if (pad == nullptr) {
      pad = SDL_GameControllerOpen(deviceIndex);
      if (pad == nullptr) logError("SDL_GameControllerOpen", SDL_GetError());
      return;
    }
  }
}

void SdlDevice::removeController(SDL_JoystickID id) {
  for (SDL_GameController*& pad : pads_) {
    if (pad && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id) {
      SDL_GameControllerClose(pad);
      pad = nullptr;
    }
  }
}

void SdlDevice::beginScene() {}

void SdlDevice::endScene(long frame) {
  renderer_.flush();
  for (const auto& [at, file] : config_.screenshots) {
    if (frame == at && !file.empty()) writeScreenshot(file);
  }
  SDL_GL_SwapWindow(window_);
}

void SdlDevice::writeScreenshot(const std::string& file) {
  std::vector<DWORD> pixels;
  int width = 0, height = 0;
  renderer_.readPixels(pixels, width, height);
  std::string error;
  if (!writePng(file, width, height, pixels.data(), error)) {
    logError("writePng", file + ": " + error);
  }
}

}  // namespace

std::unique_ptr<Device> makeWindowDevice() {
  return std::make_unique<SdlDevice>();
}

}  // namespace engine
