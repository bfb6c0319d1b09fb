// Timers: period and repeat limit, removal, script calls, timers started or cleared from inside a call.
#include "core/xTimer.h"

#include <string>

#include "script/runtime/xHostAPIManager.h"
#include "tests/core/core_fixture.h"

namespace {

int gCallbacks = 0;
void countCallback() { ++gCallbacks; }

std::unique_ptr<xTimer> plainTimer(std::uint32_t period, std::uint32_t limit) {
  auto timer = std::make_unique<xTimer>();
  timer->period = period;
  timer->repeatLimit = limit;
  timer->callback = countCallback;
  return timer;
}

std::unique_ptr<xScriptTimer> scriptTimer(std::uint32_t period, std::uint32_t limit, std::string func,
                                          script::GroupId group, script::ThreadIndex thread) {
  auto timer = std::make_unique<xScriptTimer>();
  timer->period = period;
  timer->repeatLimit = limit;
  timer->funcName = std::move(func);
  timer->scriptGroupId = group;
  timer->threadIndex = thread;
  return timer;
}

// "htTestStartTimer": a one-shot timer of period 1 calling "inner" in the caller.
void host_TestStartTimer(script::ThreadIndex thread, script::GroupId group) {
  xTimerManager::getInstance()->add(scriptTimer(1, 1, "inner", group, thread));
}
// "htTestStartBreeder": an endless timer of period 1 calling "breed", which starts two more.
void host_TestStartBreeder(script::ThreadIndex thread, script::GroupId group) {
  xTimerManager::getInstance()->add(scriptTimer(1, xTimer::kEndless, "breed", group, thread));
}
void host_TestClearTimers(script::ThreadIndex, script::GroupId) { xTimerManager::getInstance()->clear(); }
// "htTestAgain"(period): a one-shot timer of that period calling "again" (period 1) or "again2".
void host_TestAgain(script::ThreadIndex thread, script::GroupId group) {
  std::int32_t period = xScriptManager::getInstance()->getScriptGroup(group)->getParamAsInt(thread, 0);
  xTimerManager::getInstance()->add(
      scriptTimer(static_cast<std::uint32_t>(period), 1, period == 1 ? "again" : "again2", group, thread));
}
// "htTestFork": a one-shot timer of period 1 calling "fork", which starts two of them.
int gForks = 0;
void host_TestFork(script::ThreadIndex thread, script::GroupId group) {
  ++gForks;
  xTimerManager::getInstance()->add(scriptTimer(1, 1, "fork", group, thread));
}

constexpr const char* kScript = R"(
host htTestStartTimer();
host htTestClearTimers();
host htTestStartBreeder();
host htTestAgain(period);
host htTestFork();
func tick() { print("tick"); }
func outer() { print("outer"); htTestStartTimer(); }
func inner() { print("inner"); }
func wipe() { print("wipe"); htTestClearTimers(); }
func breed() { htTestStartBreeder(); htTestStartBreeder(); }
func again() { print("again"); htTestAgain(1); }
func again2() { print("again2"); htTestAgain(2); }
func fork() { htTestFork(); htTestFork(); }
)";

class TimerTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    gCallbacks = 0;
    startEngine();
    xHostAPIManager::resetForTests();
    xHostAPIManager::getInstance()->addFunc("htTestStartTimer", host_TestStartTimer);
    xHostAPIManager::getInstance()->addFunc("htTestClearTimers", host_TestClearTimers);
    xHostAPIManager::getInstance()->addFunc("htTestStartBreeder", host_TestStartBreeder);
    xHostAPIManager::getInstance()->addFunc("htTestAgain", host_TestAgain);
    xHostAPIManager::getInstance()->addFunc("htTestFork", host_TestFork);
    gForks = 0;
  }
  void TearDown() override {
    CoreTest::TearDown();
    xHostAPIManager::resetForTests();
  }
  void loadScript() {
    dir_.write("timers.vkscript", kScript);
    engine::clearPathCache();
    group_ = xScriptManager::getInstance()->addScriptGroup();
    thread_ = xScriptManager::getInstance()->loadScript(group_, "timers.vkscript");
    ASSERT_NE(thread_, script::kNoThread);
  }
  // Log lines equal to [line] so far.
  int lines(const std::string& line) const {
    std::string log = "\n" + dir_.read("log.txt");
    int n = 0;
    for (std::size_t at = log.find("\n" + line + "\n"); at != std::string::npos;
         at = log.find("\n" + line + "\n", at + 1)) {
      ++n;
    }
    return n;
  }

  xTimerManager* timers() { return xTimerManager::getInstance(); }
  script::GroupId group_ = script::kNoGroup;
  script::ThreadIndex thread_ = script::kNoThread;
};

TEST_F(TimerTest, FiresWhenTheCountReachesThePeriodAndGoesWithItsLastFiring) {
  timers()->add(plainTimer(3, 2));
  timers()->add(plainTimer(0, 5));                // never fires
  timers()->add(plainTimer(4, xTimer::kEndless));  // until cleared
  std::vector<int> afterUpdate;
  for (int i = 1; i <= 8; ++i) {
    timers()->update();
    afterUpdate.push_back(gCallbacks);
    if (i == 1) {
      EXPECT_EQ(timers()->size(), 2u) << "the stopped timer goes at the first update";
    }
    if (i == 6) {
      EXPECT_EQ(timers()->size(), 1u) << "gone in the update of its last firing";
    }
  }
  // Period 3 fires at 3 and 6, the endless one at 4 and 8.
  EXPECT_EQ(afterUpdate, (std::vector<int>{0, 0, 1, 2, 2, 3, 3, 4}));
  timers()->clear();
  timers()->update();
  EXPECT_EQ(gCallbacks, 4);
  EXPECT_EQ(timers()->size(), 0u);
}

