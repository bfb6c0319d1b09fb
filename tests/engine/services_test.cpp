// Message boxes, clocks and system fonts.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/options.h"
#include "engine/platform.h"

namespace {

TEST(MessageBox, HeadlessBoxesAreRecordedAndNeverBlock) {
  engine::Options saved = engine::options();
  engine::options().backend = engine::Backend::Headless;
  auto& boxes = engine::recordedMessageBoxes();
  boxes.clear();
  engine::messageBox("Error loading AVGScript x.txt", "Fatal Error", 0x10);
  engine::messageBox("\xE5\xA4\x9C", "Error", 0x10);
  engine::options() = saved;
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "Fatal Error: Error loading AVGScript x.txt");
  EXPECT_EQ(boxes[1], "Error: \xE5\xA4\x9C");
}

TEST(Clock, CanBeReplacedAndRestored) {
  std::uint64_t fake = 1000;
  engine::setMonotonicClock([&] { return fake; });
  EXPECT_EQ(engine::monotonicMillis(), 1000u);
  fake += 16;
  EXPECT_EQ(engine::monotonicMillis(), 1016u);
  engine::setMonotonicClock(nullptr);
  std::uint64_t before = engine::monotonicMillis();
  engine::sleepMillis(20);
  std::uint64_t after = engine::monotonicMillis();
  EXPECT_GE(after - before, 20u);
  EXPECT_LT(after - before, 2000u);
}

TEST(SystemFont, WindowsNamesFindInstalledFonts) {
  std::string kai = engine::findSystemFont("simkai.ttf");
  std::string mono = engine::findSystemFont("Consolab.ttf");
  std::string hei = engine::findSystemFont("Simhei.ttf");
  std::string other = engine::findSystemFont("Arial.ttf");
  for (const std::string& file : {kai, mono, hei, other}) {
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
  }
  // Each kind of Windows font gets its own kind of stand-in.
  EXPECT_NE(kai, mono);
  EXPECT_NE(kai, hei);
  EXPECT_NE(mono, other);
  EXPECT_EQ(engine::findSystemFont("SIMKAI.TTF"), kai);
}

// Any other name is an installed file's own name, or its family and style
// spelt out; fontconfig's nearest face for a name it does not know is no
// answer.
TEST(SystemFont, OtherNamesFindTheirOwnFaceOrNothing) {
  const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/";
  EXPECT_EQ(engine::findSystemFont("DejaVuSans.ttf"), dejaVu + "DejaVuSans.ttf");
  EXPECT_EQ(engine::findSystemFont("dejavusans-bold.TTF"), dejaVu + "DejaVuSans-Bold.ttf");
  EXPECT_EQ(engine::findSystemFont("DejaVu Serif Italic.ttf"), dejaVu + "DejaVuSerif-Italic.ttf");
  EXPECT_EQ(engine::findSystemFont("DejaVuSansMono.ttf"), dejaVu + "DejaVuSansMono.ttf");
  // WenQuanYi Micro Hei by its Chinese family name, in code page 936.
  EXPECT_EQ(engine::findSystemFont("\xCE\xC4\xC8\xAA\xE6\xE4\xCE\xA2\xC3\xD7\xBA\xDA.ttf"),
            engine::findSystemFont("simhei.ttf"));
  for (const char* missing : {"DejaVuSnas.ttf", "DFGirl.ttf", "DejaVuSans-Heavy.ttf", "\xBB\xAA\xCE\xC4.ttf", ""})
    EXPECT_EQ(engine::findSystemFont(missing), "") << missing;
}

TEST(SystemFont, TestsCanForceTheAnswer) {
  std::string real = engine::findSystemFont("Arial.ttf");
  engine::setSystemFontOverride([&](std::string_view name) {
    return name == "DFGirl.ttf" ? std::string("/fonts/girl.ttf") : std::string();
  });
  EXPECT_EQ(engine::findSystemFont("DFGirl.ttf"), "/fonts/girl.ttf");
  engine::setSystemFontOverride(nullptr);
  EXPECT_EQ(engine::findSystemFont("Arial.ttf"), real);
}

}  // namespace
