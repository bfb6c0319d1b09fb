// The font registry: numbers the bitmap fonts scripts create, and finds TrueType files in the game's font folder or the system's.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "gfx/GfxFont.h"
#include "gfx/font_types.h"

class hgeTTFont;

// Made on first use and kept for the run; fonts live as long as it does.
class xFontManager {
 public:
  // Longest font path accepted, terminator included. A longer one is
  // refused (null font), never cut into the name of another file.
  static constexpr std::size_t kMaxFontPath = 260;

  static xFontManager* getInstance();
  // Tests: drops the instance and its fonts.
  static void resetForTests();

  // A new bitmap font coloured [colour] on all four corners; returns its
  // index, which counts up from 0. Several fonts may share a name.
  int createFont(const std::wstring& faceName, int pixelSize, DWORD colour, gfx::FontStyle style);
  // The first font created under exactly [faceName], or -1.
  int findFont(const std::wstring& faceName) const;
  // Null for an index that names no font.
  GfxFont* getFont(int index) const;

  // "data/font/" + [fileName] (code page 936, any case); when that file is
  // not there, the installed font of that name (a Windows font through the
  // system lookup's alias table). Null when neither has it or the folder's
  // file is no usable font, logged once per name.
  hgeTTFont* getTTFont(const std::string& fileName, int pixelSize);
  hgeTTFont* getSystemTTFont(const std::string& fileName, int pixelSize);

  std::map<int, std::unique_ptr<GfxFont>> fonts;
  struct FontName {
    std::wstring name;
    int index;
  };
  std::vector<FontName> fontNames;  // in creation order

 private:
  xFontManager() = default;
  // Logs [format] with [name] the first time [name] fails: a stage may ask
  // for a missing font with every floating text.
  void reportOnce(const char* format, const std::string& name);

  std::set<std::string> reported_;
};
