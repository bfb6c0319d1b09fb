// Firing sequences of the frame counter.
#include "gfx/xFrameCounter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// 1 counting, 0 fired, 2 off, after each step.
TEST(xFrameCounterTest, FiringSequences) {
  struct Case {
    std::uint32_t limit;
    bool repeat;
    std::uint32_t count;  // preset after start
    std::vector<int32_t> states;
  };
  const Case cases[] = {
      {3, false, 0, {1, 1, 1, 0, 2, 2, 2}},  // a one-shot fires once after limit + 1 steps
      {2, true, 0, {1, 1, 0, 1, 1, 0, 1, 1, 0}},
      {1, true, 0, {1, 0, 1, 0}},  // alternates: never sticks in the fired state
      {0, true, 0, {2, 2, 2}},     // off at once, never counting
      // A limit near the top of the unsigned range counts instead of wrapping into a firing.
      {0xFFFFFFFFu, false, 0xFFFFFFFEu, {1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.limit << (c.repeat ? " repeating" : " once"));
    xFrameCounter counter;
    counter.start(c.limit, c.repeat);
    counter.count = c.count;
    std::vector<int32_t> states;
    for (std::size_t i = 0; i < c.states.size(); ++i) {
      counter.step();
      states.push_back(counter.state);
    }
    EXPECT_EQ(states, c.states);
    if (c.limit == 0) {
      EXPECT_EQ(counter.count, 0u);
    }
    if (!c.repeat) {
      EXPECT_EQ(counter.limit, 0u) << "a one-shot turns off";
    }
  }
}

}  // namespace
