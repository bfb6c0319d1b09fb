// Checks screenshots of the demo route: each argument is FILE:X1,Y1,X2,Y2:TEST, and the
// region's pixels must pass TEST: "blue" (blue dominant on average), "warm" (red above
// blue), "dark" (mean brightness below 60), "bright" (some pixel above 200 in every
// channel), "busy" (at least 40 distinct colours). Every file must also not be blank.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "engine/textures.h"

namespace {

int failures = 0;

void fail(const std::string& what) {
  std::fprintf(stderr, "FAIL: %s\n", what.c_str());
  ++failures;
}

bool load(const std::string& path, engine::Texture& shot) {
  std::vector<unsigned char> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
  std::fclose(f);
  std::string error;
  return engine::decodePng(bytes.data(), bytes.size(), shot, error) && shot.width == 800 && shot.height == 600;
}

void check(const std::string& arg) {
  std::size_t a = arg.find(':'), b = arg.rfind(':');
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (a == b || std::sscanf(arg.c_str() + a + 1, "%d,%d,%d,%d", &x1, &y1, &x2, &y2) != 4) return fail("bad check " + arg);
  const std::string path = arg.substr(0, a), test = arg.substr(b + 1);
  engine::Texture shot;
  if (!load(path, shot)) return fail(path + ": not an 800 x 600 PNG");
  std::set<DWORD> all;
  for (DWORD p : shot.pixels) {
    all.insert(p & 0xFFFFFF);
    if (all.size() > 1) break;
  }
  if (all.size() < 2) return fail(path + ": blank");
  double r = 0, g = 0, bl = 0;
  bool bright = false;
  std::set<DWORD> colours;
  for (int y = y1; y < y2; ++y) {
    for (int x = x1; x < x2; ++x) {
      DWORD p = shot.pixels[std::size_t(y) * 800 + std::size_t(x)];
      int pr = (p >> 16) & 0xFF, pg = (p >> 8) & 0xFF, pb = p & 0xFF;
      r += pr, g += pg, bl += pb;
      bright = bright || (pr > 200 && pg > 200 && pb > 200);
      colours.insert(p & 0xFFFFFF);
    }
  }
  const double n = double(x2 - x1) * double(y2 - y1);
  r /= n, g /= n, bl /= n;
  bool ok = test == "blue"     ? bl > r + 15 && bl > g
            : test == "warm"   ? r > bl + 15
            : test == "dark"   ? (r + g + bl) / 3 < 60
            : test == "bright" ? bright
            : test == "busy"   ? colours.size() >= 40
                               : false;
  if (!ok) {
    char mean[64];
    std::snprintf(mean, sizeof mean, " (mean %.0f, %.0f, %.0f; %zu colours)", r, g, bl, colours.size());
    fail(arg + mean);
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) check(argv[i]);
  if (failures == 0) std::printf("demo screens: %d checks passed\n", argc - 1);
  return failures == 0 ? 0 : 1;
}
