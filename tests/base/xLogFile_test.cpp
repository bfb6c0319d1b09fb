// The log file's rules and the error box.
#include <gtest/gtest.h>

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
