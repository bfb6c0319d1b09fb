// Resource folders and text conversions.
#include <gtest/gtest.h>

#include <climits>

#include "base/resource_path.h"
#include "base/xLogFile.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(ResourcePath, PrefixesEachCategory) {
  EXPECT_EQ(GetResourcePath("Ka01.mp3", RES_MUSIC), L"data/music/Ka01.mp3");
  EXPECT_EQ(GetResourcePath("x.png", RES_UI), L"data/UI/x.png");
  EXPECT_EQ(GetResourcePath("/se/black.png", RES_GRAPHIC), L"data/graphic//se/black.png");
  EXPECT_EQ(GetResourcePath("magic.psi", RES_PARTICLE), L"data/particle/magic.psi");
}

TEST(ResourcePath, OutOfRangeCategoryGivesTheNameAlone) {
  EXPECT_EQ(GetResourcePath("x.png", 9), L"x.png");
  EXPECT_EQ(GetResourcePath("x.png", -1), L"x.png");
}

TEST(ResourcePath, ConvertsCodePage936Names) {
  EXPECT_EQ(GetResourcePath("scene/\xD2\xB9\xBF\xD5.png", RES_GRAPHIC), L"data/graphic/scene/夜空.png");
}

TEST(TextConversion, RoundTripsAndEmpty) {
  EXPECT_EQ(StringToWString(""), L"");
  EXPECT_EQ(WStringToString(L""), "");
  EXPECT_EQ(StringToWString("\xD2\xB9\xBF\xD5"), L"夜空");
  EXPECT_EQ(WStringToString(L"夜空 ok"), "\xD2\xB9\xBF\xD5 ok");
}

TEST(TextConversion, BadBytesGiveEmptyTextAndALogLine) {
  ScopedTempDir dir;
  xLogFile::resetForTests();
  EXPECT_EQ(StringToWString("\xFF\xFF"), L"");
  EXPECT_NE(dir.read("log.txt").find("StringToWString"), std::string::npos);
  xLogFile::resetForTests();
}

TEST(IntText, Decimal) {
  EXPECT_EQ(IntToString(-5), "-5");
  EXPECT_EQ(IntToString(0), "0");
  EXPECT_EQ(IntToString(1234567890), "1234567890");
  EXPECT_EQ(IntToString(INT_MIN), "-2147483648");
  EXPECT_EQ(IntToString(INT_MAX), "2147483647");
}

}  // namespace
