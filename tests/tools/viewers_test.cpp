// The background and scene viewers end by themselves once their screenshots are taken.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

// Headless (no picture is written there, but the frame count is the same);
// timeout stands in for a viewer that would run on for ever.
int runViewer(const std::string& exe, const std::string& args) {
  std::string command = "timeout 60 " + exe + " " + args + " --headless >out.txt 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Viewers, EndAfterTheLastScreenshotWithoutFrames) {
  ScopedTempDir dir;
  std::filesystem::create_directory_symlink(VELMORA_SOURCE_DIR "/data", "data");
  std::filesystem::create_symlink(VELMORA_SOURCE_DIR "/data/initialize.vkscript", "initialize.vkscript");
  std::filesystem::create_symlink(VELMORA_SOURCE_DIR "/data/defines.txt", "defines.txt");
  EXPECT_EQ(runViewer(BACKGROUND_VIEW, "--sea 18.5 --screenshot 40:a.png --screenshot 5:b.png"), 0)
      << dir.read("out.txt");
  EXPECT_EQ(runViewer(SCENE_VIEW, "data/avg/prologue.txt --screenshot 30:c.png"), 0) << dir.read("out.txt");
  EXPECT_NE(dir.read("log.txt").find("Project Tazrel Log"), std::string::npos) << "the game started";
}

}  // namespace
