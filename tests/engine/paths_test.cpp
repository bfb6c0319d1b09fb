// Path resolution: separators, case-insensitive components, GBK names, file reads and deletes.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "engine/platform.h"
#include "tests/support/temp_dir.h"

namespace {

class Paths : public ::testing::Test {
 protected:
  void SetUp() override { engine::clearPathCache(); }
  void TearDown() override { engine::clearPathCache(); }
  ScopedTempDir dir_;
};

TEST_F(Paths, ExactPathsComeBackAsGiven) {
  dir_.write("data/UI/x.png", "png");
  EXPECT_EQ(engine::resolvePath("data/UI/x.png"), "data/UI/x.png");
  EXPECT_EQ(engine::resolvePath("data\\UI\\x.png"), "data/UI/x.png");
}

TEST_F(Paths, ComponentsMatchWithoutRegardToCase) {
  dir_.write("data/UI/x.png", "png");
  dir_.write("data/se/statitto.wav", "wav");
  EXPECT_EQ(engine::resolvePath("data/ui/x.png"), "data/UI/x.png");
  EXPECT_EQ(engine::resolvePath("DATA\\ui\\X.PNG"), "data/UI/x.png");
  EXPECT_EQ(engine::resolvePath("data/se/Statitto.WAV"), "data/se/statitto.wav");
  EXPECT_EQ(engine::resolvePath("data/se//../ui/X.png"), "data/se/../UI/x.png");
  std::string absolute = (dir_.path() / "DATA/Se/STATITTO.wav").string();
  EXPECT_EQ(engine::resolvePath(absolute), (dir_.path() / "data/se/statitto.wav").string());
}

TEST_F(Paths, MissingFilesKeepTheirNameInTheMatchedFolder) {
  dir_.write("data/UI/x.png", "png");
  EXPECT_EQ(engine::resolvePath("Data/ui/new.txt"), "data/UI/new.txt");
  EXPECT_EQ(engine::resolvePath("nowhere/Foo.txt"), "nowhere/Foo.txt");
}

TEST_F(Paths, GbkNamesAreFoundAsUtf8) {
  dir_.write("data/\xE5\xA4\x9C\xE7\xA9\xBA.txt", "sky");
  EXPECT_EQ(engine::resolvePath("data\\\xD2\xB9\xBF\xD5.TXT"), "data/\xE5\xA4\x9C\xE7\xA9\xBA.txt");
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(engine::readFile("DATA/\xD2\xB9\xBF\xD5.txt", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "sky");
}

TEST_F(Paths, TheCacheSeesFilesMadeAfterItWasFilled) {
  dir_.write("data/a.txt", "a");
  EXPECT_EQ(engine::resolvePath("data/A.txt"), "data/a.txt");
  dir_.write("data/b.txt", "b");
  EXPECT_EQ(engine::resolvePath("data/B.txt"), "data/b.txt");
  std::filesystem::rename("data/a.txt", "data/Renamed.txt");
  dir_.write("data/A.TXT", "again");
  EXPECT_EQ(engine::resolvePath("data/a.Txt"), "data/A.TXT");
}

TEST_F(Paths, ReadFileAndDeleteFileGoThroughTheResolver) {
  dir_.write("Scripts/Stage1.vkasm", std::string("x\0y", 3));
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(engine::readFile("scripts\\stage1.VKASM", bytes));
  EXPECT_EQ(bytes, (std::vector<unsigned char>{'x', 0, 'y'}));
  dir_.write("empty.txt", "");
  EXPECT_TRUE(engine::readFile("EMPTY.txt", bytes));
  EXPECT_TRUE(bytes.empty());
  int error = 0;
  EXPECT_FALSE(engine::readFile("missing.txt", bytes, &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(engine::readFile("scripts", bytes, &error));  // a folder is not a file
  EXPECT_EQ(error, EISDIR);

  EXPECT_TRUE(engine::deleteFile("SCRIPTS/stage1.vkasm"));
  EXPECT_FALSE(std::filesystem::exists("Scripts/Stage1.vkasm"));
  EXPECT_FALSE(engine::deleteFile("SCRIPTS/stage1.vkasm"));
  EXPECT_FALSE(engine::deleteFile("scripts"));
  EXPECT_TRUE(std::filesystem::exists("Scripts"));
}

}  // namespace
