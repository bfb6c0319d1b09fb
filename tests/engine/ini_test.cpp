// The INI file: case, defaults, lenient numbers, line-preserving atomic writes, unreadable files.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <sys/stat.h>

#include "engine/ini.h"
#include "engine/platform.h"
#include "tests/engine/child_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class Ini : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::clearPathCache();
    ini_.setPath("config.ini");
  }
  ScopedTempDir dir_;
  engine::IniFile ini_;
};

TEST_F(Ini, SectionsAndKeysIgnoreCase) {
  dir_.write("config.ini", "[System]\nInitScript = stage.vkscript\n[stg]\nDefaultLife=5\n");
  EXPECT_EQ(ini_.getString("SYSTEM", "initscript", "x"), "stage.vkscript");
  EXPECT_EQ(ini_.getString("system", "InitScript", "x"), "stage.vkscript");
  EXPECT_EQ(ini_.getInt("STG", "defaultLIFE", 3), 5);
}

TEST_F(Ini, MissingThingsGiveTheDefault) {
  EXPECT_EQ(ini_.getInt("System", "BGMVolume", 100), 100);  // no file
  dir_.write("config.ini",
             "Orphan=1\n[System]\nEmpty=\nBlank =   \n; Commented=4\nNoEquals\n[STG]\nScreenX=175\n");
  EXPECT_EQ(ini_.getInt("System", "Orphan", 7), 7);  // keys before any section belong to none
  EXPECT_EQ(ini_.getInt("System", "Empty", 7), 7);
  EXPECT_EQ(ini_.getString("System", "Blank", "def"), "def");
  EXPECT_EQ(ini_.getInt("System", "Commented", 7), 7);
  EXPECT_EQ(ini_.getInt("System", "NoEquals", 7), 7);
  EXPECT_EQ(ini_.getInt("System", "ScreenX", 7), 7);  // key of another section
  EXPECT_EQ(ini_.getInt("Nope", "ScreenX", 7), 7);
  EXPECT_FLOAT_EQ(ini_.getFloat("Nope", "X", 0.02f), 0.02f);
}

TEST_F(Ini, NumbersParseLenientlyWithoutTheLocale) {
  dir_.write("config.ini",
             "[N]\na=12abc\nb=abc\nc= 3.5\nd=3.9\ne=-7\nf=+4\ng=99999999999\nh=-99999999999\n"
             "i=1e3\nj=.25x\nk=-\n");
  EXPECT_EQ(ini_.getInt("N", "a", 1), 12);
  EXPECT_EQ(ini_.getInt("N", "b", 1), 0);
  EXPECT_EQ(ini_.getInt("N", "d", 1), 3);
  EXPECT_EQ(ini_.getInt("N", "e", 1), -7);
  EXPECT_EQ(ini_.getInt("N", "f", 1), 4);
  EXPECT_EQ(ini_.getInt("N", "g", 1), INT_MAX);
  EXPECT_EQ(ini_.getInt("N", "h", 1), INT_MIN);
  EXPECT_EQ(ini_.getInt("N", "k", 1), 0);
  EXPECT_FLOAT_EQ(ini_.getFloat("N", "c", 1), 3.5f);
  EXPECT_FLOAT_EQ(ini_.getFloat("N", "a", 1), 12.0f);
  EXPECT_FLOAT_EQ(ini_.getFloat("N", "b", 1), 0.0f);
  EXPECT_FLOAT_EQ(ini_.getFloat("N", "i", 1), 1000.0f);
  EXPECT_FLOAT_EQ(ini_.getFloat("N", "j", 1), 0.25f);
  EXPECT_FLOAT_EQ(ini_.getFloat("N", "f", 1), 4.0f);
}

TEST_F(Ini, WritesKeepEveryOtherLine) {
  const std::string before =
      "; settings\n[System]\nBGMVolume=100\n# keep me\nUnknown=abc\n\n[Key]\nShoot=90\n";
  dir_.write("config.ini", before);
  ini_.setInt("system", "bgmvolume", 55);
  ini_.setInt("SYSTEM", "SEVolume", 20);
  ini_.setFloat("Extra", "PlayerCriticalProb", 0.02f);
  ini_.setString("key", "Bomb", "88");
  EXPECT_EQ(dir_.read("config.ini"),
            "; settings\n[System]\nBGMVolume=55\n# keep me\nUnknown=abc\nSEVolume=20\n\n"
            "[Key]\nShoot=90\nBomb=88\n\n[Extra]\nPlayerCriticalProb=0.02\n");
  EXPECT_EQ(ini_.getInt("System", "BGMVolume", 0), 55);
  EXPECT_FLOAT_EQ(ini_.getFloat("extra", "playercriticalprob", 0), 0.02f);
}

TEST_F(Ini, WritesCreateTheFileAndKeepWindowsLineEnds) {
  ini_.setInt("STG", "StageCleared", 1);
  EXPECT_EQ(dir_.read("config.ini"), "[STG]\nStageCleared=1\n");
  dir_.write("config.ini", "[A]\r\nx=1\r\n");
  ini_.setInt("A", "y", 2);
  EXPECT_EQ(dir_.read("config.ini"), "[A]\r\nx=1\r\ny=2\r\n");
  EXPECT_EQ(ini_.getInt("A", "x", 0), 1);
}

TEST_F(Ini, FloatsRoundTripWithoutTheLocale) {
  for (float value : {0.1f, -20.0f, 14.0f, 1e-7f, 3.4028235e38f, 123456.79f}) {
    ini_.setFloat("F", "v", value);
    EXPECT_EQ(ini_.getFloat("F", "v", 0), value);
  }
  EXPECT_EQ(dir_.read("config.ini").find(','), std::string::npos);
}

