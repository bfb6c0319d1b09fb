// System fonts: font file names found among the installed fonts, through fontconfig's list of them.
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <span>
#include <vector>

#include "engine/platform.h"

namespace engine {
namespace {

// Families standing in for the fonts of a Windows fonts folder, best first:
// a metric-compatible free face where Debian has one, then a face of the
// same kind. The Chinese ones end with the Hei faces, so a Chinese name
// always gets the glyphs when any Chinese face is installed.
constexpr const char* kSans[] = {"Liberation Sans", "Arimo", "DejaVu Sans"};
constexpr const char* kSansNarrow[] = {"Liberation Sans Narrow", "Liberation Sans", "DejaVu Sans"};
constexpr const char* kSerif[] = {"Liberation Serif", "Tinos", "DejaVu Serif"};
constexpr const char* kCourier[] = {"Liberation Mono", "Cousine", "DejaVu Sans Mono"};
constexpr const char* kMono[] = {"DejaVu Sans Mono", "Liberation Mono"};
constexpr const char* kCalibri[] = {"Carlito", "DejaVu Sans"};
constexpr const char* kCambria[] = {"Caladea", "DejaVu Serif"};
constexpr const char* kGeorgia[] = {"Gelasio", "DejaVu Serif"};
constexpr const char* kHumanist[] = {"DejaVu Sans"};
constexpr const char* kHei[] = {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Noto Sans CJK SC",
                                "Source Han Sans SC", "Droid Sans Fallback"};
constexpr const char* kKai[] = {"AR PL UKai CN", "AR PL KaitiM GB", "AR PL UKai TW",     "WenQuanYi Micro Hei",
                                "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Source Han Sans SC", "Droid Sans Fallback"};
constexpr const char* kSong[] = {"AR PL UMing CN",      "Noto Serif CJK SC", "Source Han Serif SC",
                                 "WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Noto Sans CJK SC",
                                 "Source Han Sans SC",  "Droid Sans Fallback"};

enum Style : unsigned { kRegular = 0, kBold = 1, kItalic = 2, kBoldItalic = 3 };

// A Windows font file's name without its extension, in lower case.
struct Alias {
  const char* stem;
  std::span<const char* const> families;
  unsigned style;
};
constexpr Alias kAliases[] = {
    {"arial", kSans, kRegular},          {"arialbd", kSans, kBold},           {"ariali", kSans, kItalic},
    {"arialbi", kSans, kBoldItalic},     {"ariblk", kSans, kBold},            {"arialn", kSansNarrow, kRegular},
    {"arialnb", kSansNarrow, kBold},     {"arialni", kSansNarrow, kItalic},   {"arialnbi", kSansNarrow, kBoldItalic},
    {"times", kSerif, kRegular},         {"timesbd", kSerif, kBold},          {"timesi", kSerif, kItalic},
    {"timesbi", kSerif, kBoldItalic},    {"cour", kCourier, kRegular},        {"courbd", kCourier, kBold},
    {"couri", kCourier, kItalic},        {"courbi", kCourier, kBoldItalic},   {"lucon", kMono, kRegular},
    {"consola", kMono, kRegular},        {"consolab", kMono, kBold},          {"consolai", kMono, kItalic},
    {"consolaz", kMono, kBoldItalic},    {"calibri", kCalibri, kRegular},     {"calibrib", kCalibri, kBold},
    {"calibrii", kCalibri, kItalic},     {"calibriz", kCalibri, kBoldItalic}, {"cambria", kCambria, kRegular},
    {"cambriab", kCambria, kBold},       {"cambriai", kCambria, kItalic},     {"cambriaz", kCambria, kBoldItalic},
    {"georgia", kGeorgia, kRegular},     {"georgiab", kGeorgia, kBold},       {"georgiai", kGeorgia, kItalic},
    {"georgiaz", kGeorgia, kBoldItalic}, {"verdana", kHumanist, kRegular},    {"verdanab", kHumanist, kBold},
    {"verdanai", kHumanist, kItalic},    {"verdanaz", kHumanist, kBoldItalic}, {"tahoma", kHumanist, kRegular},
    {"tahomabd", kHumanist, kBold},      {"segoeui", kHumanist, kRegular},    {"segoeuib", kHumanist, kBold},
    {"trebuc", kHumanist, kRegular},     {"trebucbd", kHumanist, kBold},      {"simhei", kHei, kRegular},
    {"msyh", kHei, kRegular},            {"msyhbd", kHei, kBold},             {"msjh", kHei, kRegular},
    {"msjhbd", kHei, kBold},             {"deng", kHei, kRegular},            {"dengb", kHei, kBold},
    {"simli", kHei, kRegular},           {"simyou", kHei, kRegular},          {"stxihei", kHei, kRegular},
    {"stheiti", kHei, kRegular},         {"simkai", kKai, kRegular},          {"stkaiti", kKai, kRegular},
    {"kaiu", kKai, kRegular},            {"simsun", kSong, kRegular},         {"simsunb", kSong, kRegular},
    {"nsimsun", kSong, kRegular},        {"mingliu", kSong, kRegular},        {"mingliub", kSong, kRegular},
    {"simfang", kSong, kRegular},        {"stfangso", kSong, kRegular},       {"stsong", kSong, kRegular},
    {"stzhongs", kSong, kRegular},
};

// Names as compared: ASCII in lower case, without spaces, hyphens and
// underscores ("DejaVu Sans" and "DejaVuSans" fold alike).
std::string fold(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
  }
  return out;
}

// One installed face as fontconfig lists it.
struct Installed {
  std::string file;      // UTF-8 path
  std::string baseName;  // the file's own name, folded
  std::vector<std::string> families;  // folded
  std::vector<std::string> styles;    // folded
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  int width = FC_WIDTH_NORMAL;
};

// Every value of [object], folded.
std::vector<std::string> foldedStrings(FcPattern* pattern, const char* object) {
  std::vector<std::string> out;
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(pattern, object, i, &value) == FcResultMatch; ++i)
    out.push_back(fold(reinterpret_cast<const char*>(value)));
  return out;
}

