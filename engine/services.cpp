// Small operating-system services: message boxes, local time, clocks and diagnostics.
#include <chrono>
#include <cstdio>
#include <thread>

#include "engine/options.h"
#include "engine/platform.h"
#include "engine/sdl/message_box.h"

namespace engine {
namespace {

std::function<void(const std::string&)>& gameLogHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

std::function<std::uint64_t()>& replacementClock() {
  static std::function<std::uint64_t()> clock;
  return clock;
}

}  // namespace

void messageBox(const std::string& text, const std::string& caption, unsigned style) {
  recordedMessageBoxes().push_back(caption + ": " + text);
  if (options().backend == Backend::Window) {
    std::string error;
    // When the box cannot show (no display) the text below stands in for
    // it; why the box failed would only repeat the text's own reason.
    if (sdl::showMessageBox(text, caption, style, error)) return;
  }
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
}

std::vector<std::string>& recordedMessageBoxes() {
  static std::vector<std::string> boxes;
  return boxes;
}

std::tm localTime() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  return parts;
}

std::uint64_t monotonicMillis() {
  if (replacementClock()) return replacementClock()();
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return std::uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void setMonotonicClock(std::function<std::uint64_t()> clock) { replacementClock() = std::move(clock); }

void sleepMillis(std::uint64_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void logError(const char* call, const std::string& detail) {
  std::fprintf(stderr, "%s() failed: %s\n", call, detail.c_str());
}

void setGameLogHook(std::function<void(const std::string& line)> hook) { gameLogHook() = std::move(hook); }

void writeGameLog(const std::string& line) {
  if (gameLogHook()) gameLogHook()(line);
}

}  // namespace engine
