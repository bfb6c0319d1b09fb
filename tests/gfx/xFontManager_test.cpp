// The font registry: the font folder before the system fonts, the alias table, long names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "gfx/xFontManager.h"
#include "tests/engine/child_fixture.h"
#include "tests/gfx/font_fixture.h"

namespace {

constexpr const char* kMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

using xFontManagerTest = gfx::test::FontTest;

// Tells DejaVu Sans (a narrow "i") from DejaVu Sans Mono.
int advanceOfI(hgeTTFont* font) { return font != nullptr ? font->getCharAdvance(L'i') : -1; }

TEST_F(xFontManagerTest, TheFontFolderComesBeforeTheSystemFonts) {
  installFont("data/font/Girl.ttf");
  std::vector<std::string> asked;
  engine::setSystemFontOverride([&](std::string_view name) {
    asked.emplace_back(name);
    return name == "none.ttf" ? std::string() : std::string(kMono);
  });
  xFontManager* fonts = xFontManager::getInstance();
  int sans = advanceOfI(dejaVu(20));
  int mono = advanceOfI(fonts_->getFont(kMono, 20));
  ASSERT_NE(sans, mono);
  EXPECT_EQ(advanceOfI(fonts->getTTFont("GIRL.ttf", 20)), sans);  // any case
  EXPECT_EQ(advanceOfI(fonts->getTTFont("Consolab.ttf", 20)), mono);
  EXPECT_EQ(fonts->getTTFont("none.ttf", 20), nullptr);
  EXPECT_EQ(asked, (std::vector<std::string>{"Consolab.ttf", "none.ttf"}));

  fonts_.reset();  // no TrueType manager, no font
  EXPECT_EQ(fonts->getTTFont("Girl.ttf", 20), nullptr);
}

TEST_F(xFontManagerTest, WindowsNamesFindInstalledFontsThroughTheAliasTable) {
  hgeTTFont* kai = xFontManager::getInstance()->getTTFont("simkai.ttf", 24);
  ASSERT_NE(kai, nullptr);
  EXPECT_GT(kai->getGlyph(0x4E2D), 0u);  // a Chinese face
  EXPECT_NE(xFontManager::getInstance()->getTTFont("Consolab.ttf", 18), nullptr);
}

// A misspelt name finds no stand-in, and the game's own file stands for
// itself: a broken one is not replaced by the system font of that name.
TEST_F(xFontManagerTest, FontsFoundNowhereOrBrokenAreNullWithOneLogLine) {
  std::ofstream("data/font/simkai.ttf") << "not a font";
  engine::clearPathCache();
  xFontManager* fonts = xFontManager::getInstance();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(fonts->getTTFont("simkai.ttf", 20), nullptr);
    EXPECT_EQ(fonts->getTTFont("DejaVuSnas.ttf", 20), nullptr);
  }
  std::string log = dir_.read("log.txt");
  for (const char* name : {"simkai.ttf", "DejaVuSnas.ttf"}) {
    std::size_t first = log.find(name);
    EXPECT_NE(first, std::string::npos) << name;
    EXPECT_EQ(log.find(name, first + 1), std::string::npos) << log;
  }
  EXPECT_NE(fonts->getTTFont("Simhei.ttf", 20), nullptr);  // the alias table still answers
}

// A stage may create its font every frame, and the registry keeps them all:
// each one must cost next to nothing. Run apart, so the fonts go with it.
TEST_F(xFontManagerTest, AFontMadeEveryFrameCostsLittle) {
  constexpr long kFonts = 600;
  constexpr long kLimit = 60L << 20;
  auto resident = [] {
    long pages = 0, residentPages = 0;
    std::ifstream("/proc/self/statm") >> pages >> residentPages;
    return residentPages * ::sysconf(_SC_PAGESIZE);
  };
  ChildResult child = runChild([&] {
    xFontManager* fonts = xFontManager::getInstance();
    auto frame = [&] {
      int index = fonts->createFont(L"DFGirl.ttf", 16, 0xFFFFFFFF, {.bold = true});
      hge_->Gfx_BeginScene();
      fonts->getFont(index)->Render(0, 0, L"Stage 1 \x4E2D\x6587");
      hge_->Gfx_EndScene();
    };
    frame();  // the first one opens the face
    long before = resident();
    for (long i = 1; i <= kFonts; ++i) {
      frame();
      long grown = resident() - before;
      if (grown > kLimit) {
        std::fprintf(stderr, "%ld fonts took %ld bytes\n", i, grown);
        return 1;
      }
    }
    std::fprintf(stderr, "%ld fonts took %ld KiB\n", kFonts, (resident() - before) >> 10);
    return 0;
  });
  EXPECT_TRUE(child.exited && child.status == 0) << child.err;
}

// A name one byte too long must not be cut back into the name that fits.
TEST_F(xFontManagerTest, OverlongPathsAreRefusedNotTruncated) {
  std::string fits(xFontManager::kMaxFontPath - 1 - std::string("data/font/").size(), 'f');
  installFont("data/font/" + fits);
  engine::setSystemFontOverride([](std::string_view) { return std::string(kMono); });
  xFontManager* fonts = xFontManager::getInstance();
  EXPECT_NE(fonts->getTTFont(fits, 16), nullptr);
  EXPECT_EQ(fonts->getTTFont(fits + "x", 16), nullptr);
  EXPECT_EQ(fonts->getSystemTTFont(std::string(300, 'a'), 16), nullptr);
}

}  // namespace
