// Path resolution: separators, case-insensitive components, GBK names, file reads and deletes, confinement.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

// Content is read only from regular files and only up to a limit: a device,
// a pipe or a huge file would otherwise be read until memory runs out, or
// block the game.
TEST_F(Paths, OnlyRegularFilesAreReadAndOnlyUpToTheLimit) {
  std::filesystem::create_symlink("/dev/zero", "zero.vkscript");
  ASSERT_EQ(::mkfifo("pipe.txt", 0600), 0);
  dir_.write("big.txt", std::string(4096, 'x'));
  std::vector<unsigned char> bytes;
  int error = 0;
  EXPECT_FALSE(engine::readFile("zero.vkscript", bytes, &error));
  EXPECT_EQ(error, EINVAL);
  EXPECT_FALSE(engine::readFileAt("/dev/zero", bytes, &error, 1 << 20));
  EXPECT_EQ(error, EINVAL);
  EXPECT_FALSE(engine::readFile("pipe.txt", bytes, &error));  // no writer: must not wait for one
  EXPECT_EQ(error, EINVAL);
  EXPECT_EQ(engine::resolveRegularFile("pipe.txt", &error), "");
  EXPECT_EQ(error, EINVAL);
  EXPECT_EQ(engine::fileErrorText(error), "not a regular file");

  EXPECT_FALSE(engine::readFile("big.txt", bytes, &error, 4095));
  EXPECT_EQ(error, EFBIG);
  EXPECT_TRUE(bytes.empty());
  ASSERT_TRUE(engine::readFile("big.txt", bytes, &error, 4096));
  EXPECT_EQ(bytes.size(), 4096u);
  EXPECT_EQ(engine::resolveRegularFile("BIG.txt"), "big.txt");
}

// A run folder inside the temporary folder, with a file beside it.
class ConfinedPaths : public Paths {
 protected:
  void SetUp() override {
    Paths::SetUp();
    dir_.write("outside.png", "out");
    dir_.write("run/data/UI/x.png", "in");
    dir_.write("content/graphic/a.png", "linked");
    std::filesystem::current_path("run");
    engine::confineGamePaths([this](std::string_view name) { refused_.emplace_back(name); });
  }
  void TearDown() override {
    engine::confineGamePaths(nullptr);
    Paths::TearDown();
  }
  std::string outside() const { return (dir_.path() / "outside.png").string(); }
  std::vector<std::string> refused_;
};

TEST_F(ConfinedPaths, AbsoluteAndClimbingNamesAreRefusedOnceEach) {
  std::vector<unsigned char> bytes;
  int error = 0;
  EXPECT_FALSE(engine::readFile(outside(), bytes, &error));
  EXPECT_EQ(error, EPERM);
  EXPECT_FALSE(engine::readFile("data\\..\\..\\outside.png", bytes, &error));
  EXPECT_FALSE(engine::deleteFile("../outside.png"));
  EXPECT_EQ(engine::resolvePath("data/../../run/data/UI/x.png"), "");  // out and back in is still out
  EXPECT_EQ(engine::resolveRegularFile("/"), "");
  EXPECT_FALSE(engine::checkGamePath(".."));
  EXPECT_EQ(refused_, (std::vector<std::string>{outside(), "data\\..\\..\\outside.png", "../outside.png",
                                                "data/../../run/data/UI/x.png", "/", ".."}));
  EXPECT_EQ(dir_.read("outside.png"), "out");
}

