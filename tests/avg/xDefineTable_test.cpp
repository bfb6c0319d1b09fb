// The define file: which lines define, what NAME and VALUE are, reloading.
#include "avg/xDefineTable.h"

#include "engine/platform.h"
#include "tests/avg/avg_fixture.h"

namespace {

using avgtest::SceneTest;

TEST_F(SceneTest, DefinesFromTheFile) {
  xDefineTable* table = xDefineTable::getInstance();
  EXPECT_EQ(table->lookup("girl"), "girl");
  table->load(avgtest::fixture("defines.txt"));
  EXPECT_EQ(table->lookup("girl"), "chara/girl02.png");  // the later line wins, its "\r" dropped
  EXPECT_EQ(table->lookup("talker1"), "Li Ming");
  EXPECT_EQ(table->lookup("Girl"), "Girl");
  EXPECT_EQ(table->lookup("x"), "x");
  EXPECT_EQ(table->lookup("noblank"), "noblank");
  EXPECT_EQ(table->lookup(""), "");
  EXPECT_EQ(table->lookup("\x81\x5C"), "\x81\x5C.png");

  // Loading again starts from an empty table, even when the file is missing.
  table->load(avgtest::fixture("no_such_defines.txt"));
  EXPECT_EQ(table->lookup("talker1"), "talker1");
}

TEST_F(SceneTest, DefinesPathGoesThroughTheResolver) {
  dir_.write("Defines.TXT", "define bgm Ka01.mp3\n");
  engine::clearPathCache();
  xDefineTable::getInstance()->load("defines.txt");
  EXPECT_EQ(xDefineTable::getInstance()->lookup("bgm"), "Ka01.mp3");
}

}  // namespace