int integer(FcPattern* pattern, const char* object, int fallback) {
  int value = fallback;
  return FcPatternGetInteger(pattern, object, 0, &value) == FcResultMatch ? value : fallback;
}

// Every scalable face that is the first of its file: the TrueType font
// opens face 0 of the file it is given.
std::vector<Installed> listInstalled(FcConfig* config) {
  std::vector<Installed> out;
  FcPattern* query = FcPatternCreate();
  FcPatternAddBool(query, FC_SCALABLE, FcTrue);
  FcPatternAddInteger(query, FC_INDEX, 0);
  FcObjectSet* objects =
      FcObjectSetBuild(FC_FILE, FC_FAMILY, FC_STYLE, FC_WEIGHT, FC_SLANT, FC_WIDTH, static_cast<char*>(nullptr));
  FcFontSet* set = FcFontList(config, query, objects);
  for (int i = 0; set != nullptr && i < set->nfont; ++i) {
    FcPattern* font = set->fonts[i];
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
    Installed face;
    face.file = reinterpret_cast<const char*>(file);
    face.baseName = fold(face.file.substr(face.file.rfind('/') + 1));
    face.families = foldedStrings(font, FC_FAMILY);
    face.styles = foldedStrings(font, FC_STYLE);
    face.weight = integer(font, FC_WEIGHT, FC_WEIGHT_REGULAR);
    face.slant = integer(font, FC_SLANT, FC_SLANT_ROMAN);
    face.width = integer(font, FC_WIDTH, FC_WIDTH_NORMAL);
    out.push_back(std::move(face));
  }
  if (set != nullptr) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(query);
  return out;
}

// How far [face] is from [style] at normal width; 0 is exact.
int distance(const Installed& face, unsigned style) {
  int weight = (style & kBold) != 0 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
  int slant = (style & kItalic) != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN;
  bool slanted = face.slant != FC_SLANT_ROMAN;
  return std::abs(face.weight - weight) + std::abs(face.width - FC_WIDTH_NORMAL) +
         (slanted != (slant != FC_SLANT_ROMAN) ? 1000 : 0);
}

// The face of [family] (folded) nearest to [style], or null.
const Installed* nearest(const std::vector<Installed>& faces, const std::string& family, unsigned style) {
  const Installed* best = nullptr;
  for (const Installed& face : faces)
    for (const std::string& name : face.families)
      if (name == family && (best == nullptr || distance(face, style) < distance(*best, style))) best = &face;
  return best;
}

const Alias* aliasOf(const std::string& stem) {
  for (const Alias& alias : kAliases)
    if (stem == alias.stem) return &alias;
  return nullptr;
}

// [fileName] (UTF-8) among [faces]: a Windows font through the alias
// table; any other name as the installed file of that name, else as the
// face whose family (and style) the name spells ("DejaVuSans-Bold.ttf").
const Installed* lookUp(const std::vector<Installed>& faces, std::string_view fileName) {
  std::string name = fold(fileName);
  std::string stem = name.substr(0, name.rfind('.'));
  if (const Alias* alias = aliasOf(stem)) {
    for (const char* family : alias->families)
      if (const Installed* face = nearest(faces, fold(family), alias->style)) return face;
    return nullptr;
  }
  for (const Installed& face : faces)
    if (face.baseName == name) return &face;
  for (const Installed& face : faces)
    for (const std::string& family : face.families)
      for (const std::string& style : face.styles)
        if (stem == family + style) return &face;
  return nearest(faces, stem, kRegular);
}

// fontconfig's list, loaded on first use (it is slow) and freed at exit (the
// library's implicit default configuration never is).
struct FontState {
  ~FontState() {
    if (config != nullptr) FcConfigDestroy(config);
  }
  std::mutex mutex;
  bool listed = false;
  FcConfig* config = nullptr;
  std::vector<Installed> faces;
  std::map<std::string, std::string, std::less<>> byName;  // answers so far, "" included
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
  auto cached = s.byName.find(fileName);
  if (cached != s.byName.end()) return cached->second;
  if (!s.listed) {
    s.listed = true;
    s.config = FcInitLoadConfigAndFonts();
    if (s.config != nullptr) s.faces = listInstalled(s.config);
  }
  bool ok = true;
  std::string utf8 = cp936ToUtf8(fileName, &ok);
  const Installed* face = ok ? lookUp(s.faces, utf8) : nullptr;
  std::string file = face != nullptr ? face->file : std::string();
  if (!file.empty() && ::access(file.c_str(), R_OK) != 0) file.clear();
  return s.byName.emplace(std::string(fileName), file).first->second;
}

void setSystemFontOverride(std::function<std::string(std::string_view)> lookup) {
  FontState& s = state();
  std::lock_guard lock(s.mutex);
  s.override = std::move(lookup);
}

}  // namespace engine
