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
  EXPECT_EQ(engine::findSystemFont("\xBB\xAA\xCE\xC4.ttf"), hei);  // a Chinese file name
}

TEST(SystemFont, TestsCanForceTheAnswer) {
  std::string real = engine::findSystemFont("DFGirl.ttf");
  engine::setSystemFontOverride([&](std::string_view name) {
    return name == "DFGirl.ttf" ? std::string("/fonts/girl.ttf") : std::string();
  });
  EXPECT_EQ(engine::findSystemFont("DFGirl.ttf"), "/fonts/girl.ttf");
  engine::setSystemFontOverride(nullptr);
  EXPECT_EQ(engine::findSystemFont("DFGirl.ttf"), real);
}

}  // namespace
