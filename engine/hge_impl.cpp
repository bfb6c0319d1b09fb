// The engine object's system calls: states, initiation, the frame loop, shutdown and the clock.
#include "engine/hge_impl.h"

#include <cstdarg>
#include <cstdio>
#include <thread>

#include "engine/headless/headless.h"
#include "engine/stop_signal.h"

namespace engine {
namespace {

constexpr std::uint32_t kHeadlessSeed = 0x5EED1234u;
constexpr double kHeadlessFrameSeconds = 1.0 / 60.0;

}  // namespace

HgeImpl::HgeImpl(const Options& options) : options_(options) {
  seedFromClockOrOption();
  if (options_.backend == Backend::Headless) fps_ = 60;
}

HgeImpl::~HgeImpl() {
  System_Shutdown();
}

void HgeImpl::seedFromClockOrOption() {
  if (options_.seed) {
    random_.seed(*options_.seed);
  } else if (options_.backend == Backend::Headless) {
    random_.seed(kHeadlessSeed);
  } else {
    auto now = Clock::now().time_since_epoch().count();
    random_.seed(static_cast<std::uint32_t>(now ^ (now >> 32)));
  }
}

DeviceConfig HgeImpl::deviceConfig() const {
  DeviceConfig config;
  config.title = title_;
  config.width = screenWidth_;
  config.height = screenHeight_;
  config.windowed = windowed_;
  config.hideMouse = hideMouse_;
  config.dontSuspend = dontSuspend_;
  config.textureFilter = textureFilter_;
  // Tests set the two single fields alone, and a frame of -1 turns every screenshot off.
  if (options_.screenshotFrame >= 0) {
    config.screenshots = options_.screenshots;
    if (config.screenshots.empty()) config.screenshots.emplace_back(options_.screenshotFrame, options_.screenshotFile);
  }
  return config;
}

// A failure is the caller's to report (System_GetErrorMessage): said here
// too, it reached the player twice.
bool HgeImpl::System_Initiate() {
  if (initiated_) return true;
  error_.clear();
  bool headless = options_.backend == Backend::Headless;
  if (!options_.inputFile.empty()) {
    std::string detail;
    if (!headless::loadInputScript(options_.inputFile, detail)) {
      error_ = "System_Initiate: cannot load the input script: " + detail;
      return false;
    }
  }
  std::unique_ptr<Device> device = headless ? makeHeadlessDevice() : makeWindowDevice();
  std::string detail;
  if (!device->open(deviceConfig(), detail)) {
    error_ = "System_Initiate: " + detail;
    return false;
  }
  device_ = std::move(device);
  // Sound plays in real time: it cannot follow an unpaced clock.
  audio_ = Audio::create(headless || !useSound_ || options_.unpaced);
  input_.reset();
  frame_ = 0;
  time_ = 0;
  delta_ = 0;
  fps_ = pacedByClock() ? 0 : 60;
  inScene_ = false;
  initiated_ = true;
  stopRequested_ = false;
  return true;
}

void HgeImpl::System_Shutdown() {
  if (!initiated_) return;
  initiated_ = false;
  stopRequested_ = true;  // a shutdown from a callback ends the loop after it
  inScene_ = false;
  batch_.clear();
  batchTexture_ = nullptr;
  if (audio_) audio_->shutdown();
  audio_.reset();
  releaseTextures();
  device_.reset();
  input_.reset();
}

void HgeImpl::releaseTextures() {
  if (device_) device_->close(textures_);
  // Handles die with the run; the counter is process-wide, so none comes back.
  textures_.clear();
}

bool HgeImpl::System_Start() {
  if (!initiated_) {
    error_ = "System_Start: System_Initiate was not called";
    System_Log("%s", error_.c_str());
    return false;
  }
  if (frameFunc_ == nullptr) {
    error_ = "System_Start: no frame function defined";
    System_Log("%s", error_.c_str());
    return false;
  }
  if (inLoop_) return false;
  inLoop_ = true;
  stopRequested_ = false;
  loopStart_ = lastFrame_ = secondStart_ = nextFrame_ = Clock::now();
  framesThisSecond_ = 0;
  StopSignals signals;
  // --frames 0 runs no frame at all.
  while ((options_.frames < 0 || frame_ < options_.frames) && runFrame()) {
  }
  inLoop_ = false;
  return true;
}

bool HgeImpl::runFrame() {
  input_.beginFrame();
  bool open = device_->poll(frame_, input_);
  if (takeStopSignal()) open = false;
  if (!open) {
    if (exitFunc_ == nullptr || exitFunc_()) return false;
    if (stopRequested_) return false;  // the exit function shut the engine down
  }
  advanceClock();
  if (audio_) audio_->update(delta_);
  bool quit = frameFunc_();
  if (quit || stopRequested_) {
    ++frame_;
    return false;
  }
  if (renderFunc_ != nullptr) renderFunc_();  // frame_ is still this frame's index here
  ++frame_;
  if (stopRequested_) return false;
  if (options_.frames >= 0 && frame_ >= options_.frames) return false;
  waitForFrameBoundary();
  return true;
}

bool HgeImpl::pacedByClock() const {
  return device_ && device_->realTime() && !options_.unpaced;
}

void HgeImpl::advanceClock() {
  if (!pacedByClock()) {
    delta_ = static_cast<float>(kHeadlessFrameSeconds);
    time_ = static_cast<double>(frame_ + 1) * kHeadlessFrameSeconds;
    fps_ = 60;
    return;
  }
  Clock::time_point now = Clock::now();
  delta_ = frame_ == 0 ? 0.0f : std::chrono::duration<float>(now - lastFrame_).count();
  lastFrame_ = now;
  time_ = std::chrono::duration<double>(now - loopStart_).count();
  ++framesThisSecond_;
  if (now - secondStart_ >= std::chrono::seconds(1)) {
    fps_ = framesThisSecond_;
    framesThisSecond_ = 0;
    secondStart_ += std::chrono::seconds(1);
    if (now - secondStart_ >= std::chrono::seconds(1)) secondStart_ = now;  // after a stall
  }
}

void HgeImpl::waitForFrameBoundary() {
  if (!pacedByClock() || targetFps_ <= 0) return;
  auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / targetFps_));
  nextFrame_ += period;
  Clock::time_point now = Clock::now();
  // Far behind (a stall, a debugger): start counting again from now rather
  // than rushing through the missed frames.
  if (now - nextFrame_ > period * 4) nextFrame_ = now;
  std::this_thread::sleep_until(nextFrame_);
}

