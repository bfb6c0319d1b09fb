// The font registry: the font folder before the system fonts, the alias table, long names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>

#include "gfx/glyph_budget.h"
#include "gfx/xFloatingText.h"
#include "gfx/xFontManager.h"
#include "gfx/xTextBox.h"
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
  ChildResult child = runChild([&] {
    xFontManager* fonts = xFontManager::getInstance();
    auto frame = [&] {
      int index = fonts->createFont(L"DFGirl.ttf", 16, 0xFFFFFFFF, {.bold = true});
      hge_->Gfx_BeginScene();
      fonts->getFont(index)->Render(0, 0, L"Stage 1 \x4E2D\x6587");
      hge_->Gfx_EndScene();
    };
    frame();  // the first one opens the face
    long before = residentBytes();
    for (long i = 1; i <= kFonts; ++i) {
      frame();
      long grown = residentBytes() - before;
      if (grown > kLimit) {
        std::fprintf(stderr, "%ld fonts took %ld bytes\n", i, grown);
        return 1;
      }
    }
    std::fprintf(stderr, "%ld fonts took %ld KiB\n", kFonts, (residentBytes() - before) >> 10);
    return 0;
  });
  EXPECT_TRUE(ranCleanly(child));
}

#if defined(__SANITIZE_ADDRESS__)
// Freed blocks wait in the sanitizer's quarantine (256 MiB) before reuse, and
// its shadow and allocator keep more (340 MiB was seen): sizes kept for ever
// grow by gigabytes in the same frames.
constexpr long kFreedButResident = 512L << 20;
#else
constexpr long kFreedButResident = 0;
#endif

// Runs [frame] (0, 1, ...) [frames] times in a child; fails, saying why, as
// soon as resident memory has grown by more than [limit].
void expectGrowthBelow(HGE* hge, const char* what, int frames, long limit, const std::function<void(int)>& frame) {
  ChildResult child = runChild([&] {
    long before = residentBytes();
    for (int i = 0; i < frames; ++i) {
      hge->Gfx_BeginScene();
      frame(i);
      hge->Gfx_EndScene();
      if (residentBytes() - before > limit) {
        std::fprintf(stderr, "%s: %ld MiB after %d frames\n", what, (residentBytes() - before) >> 20, i);
        return 1;
      }
    }
    std::fprintf(stderr, "%s: %ld KiB\n", what, (residentBytes() - before) >> 10);
    return 0;
  });
  EXPECT_TRUE(ranCleanly(child));
}

class FontSizeTest : public xFontManagerTest {
 protected:
  void SetUp() override {
    xFontManagerTest::SetUp();
    xTextBoxManager::resetForTests();
    xFloatingTextManager::resetForTests();
    gfx::GlyphBudget::instance().setLimitForTests(kBudget);
  }
  void TearDown() override {
    gfx::GlyphBudget::instance().setLimitForTests(gfx::GlyphBudget::kDefaultBytes);
    xTextBoxManager::resetForTests();
    xFloatingTextManager::resetForTests();
    xFontManagerTest::TearDown();
  }
  static constexpr std::size_t kBudget = std::size_t(8) << 20;
  static constexpr long kLimit = (40L << 20) + kFreedButResident;
  static constexpr int kFrames = 300;
};

// A zoom, a box made again a pixel larger, a script font a pixel larger:
// fonts are kept for the run, but only the sizes drawn lately keep glyphs.
TEST_F(FontSizeTest, SizesChangingEveryFrameCostOnlyTheSizesDrawnLately) {
  expectGrowthBelow(hge_, "floating text", kFrames, kLimit, [](int i) {
    xFloatingTextManager* texts = xFloatingTextManager::getInstance();
    texts->addText("Bonus 12345", "DejaVuSans.ttf", 40 + i, 0xFFFFFFFF, 400, 300, 400, 300, 1, 0, 0);
    texts->update();
    texts->render();
  });
  expectGrowthBelow(hge_, "text box", kFrames, kLimit, [](int i) {
    static int box = -1;
    xTextBoxManager* boxes = xTextBoxManager::getInstance();
    boxes->deleteTextBox(box);
    box = boxes->createTextBox("DejaVuSans.ttf", {0, 0, 800, 600}, 40 + i);
    boxes->getTextBox(box)->setText(L"Stage 1");
    boxes->render();
  });
  expectGrowthBelow(hge_, "script font", kFrames, kLimit, [](int i) {
    xFontManager* fonts = xFontManager::getInstance();
    fonts->getFont(fonts->createFont(L"DejaVu Sans", 40 + i, 0xFFFFFFFF, {}))->Render(0, 0, L"Stage 1 \x4E2D\x6587");
  });
}

// The budget empties the caches drawn least recently, never the one it is
// filling, and a font whose glyphs went draws them again.
TEST_F(FontSizeTest, TheGlyphsOfSizesNotDrawnLatelyAreRebuiltWhenDrawnAgain) {
  gfx::GlyphBudget& budget = gfx::GlyphBudget::instance();
  budget.setLimitForTests(1 << 20);
  hgeTTFont* first = dejaVu(200);
  std::size_t drawn = capture([&] { first->Render(0, 0, 0, L"Stage"); }).size();
  ASSERT_EQ(drawn, 5u);
  std::size_t firstBytes = first->glyphBytes();
  EXPECT_GT(firstBytes, 300u << 10);
  for (int size = 201; size < 210; ++size) capture([&] { dejaVu(size)->Render(0, 0, 0, L"Stage"); });
  EXPECT_EQ(first->glyphBytes(), 0u);
  EXPECT_LE(budget.used(), std::size_t(1 << 20) + firstBytes);
  EXPECT_EQ(capture([&] { first->Render(0, 0, 0, L"Stage"); }).size(), drawn);
  EXPECT_EQ(first->glyphBytes(), firstBytes);
}

// One 4,096-pixel text of either font costs tens of MiB, not hundreds (562
// and 154 MiB before).
// Past the side limit glyphs are not drawn, and that is said once per file.
TEST_F(FontSizeTest, HugeTextCostsItsGlyphsAndGlyphsPastTheLimitAreLoggedOnce) {
  gfx::GlyphBudget::instance().setLimitForTests(gfx::GlyphBudget::kDefaultBytes);
  expectGrowthBelow(hge_, "4096-pixel text", 2, (64L << 20) + kFreedButResident,
                    [this](int) { dejaVu(4096)->Render(0, 0, 0, L"Stage Clear"); });
  expectGrowthBelow(hge_, "4096-pixel bitmap font text", 2, (64L << 20) + kFreedButResident, [](int) {
    xFontManager* fonts = xFontManager::getInstance();
    fonts->getFont(fonts->createFont(L"DejaVu Sans", 4096, 0xFFFFFFFF, {}))->Render(0, 0, L"Stage Clear");
  });
  EXPECT_EQ(dir_.read("log.txt").find("pass"), std::string::npos);
  EXPECT_TRUE(capture([&] { dejaVu(5000)->Render(0, 0, 0, L"AB"); }).empty());
  capture([&] { dejaVu(6000)->Render(0, 0, 0, L"AB"); });
  std::string log = dir_.read("log.txt");
  const std::string said = "data/font/DejaVuSans.ttf at 5000 pixels pass 4096 pixels";
  std::size_t line = log.find(said);
  ASSERT_NE(line, std::string::npos) << log;
  EXPECT_EQ(log.find("pass 4096", line + said.size()), std::string::npos) << log;
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
