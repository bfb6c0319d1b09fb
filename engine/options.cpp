// Command-line and environment options of the engine layer.
#include "engine/options.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace engine {
namespace {

// DO NOT RENAME: these names are typed by users in VELMORA_BACKEND.
struct BackendName {
  std::string_view name;
  Backend backend;
};
constexpr BackendName kBackends[] = {{"window", Backend::Window}, {"headless", Backend::Headless}};

std::string validBackendNames() {
  std::string names;
  for (const BackendName& b : kBackends) names += (names.empty() ? "" : ", ") + std::string(b.name);
  return names;
}

// The whole of [text] as a number in [lo, hi].
template <typename Number>
bool parseNumber(std::string_view text, Number lo, Number hi, Number& out) {
  Number value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi) return false;
  out = value;
  return true;
}

bool parseScreenshot(std::string_view text, Options& options) {
  std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon + 1 == text.size()) return false;
  long frame = 0;
  if (!parseNumber<long>(text.substr(0, colon), 0, LONG_MAX, frame)) return false;
  options.screenshotFrame = frame;
  options.screenshotFile = std::string(text.substr(colon + 1));
  options.screenshots.emplace_back(frame, options.screenshotFile);
  return true;
}

// Applies the option [name] with its [value]; false if the value is malformed.
bool applyValue(std::string_view name, std::string_view value, Options& options) {
  if (name == "--frames") return parseNumber<long>(value, 0, LONG_MAX, options.frames);
  if (name == "--input") {
    options.inputFile = std::string(value);
    return !value.empty();
  }
  if (name == "--seed") {
    std::uint32_t seed = 0;
    if (!parseNumber<std::uint32_t>(value, 0, UINT32_MAX, seed)) return false;
    options.seed = seed;
    return true;
  }
  return parseScreenshot(value, options);
}

bool takesValue(std::string_view arg) {
  return arg == "--frames" || arg == "--input" || arg == "--seed" || arg == "--screenshot";
}

bool isFlag(std::string_view arg) { return arg == "--help" || arg == "--headless" || arg == "--unpaced"; }

constexpr const char* kHelp =
    "Options:\n"
    "  --headless                   no window, no GL, no audio device; the clock advances exactly\n"
    "                               1/60 s per frame\n"
    "  --frames N                   end the loop after N frames (both backends)\n"
    "  --unpaced                    window backend: frames run back to back, no sleeping, and the\n"
    "                               clock advances exactly 1/60 s per frame as headless; no sound\n"
    "  --input FILE                 scripted input, lines FRAME down KEY, FRAME up KEY,\n"
    "                               FRAME pad N CONNECTED BUTTONS (both backends)\n"
    "  --seed N                     seed the random generator (the window backend otherwise seeds\n"
    "                               from the clock)\n"
    "  --screenshot FRAME:FILE.png  window backend: write that frame (counted from 0) as a PNG;\n"
    "                               may be given several times\n"
    "  --help                       print this and end\n"
    "VELMORA_BACKEND (window or headless) chooses the backend when --headless is not given.\n";

bool backendFromEnvironment(Options& options, std::string& error) {
  const char* env = std::getenv("VELMORA_BACKEND");
  if (env == nullptr || *env == '\0') return true;
  for (const BackendName& b : kBackends) {
    if (b.name == env) {
      options.backend = b.backend;
      return true;
    }
  }
  error = std::string("unknown backend \"") + env + "\" in VELMORA_BACKEND (valid: " + validBackendNames() + ")";
  return false;
}

}  // namespace

Options& options() {
  // Code that never parses a command line (tests) still honours the variable.
  static Options instance = [] {
    Options initial;
    std::string ignored;
    backendFromEnvironment(initial, ignored);
    return initial;
  }();
  return instance;
}

bool parseCommandLine(int argc, char** argv, std::string& error) {
  Options parsed;
  bool headless = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help") {
      parsed.help = true;
    } else if (arg == "--headless") {
      headless = true;
    } else if (arg == "--unpaced") {
      parsed.unpaced = true;
    } else if (takesValue(arg)) {
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      std::string_view value = argv[++i];
      if (!applyValue(arg, value, parsed)) {
        error = "bad value \"" + std::string(value) + "\" for " + std::string(arg);
        return false;
      }
    }
  }
  if (headless) parsed.backend = Backend::Headless;
  else if (!backendFromEnvironment(parsed, error)) return false;
  options() = parsed;
  return true;
}

std::string firstUnknownOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (takesValue(arg)) {
      ++i;
    } else if (arg.substr(0, 2) == "--" && !isFlag(arg)) {
      return std::string(arg);
    }
  }
  return "";
}

void endAfterLastScreenshot() {
  Options& o = options();
  if (o.frames >= 0) return;
  for (const auto& shot : o.screenshots) o.frames = std::max(o.frames, shot.first + 1);
}

const char* helpText() { return kHelp; }

}  // namespace engine