void HgeImpl::System_Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

void HgeImpl::System_SetState(hgeBoolState state, bool value) {
  switch (state) {
    case HGE_WINDOWED: windowed_ = value; break;
    case HGE_TEXTUREFILTER: textureFilter_ = value; break;
    case HGE_USESOUND: useSound_ = value; break;
    case HGE_DONTSUSPEND: dontSuspend_ = value; break;
    case HGE_HIDEMOUSE: hideMouse_ = value; break;
  }
}

void HgeImpl::System_SetState(hgeFuncState state, hgeCallback value) {
  switch (state) {
    case HGE_FRAMEFUNC: frameFunc_ = value; break;
    case HGE_RENDERFUNC: renderFunc_ = value; break;
    case HGE_EXITFUNC: exitFunc_ = value; break;
  }
}

void HgeImpl::System_SetState(hgeIntState state, int value) {
  // The size takes effect at System_Initiate; the depth is only kept.
  switch (state) {
    case HGE_SCREENWIDTH: if (!initiated_) screenWidth_ = value; break;
    case HGE_SCREENHEIGHT: if (!initiated_) screenHeight_ = value; break;
    case HGE_SCREENBPP: if (!initiated_) screenBpp_ = value; break;
    case HGE_FPS: targetFps_ = value; break;
  }
}

void HgeImpl::System_SetState(hgeStringState state, const char* value) {
  std::string text = value ? value : "";
  switch (state) {
    case HGE_TITLE:
      title_ = text;
      if (device_) device_->setTitle(title_);
      break;
    case HGE_INIFILE: ini_.setPath(text); break;
  }
}

bool HgeImpl::System_GetState(hgeBoolState state) {
  switch (state) {
    case HGE_WINDOWED: return windowed_;
    case HGE_TEXTUREFILTER: return textureFilter_;
    case HGE_USESOUND: return useSound_;
    case HGE_DONTSUSPEND: return dontSuspend_;
    case HGE_HIDEMOUSE: return hideMouse_;
  }
  return false;
}

hgeCallback HgeImpl::System_GetState(hgeFuncState state) {
  switch (state) {
    case HGE_FRAMEFUNC: return frameFunc_;
    case HGE_RENDERFUNC: return renderFunc_;
    case HGE_EXITFUNC: return exitFunc_;
  }
  return nullptr;
}

int HgeImpl::System_GetState(hgeIntState state) {
  switch (state) {
    case HGE_SCREENWIDTH: return screenWidth_;
    case HGE_SCREENHEIGHT: return screenHeight_;
    case HGE_SCREENBPP: return screenBpp_;
    case HGE_FPS: return targetFps_;
  }
  return 0;
}

const char* HgeImpl::System_GetState(hgeStringState state) {
  switch (state) {
    case HGE_TITLE: return title_.c_str();
    case HGE_INIFILE: return ini_.path().c_str();
  }
  return "";
}

void* HgeImpl::System_GetState(hgeHwndState) {
  return device_ ? device_->windowHandle() : nullptr;
}

}  // namespace engine
