// Code page 936 conversions: round trips, empty text and bad input.
#include <gtest/gtest.h>

#include "engine/platform.h"

namespace {

const std::string kNightSky = "\xD2\xB9\xBF\xD5";            // 夜空 in code page 936
const std::string kNightSkyUtf8 = "\xE5\xA4\x9C\xE7\xA9\xBA";  // 夜空 in UTF-8

TEST(Codepage, RoundTripsChineseTextBothWays) {
  bool ok = false;
  std::wstring wide = engine::cp936ToWide("ab" + kNightSky, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(wide, L"ab\u591C\u7A7A");
  EXPECT_EQ(engine::wideToCp936(wide, &ok), "ab" + kNightSky);
  EXPECT_TRUE(ok);
  EXPECT_EQ(engine::cp936ToUtf8(kNightSky, &ok), kNightSkyUtf8);
  EXPECT_TRUE(ok);
  EXPECT_EQ(engine::utf8ToCp936(kNightSkyUtf8, &ok), kNightSky);
  EXPECT_TRUE(ok);
}

TEST(Codepage, EmptyTextConvertsToEmptyText) {
  bool ok = false;
  EXPECT_EQ(engine::cp936ToWide("", &ok), L"");
  EXPECT_TRUE(ok);
  ok = false;
  EXPECT_EQ(engine::wideToCp936(L"", &ok), "");
  EXPECT_TRUE(ok);
}

TEST(Codepage, BadBytesGiveEmptyTextAndFailure) {
  bool ok = true;
  EXPECT_EQ(engine::cp936ToWide("ok\xFF\xFF", &ok), L"");
  EXPECT_FALSE(ok);
  ok = true;
  EXPECT_EQ(engine::cp936ToWide("x\xD2", &ok), L"");  // lead byte cut off at the end
  EXPECT_FALSE(ok);
  ok = true;
  EXPECT_EQ(engine::cp936ToUtf8("\xD2", &ok), "");
  EXPECT_FALSE(ok);
  ok = true;
  EXPECT_EQ(engine::utf8ToCp936("\xC3(", &ok), "");  // not UTF-8
  EXPECT_FALSE(ok);
  ok = true;
  EXPECT_EQ(engine::wideToCp936(std::wstring(1, wchar_t(0xD800)), &ok), "");  // lone surrogate
  EXPECT_FALSE(ok);
  // The converter is reused per thread: a failure must not spoil the next call.
  EXPECT_EQ(engine::cp936ToWide(kNightSky, &ok), L"\u591C\u7A7A");
  EXPECT_TRUE(ok);
}

TEST(Codepage, UnrepresentableCharactersBecomeTheDefaultCharacter) {
  bool ok = false;
  EXPECT_EQ(engine::wideToCp936(L"a\U0001F600b\u591C", &ok), "a?b\xD2\xB9");
  EXPECT_TRUE(ok);
}

TEST(Codepage, LongTextGrowsTheBuffer) {
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += kNightSky;
  std::wstring wide = engine::cp936ToWide(bytes);
  ASSERT_EQ(wide.size(), 10000u);
  EXPECT_EQ(engine::wideToCp936(wide), bytes);
  EXPECT_EQ(engine::cp936ToUtf8(bytes).size(), 30000u);
}

}  // namespace
