// Resource folders, the run-folder confinement, and the conversions between code page 936 and display text.
#include "base/resource_path.h"

#include <array>

#include "base/xLogFile.h"
#include "engine/platform.h"

namespace {

// Indexed by ResourceCategory.
constexpr std::array<const char*, 9> kPrefixes = {
    "data/graphic/", "data/music/", "data/se/",    "data/common/",   "data/UI/",
    "data/",         "data/voice/", "data/font/",  "data/particle/",
};

}  // namespace

std::wstring GetResourcePath(const std::string& name, int category) {
  if (category < 0 || category >= int(kPrefixes.size())) return StringToWString(name);
  return StringToWString(kPrefixes[category] + name);
}

std::wstring StringToWString(const std::string& text) {
  bool ok = true;
  std::wstring wide = engine::cp936ToWide(text, &ok);
  if (!ok) WriteLog("StringToWString: cannot convert \"%s\"", text.c_str());
  return wide;
}

std::string WStringToString(const std::wstring& text) {
  bool ok = true;
  std::string narrow = engine::wideToCp936(text, &ok);
  if (!ok) WriteLog("WStringToString: cannot convert %zu characters", text.size());
  return narrow;
}

std::string IntToString(int value) {
  // Unsigned magnitude so INT_MIN has one.
  unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
  char digits[12];
  int n = 0;
  do {
    digits[n++] = char('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  std::string text = value < 0 ? "-" : "";
  while (n) text += digits[--n];
  return text;
}

namespace base {

void confineGamePathsToRunFolder() {
  engine::confineGamePaths([](std::string_view name) {
    WriteLog("Refused a path outside the game folder: %.*s", int(name.size()), name.data());
  });
}

}  // namespace base
