// Memory running out during a script load, at each allocation in turn: the load fails or succeeds, never aborts.
//
// Its own test program: the allocation functions are replaced for the whole
// process, refusing one chosen allocation while armed.
#include <cstdlib>
#include <filesystem>
#include <new>

#include "tests/script/manager/manager_fixture.h"

namespace {

long gRefuse = 0;  // the allocation to refuse, counted from arming; 0: none
long gCount = 0;
bool gRefused = false;

void* allocate(std::size_t size) {
  if (gRefuse > 0 && ++gCount == gRefuse) {
    gRefused = true;
    throw std::bad_alloc();
  }
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* allocateNoThrow(std::size_t size) noexcept {
  try {
    return allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocateNoThrow(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocateNoThrow(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using script::GroupId;
using script::ThreadIndex;
using testing_support::ManagerTest;

// Reading with an include, declarations of every kind, strings, calls and
// loops: the compiler, the optimiser, the assembler and the loader all work.
constexpr const char* kLib = "var fromLib;\nfunc twice(v) { return v * 2; }\n";
constexpr const char* kMain = R"(#include "lib.vkscript"
host htNothing(a);
struct P { var x; var y[2]; }
var grid[4];
var i;
P p;
func get() {
  var s;
  s = "a";
  s $ "b";
  for (i = 0; i < 4; i += 1) { grid[i] = twice(i); }
  p.y[1] = grid[3];
  return p.y[1];
}
)";

using AllocationFailure = ManagerTest;

TEST_F(AllocationFailure, EachRefusedAllocationFailsTheLoadOrLeavesItWhole) {
  dir_.write("lib.vkscript", kLib);
  dir_.write("main.vkscript", kMain);
  GroupId g = manager()->addScriptGroup();
  ASSERT_NE(manager()->loadScript(g, "main.vkscript"), script::kNoThread)
      << "the script must load at all: " << (diagnostics_.empty() ? "" : diagnostics_.back());
  int failedLoads = 0;
  for (long refuse = 1;; ++refuse) {
    engine::recordedMessageBoxes().clear();
    diagnostics_.clear();
    gCount = 0;
    gRefused = false;
    gRefuse = refuse;
    ThreadIndex thread = manager()->loadScript(g, "main.vkscript");
    gRefuse = 0;
    if (!gRefused) break;  // every allocation of a load has been refused once
    SCOPED_TRACE("allocation " + std::to_string(refuse));
    if (thread == script::kNoThread) {
      ++failedLoads;
      EXPECT_TRUE(!engine::recordedMessageBoxes().empty() || !diagnostics_.empty() || logHas("Invalid Script File"));
      continue;
    }
    ASSERT_TRUE(manager()->callFunc("get", g, thread));
    EXPECT_EQ(retval(g, thread).intValue, 6);
    manager()->getScriptGroup(g)->unloadScript(thread);
  }
  EXPECT_GT(failedLoads, 100);
  EXPECT_FALSE(std::filesystem::exists("main.vkscript.vkasmb"));
  EXPECT_FALSE(std::filesystem::exists("main.vkscript.vkasm"));
}

}  // namespace
