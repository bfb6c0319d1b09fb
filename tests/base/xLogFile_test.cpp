// The log file's rules and the error box.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kRule(47, '=');

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { xLogFile::resetForTests(); }
  void TearDown() override { xLogFile::resetForTests(); }
  ScopedTempDir dir_;
};

TEST_F(LogTest, FirstUseEmptiesTheFileAndWritesTheRule) {
  dir_.write("log.txt", "old run\n");
  WriteLog("ok");
  EXPECT_EQ(dir_.read("log.txt"), kRule + "\nok\n");
}

TEST_F(LogTest, DropsMessagesShorterThanTwoBytes) {
  WriteLog("x");
  WriteLog("%s", "");
  WriteLog("ab");
  EXPECT_EQ(dir_.read("log.txt"), kRule + "\nab\n");
}

TEST_F(LogTest, ArgumentsAreNeverFormats) {
  WriteLog("%s", "100%s %d");
  EXPECT_EQ(dir_.read("log.txt"), kRule + "\n100%s %d\n");
}

TEST_F(LogTest, MessageEndingInNewlineLeavesAnEmptyLine) {
  WriteLog("Project Tazrel Log\n");
  EXPECT_EQ(dir_.read("log.txt"), kRule + "\nProject Tazrel Log\n\n");
}

TEST_F(LogTest, LongMessagesAreTruncatedToTheBuffer) {
  std::string big(20000, 'a');
  WriteLog("%s", big.c_str());
  std::string log = dir_.read("log.txt");
  EXPECT_EQ(log.size(), kRule.size() + 1 + 10239 + 1);
}

// A message repeated every frame stops at the cap, with one line saying so;
// the line that fits exactly is still written.
TEST_F(LogTest, StopsGrowingAtTheCap) {
  struct Restore {
    ~Restore() { xLogFile::setByteCapForTests(0); }
  } restore;
  const std::string last = "log.txt reached 200 bytes; nothing more is written\n";
  const std::size_t cap = 200;
  xLogFile::setByteCapForTests(cap);
  const std::string filler(cap - kRule.size() - 1 - last.size() - 1, 'f');
  WriteLog("%s", filler.c_str());
  WriteLog("%s", "next one does not fit");
  WriteLog("%s", "nor this one");
  EXPECT_EQ(dir_.read("log.txt"), kRule + "\n" + filler + "\n" + last);
  EXPECT_LE(dir_.read("log.txt").size(), cap);

  xLogFile::resetForTests();
  xLogFile::setByteCapForTests(std::size_t(1) << 20);
  const std::string line(10000, 'x');
  for (int i = 0; i < 110; ++i) WriteLog("%s", line.c_str());
  const std::string log = dir_.read("log.txt");
  EXPECT_LE(log.size(), std::size_t(1) << 20);
  EXPECT_GT(log.size(), (std::size_t(1) << 20) - line.size() - 60);
  EXPECT_TRUE(log.ends_with("x\nlog.txt reached 1 MiB; nothing more is written\n"));
}

// A log.txt that links out of the game folder is neither emptied nor grown.
TEST_F(LogTest, ALinkedLogLeadingOutIsLeftAlone) {
  dir_.write("outside/victim.txt", "kept\n");
  dir_.write("run/x", "");
  std::filesystem::create_symlink(dir_.path() / "outside/victim.txt", dir_.path() / "run/log.txt");
  std::filesystem::current_path(dir_.path() / "run");
  engine::confineGamePaths([](std::string_view) {});
  WriteLog("ok");
  engine::confineGamePaths(nullptr);
  EXPECT_EQ(dir_.read("outside/victim.txt"), "kept\n");
}

TEST_F(LogTest, ErrorBoxShowsTheMessageAndRunsTheHandler) {
  auto& boxes = engine::recordedMessageBoxes();
  boxes.clear();
  int returns = 0;
  SetErrorBoxHooks({nullptr, [&] { ++returns; }});
  ShowErrorBox("line %d: %s", 3, "\xD2\xB9\xBF\xD5");
  SetErrorBoxHooks({});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("Error"), std::string::npos);
  EXPECT_NE(boxes[0].find("line 3: \xE5\xA4\x9C\xE7\xA9\xBA"), std::string::npos);
  EXPECT_EQ(returns, 1);
}

TEST(TimeText, HasTheLogHeaderShape) {
  std::string text = GetCurrentTimeString();
  ASSERT_EQ(text.size(), 19u) << text;
  for (std::size_t i : {4u, 7u}) EXPECT_EQ(text[i], '-');
  EXPECT_EQ(text[10], ' ');
  EXPECT_EQ(text[13], ':');
  EXPECT_EQ(text[16], ' ');
}

}  // namespace
