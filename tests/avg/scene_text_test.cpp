// Code page 936 words and case: a two-byte character's second byte is never an ASCII letter.
#include "avg/scene_text.h"

#include <gtest/gtest.h>

namespace {

TEST(SceneText, SecondBytesNeverMatchOrFold) {
  EXPECT_TRUE(avg::containsWord("life 3 ;", "if"));
  EXPECT_FALSE(avg::containsWord("\xB0\x69" "f", "if"));
  EXPECT_TRUE(avg::containsWord("\xB0\x69if", "if"));
  EXPECT_TRUE(avg::equalsNoCase("Girl.PNG", "girl.png"));
  EXPECT_FALSE(avg::equalsNoCase("\x81\x41", "\x81\x61"));  // two different characters
  EXPECT_FALSE(avg::equalsNoCase("girl", "girls"));
  EXPECT_EQ(avg::splitTextLines("a\r\nb\r\r\n\nc"), (std::vector<std::string>{"a", "b\r", "", "c"}));
}

}  // namespace