TEST_F(TimerTest, ScriptTimersCallTheirThreadAndAFailedCallStopsThem) {
  loadScript();
  timers()->add(scriptTimer(2, 3, "tick", group_, thread_));
  timers()->add(scriptTimer(1, xTimer::kEndless, "noSuchFunction", group_, thread_));
  timers()->add(scriptTimer(1, xTimer::kEndless, "tick", script::GroupId{99}, thread_));
  timers()->add(scriptTimer(1, 4, "", group_, thread_));  // fires silently
  timers()->update();
  EXPECT_EQ(timers()->size(), 2u) << "both failing timers are removed in their first firing";
  EXPECT_EQ(lines("tick"), 0);
  for (int i = 2; i <= 4; ++i) timers()->update();
  EXPECT_EQ(lines("tick"), 2);
  EXPECT_EQ(timers()->size(), 1u) << "the silent timer ran out at its fourth firing";
  for (int i = 5; i <= 7; ++i) timers()->update();
  EXPECT_EQ(lines("tick"), 3);
  EXPECT_EQ(timers()->size(), 0u);
}

TEST_F(TimerTest, ATimerStartedInsideACallIsFirstSteppedInTheNextFrame) {
  loadScript();
  timers()->add(scriptTimer(2, 2, "outer", group_, thread_));
  timers()->update();
  timers()->update();
  EXPECT_EQ(lines("outer"), 1);
  EXPECT_EQ(lines("inner"), 0);
  EXPECT_EQ(timers()->size(), 2u);
  timers()->update();
  EXPECT_EQ(lines("inner"), 1) << "its period of 1 counted from the frame after it started";
  EXPECT_EQ(timers()->size(), 1u);
  for (int i = 0; i < 4; ++i) timers()->update();
  EXPECT_EQ(lines("outer"), 2);
  EXPECT_EQ(lines("inner"), 2);
  EXPECT_EQ(timers()->size(), 0u);
}

TEST_F(TimerTest, TimersThatStartThemselvesAgainFireOncePerPeriod) {
  loadScript();
  timers()->add(scriptTimer(1, 1, "again", group_, thread_));
  timers()->add(scriptTimer(2, 1, "again2", group_, thread_));
  std::vector<int> once, everyOther;
  for (int i = 0; i < 6; ++i) {
    timers()->update();  // stepping its own successor in the same walk, period 1 never ended the frame
    once.push_back(lines("again"));
    everyOther.push_back(lines("again2"));
  }
  EXPECT_EQ(once, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(everyOther, (std::vector<int>{0, 1, 1, 2, 2, 3}));
  EXPECT_EQ(timers()->size(), 2u);
}

TEST_F(TimerTest, ClearingFromInsideACallStopsEveryTimerSafely) {
  loadScript();
  timers()->add(scriptTimer(1, xTimer::kEndless, "tick", group_, thread_));
  timers()->add(scriptTimer(2, 1, "wipe", group_, thread_));
  timers()->add(scriptTimer(1, xTimer::kEndless, "tick", group_, thread_));
  timers()->update();
  EXPECT_EQ(lines("tick"), 2);
  timers()->update();  // the first ticks, then "wipe" clears all; the third is stopped before its turn
  EXPECT_EQ(lines("wipe"), 1);
  EXPECT_EQ(lines("tick"), 3);
  timers()->update();
  EXPECT_EQ(timers()->size(), 0u);
  EXPECT_EQ(lines("tick"), 3);
}

TEST_F(TimerTest, TimersThatStartTimersAreHeldAtTheCapWithOneLogLine) {
  loadScript();
  const std::string capLine = "xTimerManager::add: " + std::to_string(xTimerManager::kMaxTimers) +
                              " timers running, no more are started";
  // Each "fork" fires once and starts two: doubling every frame up to the cap.
  timers()->add(scriptTimer(1, 1, "fork", group_, thread_));
  for (int frame = 1; frame <= 30; ++frame) {
    std::size_t before = timers()->size();
    int forks = gForks;
    timers()->update();
    ASSERT_EQ(gForks - forks, 2 * static_cast<int>(before)) << "every live timer fired once in frame " << frame;
    ASSERT_LE(timers()->size(), xTimerManager::kMaxTimers);
    if (frame > 12) {
      ASSERT_GE(timers()->size(), xTimerManager::kMaxTimers - 1) << "held at the cap in frame " << frame;
    }
  }
  EXPECT_EQ(lines(capLine), 1) << "one line while the starts are refused";

  // Endless breeders fill the cap and stay; cleared, the cap is reported anew.
  timers()->clear();
  timers()->add(scriptTimer(1, xTimer::kEndless, "breed", group_, thread_));
  for (int i = 0; i < 10; ++i) timers()->update();
  EXPECT_EQ(timers()->size(), xTimerManager::kMaxTimers);
  EXPECT_EQ(lines(capLine), 2);
  timers()->update();
  EXPECT_EQ(lines(capLine), 2);
}

}  // namespace