// Folded as written: content reaches data/UI from data/graphic.
TEST_F(ConfinedPaths, NamesThatStayInsideAreFoldedAsWritten) {
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(engine::readFile("data\\graphic\\..\\UI\\X.PNG", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "in");
  EXPECT_EQ(engine::resolvePath("./data//graphic/.././UI/x.png"), "data/UI/x.png");
  EXPECT_TRUE(engine::checkGamePath("data/../x.vkscript"));
  EXPECT_TRUE(refused_.empty());

  // A system font the lookup found, and any path once the game lifts the confinement.
  engine::allowOutsideFile(outside());
  EXPECT_TRUE(engine::readFile(outside(), bytes));
  EXPECT_TRUE(refused_.empty());
  engine::confineGamePaths(nullptr);
  EXPECT_TRUE(engine::readFile("../outside.png", bytes));
  EXPECT_TRUE(refused_.empty());
}

// A pack unpacked into data/ may carry links: none of them leads anywhere
// but into the run folder, whatever is read, made or deleted through it.
TEST_F(ConfinedPaths, LinksInsideTheDataFolderDoNotLeadOut) {
  namespace fs = std::filesystem;
  dir_.write("elsewhere/victim.vkasm", "kept");
  dir_.write("elsewhere/src.vkscript", "func f() { }");
  fs::create_directory_symlink(dir_.path() / "elsewhere", "data/pack");
  fs::create_symlink(dir_.path() / "elsewhere/src.vkscript", "data/one.vkscript");
  fs::create_symlink("/proc/self/environ", "data/env.txt");
  fs::create_symlink(dir_.path() / "elsewhere/new.vkasm", "data/dangling.vkasm");
  fs::create_directory_symlink(dir_.path() / "content", "linked");
  fs::create_symlink("data/UI/x.png", "inside.png");
  std::vector<unsigned char> bytes;
  int error = 0;
  EXPECT_FALSE(engine::readFile("data/pack/src.vkscript", bytes, &error));
  EXPECT_EQ(error, EPERM);
  EXPECT_FALSE(engine::readFile("data/one.vkscript", bytes));
  EXPECT_FALSE(engine::readFile("DATA/env.txt", bytes));
  EXPECT_EQ(engine::resolvePath("data/pack/src.vkscript.vkasm"), "");  // about to be made
  EXPECT_EQ(engine::resolvePath("data/dangling.vkasm"), "");           // a create would follow it
  EXPECT_FALSE(engine::deleteFile("data/Pack/victim.vkasm"));
  EXPECT_EQ(engine::resolveRegularFile("linked/graphic/a.png"), "");
  EXPECT_EQ(refused_, (std::vector<std::string>{"data/pack/src.vkscript", "data/one.vkscript", "DATA/env.txt",
                                                "data/pack/src.vkscript.vkasm", "data/dangling.vkasm",
                                                "data/Pack/victim.vkasm", "linked/graphic/a.png"}));
  EXPECT_EQ(dir_.read("elsewhere/victim.vkasm"), "kept");
  EXPECT_FALSE(fs::exists(dir_.path() / "elsewhere/new.vkasm"));

  // Links that lead back in are followed; so is the log, quietly.
  refused_.clear();
  ASSERT_TRUE(engine::readFile("inside.png", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "in");
  EXPECT_TRUE(engine::staysInGameFolder("log.txt"));
  fs::create_symlink(dir_.path() / "elsewhere/victim.vkasm", "log.txt");
  EXPECT_FALSE(engine::staysInGameFolder("log.txt"));
  EXPECT_TRUE(refused_.empty());
}

// As tools/run.sh makes it: data/ and the start-up files linked from a
// checkout's data/, the listings written in the run folder beside them.
TEST_F(ConfinedPaths, ARunFolderWhoseDataIsALinkStillWorks) {
  namespace fs = std::filesystem;
  dir_.write("checkout/data/graphic/a.png", "linked");
  dir_.write("checkout/data/initialize.vkscript", "func init() { }");
  fs::current_path(dir_.path());
  fs::create_directories("linkrun");
  fs::create_directory_symlink(dir_.path() / "checkout/data", "linkrun/data");
  fs::create_symlink(dir_.path() / "checkout/data/initialize.vkscript", "linkrun/initialize.vkscript");
  fs::current_path("linkrun");
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(engine::readFile("data/graphic/../graphic/A.png", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "linked");
  ASSERT_TRUE(engine::readFile("initialize.vkscript", bytes));
  EXPECT_EQ(engine::resolvePath("initialize.vkscript.vkasm"), "initialize.vkscript.vkasm");
  EXPECT_EQ(engine::resolvePath("data/stage.vkscript.vkasm"), "data/stage.vkscript.vkasm");
  dir_.write("checkout/data/old.vkasmb", "old");
  EXPECT_TRUE(engine::deleteFile("data/old.vkasmb"));
  EXPECT_TRUE(refused_.empty());
}

}  // namespace
