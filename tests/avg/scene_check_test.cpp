// The scene authors' tool: its output lines, log and exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "tests/avg/avg_fixture.h"

namespace {

struct ToolRun {
  std::string out;
  int status = -1;
};

// Runs scene_check in the working directory (the test's temporary folder).
ToolRun sceneCheck(const std::string& args) {
  ToolRun run;
  std::string command = std::string(SCENE_CHECK) + " " + args + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(SceneCheck, PrintsOrdersLogsAndExitStatus) {
  ScopedTempDir dir;
  ToolRun run = sceneCheck(avgtest::fixture("checked.txt"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "orders\t2\nO\t0\t16\t0\tLi\\tMing\nO\t1\t1\t0\tA\\nB\n");
  EXPECT_NE(dir.read("log.txt").find("\nERROR UNKNOWN TOKEN TPYE\n"), std::string::npos);

  run = sceneCheck(avgtest::fixture("empty.txt"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "orders\t0\n");

  run = sceneCheck(avgtest::fixture("no_such_scene.txt"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
}

}  // namespace
