// Command-line options of the engine layer, read when the engine object is first created.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace engine {

enum class Backend { Window, Headless };

struct Options {
  Backend backend = Backend::Window;
  long frames = -1;             // end the loop after this many frames; -1 = never
  bool unpaced = false;         // window backend: no sleeping, 1/60 s a frame, no sound
  std::string inputFile;        // scripted input (both backends)
  std::optional<std::uint32_t> seed;
  long screenshotFrame = -1;    // window backend: read back this frame...
  std::string screenshotFile;   // ...and write it here as PNG
  // Every --screenshot given, in order (the two fields above hold the last one).
  std::vector<std::pair<long, std::string>> screenshots;
  bool help = false;            // --help: print helpText() instead of running
};

// The process-wide options. Tests may change them before hgeCreate.
Options& options();

// Reads --help, --headless, --unpaced, --frames N, --input FILE, --seed N,
// --screenshot FRAME:FILE.png.
// Without --headless the backend comes from VELMORA_BACKEND ("window" or
// "headless"), else the window. Unknown options are left for the game.
// Returns false with [error] set for a malformed option or backend name.
[[nodiscard]] bool parseCommandLine(int argc, char** argv, std::string& error);

// The first argument starting with "--" that is not an engine option (the
// values of those are skipped); empty when there is none. For programs that
// take no options of their own.
std::string firstUnknownOption(int argc, char** argv);

// For viewers: without --frames, the loop ends after the last --screenshot's
// frame. Call before hgeCreate.
void endAfterLastScreenshot();

// The engine options and the backend variable, one per line, for --help.
const char* helpText();

}  // namespace engine
