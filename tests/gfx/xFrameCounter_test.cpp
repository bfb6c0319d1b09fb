// Firing sequences of the frame counter.
#include "gfx/xFrameCounter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> run(xFrameCounter& c, int steps) {
  std::vector<int32_t> states;
  for (int i = 0; i < steps; ++i) {
    c.step();
    states.push_back(c.state);
  }
  return states;
}

TEST(xFrameCounterTest, OneShotFiresOnceAfterLimitPlusOneStepsThenTurnsOff) {
  xFrameCounter c;
  c.start(3, false);
  EXPECT_EQ(run(c, 7), (std::vector<int32_t>{1, 1, 1, 0, 2, 2, 2}));
  EXPECT_EQ(c.limit, 0u);
}

TEST(xFrameCounterTest, RepeatingFiresEveryLimitPlusOneSteps) {
  xFrameCounter c;
  c.start(2, true);
  EXPECT_EQ(run(c, 9), (std::vector<int32_t>{1, 1, 0, 1, 1, 0, 1, 1, 0}));
  // Limit 1 alternates; the counter never sticks in the fired state.
  c.start(1, true);
  EXPECT_EQ(run(c, 4), (std::vector<int32_t>{1, 0, 1, 0}));
}

TEST(xFrameCounterTest, LimitZeroIsOffAtOnceAndNeverCounts) {
  xFrameCounter c;
  c.start(0, true);
  EXPECT_EQ(run(c, 3), (std::vector<int32_t>{2, 2, 2}));
  EXPECT_EQ(c.count, 0u);
  // A limit near the top of the unsigned range counts instead of wrapping into a firing.
  c.start(0xFFFFFFFFu, false);
  c.count = 0xFFFFFFFEu;
  EXPECT_EQ(run(c, 2), (std::vector<int32_t>{1, 0}));
}

}  // namespace
