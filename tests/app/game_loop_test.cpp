// Whole runs of the executable, headless.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/game_loop.h"
#include "tests/support/temp_dir.h"

namespace {

int runVelmora(const std::string& args) {
  std::string command = std::string(VELMORA_EXE) + " " + args + " >/dev/null 2>&1";
  return std::system(command.c_str());
}

// The exit status, with stdout and stderr together in [output]; [environment]
// prefixes the command ("env ...").
int runVelmora(const std::string& args, std::string& output, const std::string& environment = "") {
  std::string command = environment + std::string(VELMORA_EXE) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string lastLine(const std::string& text) {
  std::size_t end = text.find_last_not_of('\n');
  if (end == std::string::npos) return "";
  std::size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

TEST(Run, HeadlessRunLogsTheSlowRate) {
  ScopedTempDir dir;
  dir.write("initialize.vkscript", "func init() { }\n");  // the game does not start without it
  ASSERT_EQ(runVelmora("--headless --frames 120"), 0);
  std::string log = dir.read("log.txt");
  EXPECT_EQ(log.rfind(std::string(47, '=') + "\n", 0), 0u) << log;
  EXPECT_NE(log.find("Project Tazrel Log"), std::string::npos);
  EXPECT_EQ(lastLine(log), "SlowRate: 1.000000(Total Run Frame: 120, Slow Frame: 0)") << log;
}

TEST(Run, TheShutdownTailWritesTheVolumes) {
  ScopedTempDir dir;
  dir.write("initialize.vkscript", "func init() { }\n");
  dir.write("config.ini", "[System]\nBGMVolume=55\n");
  ASSERT_EQ(runVelmora("--headless --frames 3"), 0);
  std::string config = dir.read("config.ini");
  for (const char* line : {"BGMVolume=55", "SEVolume=20", "VoiceVolume=40", "BGSoundVolume=40"}) {
    EXPECT_NE(config.find(line), std::string::npos) << line << " in\n" << config;
  }
}

// Keyboard only: down twice to "结束游戏", then confirm ends the loop normally;
// cancel twice ends the process at once, without the shutdown tail.
TEST(Run, TheTitlesEndGameItemEndsTheGame) {
  ScopedTempDir dir;
  dir.write("initialize.vkscript", "func init() { }\n");
  dir.write("confirm.txt", "10 down 40\n11 up 40\n30 down 40\n31 up 40\n50 down 13\n51 up 13\n");
  ASSERT_EQ(runVelmora("--headless --frames 600 --input confirm.txt"), 0);
  EXPECT_EQ(lastLine(dir.read("log.txt")), "SlowRate: 1.000000(Total Run Frame: 51, Slow Frame: 0)");

  dir.write("log.txt", "");
  dir.write("config.ini", "");
  dir.write("cancel.txt", "10 down 27\n11 up 27\n30 down 88\n31 up 88\n");
  ASSERT_EQ(runVelmora("--headless --frames 600 --input cancel.txt"), 0);
  EXPECT_EQ(dir.read("log.txt").find("SlowRate"), std::string::npos);
  EXPECT_NE(dir.read("config.ini").find("BGSoundVolume=40"), std::string::npos) << "volumes saved on the way out";
}

// The start-up script is named by config.ini, which scripts may rewrite: a
// name outside the run folder is refused by name and its code never runs.
TEST(Run, AStartUpScriptOutsideTheRunFolderIsRefused) {
  ScopedTempDir dir;
  dir.write("evil.vkscript", "func init() { htLog(\"evil ran\"); }\n");
  dir.write("run/initialize.vkscript", "func init() { }\n");
  std::filesystem::current_path("run");
  for (const std::string& name :
       {(dir.path() / "evil.vkscript").string(), std::string("scripts\\..\\..\\evil.vkscript")}) {
    dir.write("run/config.ini", "[System]\nInitScript=" + name + "\n");
    EXPECT_NE(runVelmora("--headless --frames 3"), 0) << name;
    std::string log = dir.read("run/log.txt");
    EXPECT_NE(log.find("Refused a path outside the game folder: " + name + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("evil ran"), std::string::npos) << log;
  }
}

TEST(Run, BadOptionFails) {
  ScopedTempDir dir;
  EXPECT_NE(runVelmora("--frames notanumber"), 0);
}

// --help lists the options and starts nothing; a mistyped option is refused
// by name, while arguments that are no options stay the game's to ignore.
TEST(Run, HelpListsTheOptionsAndAnUnknownOneIsRefused) {
  ScopedTempDir dir;
  dir.write("initialize.vkscript", "func init() { }\n");
  std::string help;
  EXPECT_EQ(runVelmora("--help", help), 0);
  for (const char* option : {"--headless", "--frames N", "--unpaced", "--input FILE", "--seed N",
                             "--screenshot FRAME:FILE.png", "VELMORA_BACKEND"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option << " in\n" << help;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "log.txt")) << "the game did not start";

  std::string refused;
  EXPECT_EQ(runVelmora("--headless --frames 3 --framse 9", refused), 2);
  EXPECT_NE(refused.find("--framse"), std::string::npos) << refused;
  EXPECT_NE(refused.find("--help"), std::string::npos) << refused;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "log.txt"));

  std::string ignored;
  EXPECT_EQ(runVelmora("stage1 -x --headless --frames 3", ignored), 0) << ignored;
}

// Without a display: one line on stderr (the error box's stand-in), and the
// reason in log.txt before the shutdown's line.
TEST(Run, AStartUpFailureIsSaidOnceAndLogged) {
  ScopedTempDir dir;
  dir.write("initialize.vkscript", "func init() { }\n");
  std::string output;
  EXPECT_EQ(runVelmora("", output, "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER VELMORA_BACKEND=window "),
            1);
  const std::string reason = "System_Initiate: no display to show the window on";
  const std::size_t first = output.find(reason);
  ASSERT_NE(first, std::string::npos) << output;
  EXPECT_EQ(output.find(reason, first + 1), std::string::npos) << output;
  EXPECT_EQ(output.find("SDL_ShowSimpleMessageBox"), std::string::npos) << output;
  std::string log = dir.read("log.txt");
  EXPECT_NE(log.find("\n" + reason), std::string::npos) << log;
  EXPECT_LT(log.find(reason), log.find("SlowRate")) << log;
}

TEST(SlowRate, IsTheShareOfFramesThatWereNotSlow) {
  EXPECT_FLOAT_EQ(slowRate(0, 0), 0.0f);
  EXPECT_FLOAT_EQ(slowRate(120, 0), 1.0f);
  EXPECT_FLOAT_EQ(slowRate(4, 1), 0.75f);
  EXPECT_FLOAT_EQ(slowRate(4294967295u, 4294967295u), 0.0f);
}

}  // namespace
