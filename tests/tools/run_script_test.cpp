// The script runner: its result on stdout, and failure when the call did not complete.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

// Runs the tool in the current folder: its exit status; stdout and stderr in out.txt and err.txt.
int runScript(const std::string& args) {
  std::string command = std::string(RUN_SCRIPT) + " " + args + " >out.txt 2>err.txt";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RunScript, ACallEndedByAnErrorIsAFailure) {
  ScopedTempDir dir;
  dir.write("a.vkscript", "func three() { return 3; }\nfunc deep() { return deep(); }\n");
  ASSERT_EQ(runScript("a.vkscript three"), 0);
  EXPECT_EQ(dir.read("out.txt").rfind("result: 3\n", 0), 0u) << dir.read("out.txt");
  EXPECT_EQ(runScript("a.vkscript deep"), 1);
  EXPECT_EQ(dir.read("out.txt"), "");
  EXPECT_NE(dir.read("err.txt").find("run_script: the call of deep did not complete"), std::string::npos)
      << dir.read("err.txt");
}

}  // namespace
