// The font registry.
#include "gfx/xFontManager.h"

#include "base/resource_path.h"
#include "base/xLogFile.h"
#include "engine/platform.h"
#include "gfx/hgeTTFont.h"

namespace {

std::unique_ptr<xFontManager>& instance() {
  static std::unique_ptr<xFontManager> manager;
  return manager;
}

// The Windows fonts folder the names were once joined to ("C:\Windows\fonts\").
constexpr std::size_t kSystemFolderLength = 17;

hgeTTFont* fontAt(const std::string& path, int pixelSize) {
  TTFontManager* manager = TTFontManager::getInstance();
  if (manager == nullptr) {
    WriteLog("xFontManager: no TrueType font manager for %s", path.c_str());
    return nullptr;
  }
  return manager->getFont(path.c_str(), pixelSize);
}

}  // namespace

xFontManager* xFontManager::getInstance() {
  if (!instance()) instance().reset(new xFontManager());
  return instance().get();
}

void xFontManager::resetForTests() { instance().reset(); }

int xFontManager::createFont(const std::wstring& faceName, int pixelSize, DWORD colour, gfx::FontStyle style) {
  auto font = std::make_unique<GfxFont>(faceName, pixelSize, style);
  font->SetColor(colour, -1);
  int index = static_cast<int>(fontNames.size());
  fonts[index] = std::move(font);
  fontNames.push_back({faceName, index});
  return index;
}

int xFontManager::findFont(const std::wstring& faceName) const {
  for (const FontName& entry : fontNames)
    if (entry.name == faceName) return entry.index;
  return -1;
}

GfxFont* xFontManager::getFont(int index) const {
  auto found = fonts.find(index);
  return found != fonts.end() ? found->second.get() : nullptr;
}

hgeTTFont* xFontManager::getTTFont(const std::string& fileName, int pixelSize) {
  std::string path = WStringToString(GetResourcePath(fileName, RES_FONT));
  // A name that leaves the game folder gets no system font in its place either.
  if (!engine::checkGamePath(path)) return nullptr;
  if (!path.empty() && path.size() < kMaxFontPath) {
    if (hgeTTFont* font = fontAt(path, pixelSize)) return font;
    // The game's own file stands for itself: a broken one is not replaced
    // by a system font of the same name. (A size below 1 was logged.)
    if (!engine::resolveRegularFile(path).empty()) {
      if (pixelSize >= 1) reportOnce("xFontManager::getTTFont: cannot load font file %s", path);
      return nullptr;
    }
  }
  hgeTTFont* font = getSystemTTFont(fileName, pixelSize);
  if (font == nullptr && TTFontManager::getInstance() != nullptr)
    reportOnce("xFontManager::getTTFont: cannot find font %s", fileName);
  return font;
}

void xFontManager::reportOnce(const char* format, const std::string& name) {
  if (reported_.insert(name).second) WriteLog(format, name.c_str());
}

hgeTTFont* xFontManager::getSystemTTFont(const std::string& fileName, int pixelSize) {
  if (fileName.empty() || kSystemFolderLength + fileName.size() >= kMaxFontPath) return nullptr;
  std::string file = engine::findSystemFont(fileName);
  if (file.empty()) return nullptr;
  engine::allowOutsideFile(file);
  // The lookup answers in UTF-8; font paths are game paths, like every other.
  bool ok = true;
  std::string path = engine::utf8ToCp936(file, &ok);
  if (!ok) return nullptr;
  return fontAt(path, pixelSize);
}
