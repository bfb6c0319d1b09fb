// Runs one function of a script source through the whole pipeline (compile, assemble, load, call) and prints its result.
//
// Usage: run_script FILE [FUNCTION]   (FUNCTION defaults to "main")
// Prints the result, then the load and run times in milliseconds, on
// stdout; exits with 1 and a message on stderr when the script does not load,
// has no such function, or an error ended the call (its result is then
// meaningless). Works headless in the current folder; a config.ini there with
// [Extra] DeleteAssembledScript=0 keeps the listing for inspection.
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/hge.h"
#include "engine/options.h"
#include "script/runtime/vm.h"
#include "script/manager/xScriptManager.h"

namespace {

double millisSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: run_script FILE [FUNCTION]\n");
    return 2;
  }
  const std::string function = argc > 2 ? argv[2] : "main";
  engine::options().backend = engine::Backend::Headless;
  HGE* hge = hgeCreate(HGE_VERSION);
  hge->System_SetState(HGE_INIFILE, "config.ini");
  if (!hge->System_Initiate()) return 1;

  xScriptManager* scripts = xScriptManager::getInstance();
  script::GroupId group = scripts->addScriptGroup();
  auto start = std::chrono::steady_clock::now();
  script::ThreadIndex thread = scripts->loadScript(group, argv[1]);
  double loadMs = millisSince(start);
  if (thread == script::kNoThread) {
    std::fprintf(stderr, "run_script: %s did not load\n", argv[1]);
    return 1;
  }
  start = std::chrono::steady_clock::now();
  bool ran = scripts->callFunc(function, group, thread);
  double runMs = millisSince(start);
  // The thread is gone when the call unloaded it.
  const vm_script* script = scripts->getScriptGroup(group)->getThread(thread);
  if (!ran && script != nullptr && script->findFunc(function) < 0) {
    std::fprintf(stderr, "run_script: no function %s\n", function.c_str());
    return 1;
  }
  if (!ran || script == nullptr || !script->lastCallCompleted()) {
    std::fprintf(stderr, "run_script: the call of %s did not complete\n", function.c_str());
    return 1;
  }
  std::printf("result: %s\n", script->retval().asText().c_str());
  std::printf("load_ms: %.3f\nrun_ms: %.3f\n", loadMs, runMs);
  hge->System_Shutdown();
  hge->Release();
  return 0;
}
