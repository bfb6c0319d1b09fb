// System fonts: Windows font file names mapped to installed fonts through fontconfig.
#include <fontconfig/fontconfig.h>
#include <map>
#include <mutex>
#include <unistd.h>

#include "engine/platform.h"

namespace engine {
namespace {

// fontconfig patterns standing in for the Windows fonts. The CJK ones also
// ask for Chinese coverage, so a machine without the named family still gets
// a font that has the glyphs.
constexpr const char* kKaiFont = "AR PL UKai CN:lang=zh-cn:scalable=true";
constexpr const char* kCjkSansFont = "WenQuanYi Micro Hei:lang=zh-cn:scalable=true";
constexpr const char* kMonoBoldFont = "DejaVu Sans Mono:bold:scalable=true";
constexpr const char* kSansBoldFont = "DejaVu Sans:bold:scalable=true";

// File-name prefixes (lower case) of the Windows fonts, first match wins.
// Names with non-ASCII bytes are Chinese font names and take the CJK sans.
struct Alias {
  const char* prefix;
  const char* pattern;
};
constexpr Alias kAliases[] = {
    {"simkai", kKaiFont},      {"stkaiti", kKaiFont},      {"kaiu", kKaiFont},
    {"simhei", kCjkSansFont},  {"simsun", kCjkSansFont},   {"nsimsun", kCjkSansFont},
    {"simfang", kCjkSansFont}, {"simli", kCjkSansFont},    {"simyou", kCjkSansFont},
    {"msyh", kCjkSansFont},    {"msjh", kCjkSansFont},     {"mingliu", kCjkSansFont},
    {"pmingliu", kCjkSansFont}, {"stxihei", kCjkSansFont}, {"stheiti", kCjkSansFont},
    {"stsong", kCjkSansFont},  {"stfangso", kCjkSansFont}, {"stzhongs", kCjkSansFont},
    {"fz", kCjkSansFont},      {"df", kCjkSansFont},       {"hy", kCjkSansFont},
    {"consola", kMonoBoldFont},
};

const char* patternFor(std::string_view fileName) {
  std::string lower(fileName);
  for (char& c : lower) {
    if (static_cast<unsigned char>(c) >= 0x80) return kCjkSansFont;
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  for (const Alias& alias : kAliases)
    if (lower.starts_with(alias.prefix)) return alias.pattern;
  return kSansBoldFont;
}

// The file of fontconfig's best match for [pattern], or "".
std::string matchFile(FcConfig* config, const char* pattern) {
  FcPattern* query = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
  if (query == nullptr) return {};
  FcConfigSubstitute(config, query, FcMatchPattern);
  FcDefaultSubstitute(query);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, query, &result);
  std::string file;
  FcChar8* path = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    file = reinterpret_cast<const char*>(path);
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(query);
  if (!file.empty() && ::access(file.c_str(), R_OK) != 0) file.clear();
  return file;
}

// A private fontconfig configuration, loaded on first use and freed at exit
// (the library's implicit default one is never freed).
struct FontState {
  ~FontState() {
    if (config != nullptr) FcConfigDestroy(config);
  }
  std::mutex mutex;
  FcConfig* config = nullptr;
  std::map<std::string, std::string> byPattern;  // fontconfig answers; matching is slow
  std::function<std::string(std::string_view)> override;
};

FontState& state() {
  static FontState instance;
  return instance;
}

}  // namespace

std::string findSystemFont(std::string_view fileName) {
  FontState& s = state();
  std::unique_lock lock(s.mutex);
  if (s.override) {
    auto lookup = s.override;  // called unlocked: it may ask for the real answer
    lock.unlock();
    return lookup(fileName);
  }
  const char* pattern = patternFor(fileName);
  auto cached = s.byPattern.find(pattern);
  if (cached != s.byPattern.end()) return cached->second;
  if (s.config == nullptr) s.config = FcInitLoadConfigAndFonts();
  std::string file = s.config != nullptr ? matchFile(s.config, pattern) : std::string();
  if (file.empty()) logError("FcFontMatch", std::string("no font for ") + std::string(fileName));
  return s.byPattern[pattern] = file;
}

void setSystemFontOverride(std::function<std::string(std::string_view)> lookup) {
  FontState& s = state();
  std::lock_guard lock(s.mutex);
  s.override = std::move(lookup);
}

}  // namespace engine