TEST_F(Ini, WritesReplaceTheFileAtomically) {
  dir_.write("config.ini", "[System]\nFont=simkai.ttf\n");
  ::chmod("config.ini", 0600);
  ini_.setString("System", "Font", "Simhei.ttf");
  EXPECT_EQ(dir_.read("config.ini"), "[System]\nFont=Simhei.ttf\n");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator("."))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"config.ini"});  // no temporary left behind
  struct stat info;
  ASSERT_EQ(::stat("config.ini", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(Ini, AFailedWriteLeavesTheFileAloneAndSaysWhichFile) {
  dir_.write("config.ini", "[A]\nx=1\n");
  dir_.write("config.ini.tmp/blocker", "");  // the temporary file cannot be made
  testing::internal::CaptureStderr();
  ini_.setInt("A", "x", 2);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("write() failed: config.ini: cannot create config.ini.tmp: "), std::string::npos) << err;
  EXPECT_EQ(dir_.read("config.ini"), "[A]\nx=1\n");
  EXPECT_EQ(ini_.getInt("A", "x", 0), 1);
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A file that exists but cannot be read is never replaced (its other settings
// would be lost): the write is refused naming the file and the reason, and
// reads say once that they give the defaults.
TEST_F(Ini, AnUnreadableFileIsNeitherReplacedNorReadSilently) {
  const std::string kept = "[System]\nBGMVolume=55\nSEVolume=30\n";
  dir_.write("config.ini", kept);
  ::chmod(dir_.path().c_str(), 0777);  // the temporary file could be made beside it
  ::chmod("config.ini", 0);
  ChildResult child = runChild([] {
    // Root reads any file: become nobody, as a run by another user would be.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 100;
    engine::IniFile ini;
    ini.setPath("config.ini");
    int wrong = (ini.getInt("System", "BGMVolume", 100) != 100) + (ini.getInt("System", "SEVolume", 20) != 20);
    ini.setInt("System", "BGMVolume", 70);
    return wrong;
  });
  ::chmod("config.ini", 0644);
  EXPECT_EQ(child.status, 0) << child.err;
  EXPECT_EQ(dir_.read("config.ini"), kept);
  EXPECT_EQ(count(child.err, "read() failed: config.ini: Permission denied (settings read as their defaults)"), 1)
      << child.err;
  EXPECT_EQ(count(child.err, "read() failed: config.ini: Permission denied (left as it is: [System] BGMVolume not "
                             "written)"), 1) << child.err;

  // A folder in its place, and the file readable again afterwards.
  std::filesystem::remove("config.ini");
  std::filesystem::create_directory("config.ini");
  testing::internal::CaptureStderr();
  EXPECT_EQ(ini_.getInt("System", "BGMVolume", 100), 100);
  EXPECT_EQ(ini_.getInt("System", "BGMVolume", 100), 100);
  ini_.setInt("System", "BGMVolume", 70);
  std::filesystem::remove("config.ini");
  dir_.write("config.ini", kept);
  EXPECT_EQ(ini_.getInt("System", "BGMVolume", 100), 55);
  std::filesystem::remove("config.ini");
  std::filesystem::create_directory("config.ini");
  EXPECT_EQ(ini_.getInt("System", "BGMVolume", 100), 100);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(count(err, "config.ini: Is a directory (settings read as their defaults)"), 2) << err;
  EXPECT_EQ(count(err, "config.ini: Is a directory (left as it is"), 1) << err;
  EXPECT_FALSE(std::filesystem::exists("config.ini.tmp"));
}

TEST_F(Ini, WritesThatWouldBreakTheFileAreRefused) {
  dir_.write("config.ini", "[A]\nx=1\n");
  ini_.setString("A", "x", "2\n[B]\ny=3");
  ini_.setString("A", "k=v", "1");
  ini_.setString("A]", "k", "1");
  ini_.setString("A", "", "1");
  EXPECT_EQ(dir_.read("config.ini"), "[A]\nx=1\n");
}

TEST_F(Ini, ThePathIsResolvedLikeEveryGameFile) {
  dir_.write("Config.INI", "[A]\nx=4\n");
  EXPECT_EQ(ini_.getInt("A", "x", 0), 4);
  ini_.setInt("A", "x", 5);
  EXPECT_EQ(dir_.read("Config.INI"), "[A]\nx=5\n");
  EXPECT_FALSE(std::filesystem::exists("config.ini"));
}

TEST_F(Ini, NothingHappensBeforeAPathIsSet) {
  engine::IniFile unset;
  dir_.write("config.ini", "[A]\nx=4\n");
  EXPECT_EQ(unset.getInt("A", "x", 9), 9);
  EXPECT_EQ(unset.getString("A", "x", "d"), "d");
  unset.setInt("A", "y", 1);
  EXPECT_EQ(dir_.read("config.ini"), "[A]\nx=4\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
}

TEST_F(Ini, TheFirstMatchingEntryWins) {
  dir_.write("config.ini", "\xEF\xBB\xBF[A]\nx=1\nX=2\n[a]\nx=3\ny=4\n");
  EXPECT_EQ(ini_.getInt("A", "x", 0), 1);
  EXPECT_EQ(ini_.getInt("A", "y", 0), 4);  // a repeated section still counts
  ini_.setInt("A", "X", 7);
  EXPECT_EQ(dir_.read("config.ini"), "\xEF\xBB\xBF[A]\nx=7\nX=2\n[a]\nx=3\ny=4\n");
}

}  // namespace
