// Resource folders, the run-folder confinement, and conversions between 8-bit (code page 936) and display text.
#pragma once

#include <string>

// The nine data folders. DO NOT RENUMBER: scripts pass these numbers.
enum ResourceCategory {
  RES_GRAPHIC = 0,
  RES_MUSIC = 1,
  RES_SE = 2,
  RES_COMMON = 3,
  RES_UI = 4,
  RES_DATA = 5,
  RES_VOICE = 6,
  RES_FONT = 7,
  RES_PARTICLE = 8,
};

// The folder prefix of [category] followed by [name], exactly (no separator
// added or removed); a category outside 0-8 gives the name alone.
std::wstring GetResourcePath(const std::string& name, int category);
// Code page 936 bytes to display text; "" (and a log line) on failure.
std::wstring StringToWString(const std::string& text);
// Display text to code page 936 bytes; "" (and a log line) on failure.
std::string WStringToString(const std::wstring& text);
// Decimal text: "-5", "0", "-2147483648".
std::string IntToString(int value);

namespace base {

// Confines every game path to the run folder (engine::confineGamePaths), each
// refused name logged as "Refused a path outside the game folder: <name>".
// The game turns this on before it reads anything; tools leave it off.
void confineGamePathsToRunFolder();

}  // namespace base
