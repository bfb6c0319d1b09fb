// Random numbers: inclusive bounds, swapped bounds, the whole int range, determinism.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>

#include "engine/random.h"

namespace {

TEST(Random, IntsStayInsideInclusiveBoundsAndReachBothEnds) {
  engine::Random random;
  random.seed(1);
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    int v = random.intIn(-2, 3);
    ASSERT_GE(v, -2);
    ASSERT_LE(v, 3);
    seen.insert(v);
  }
  EXPECT_EQ(seen, (std::set<int>{-2, -1, 0, 1, 2, 3}));
  EXPECT_EQ(random.intIn(7, 7), 7);
  EXPECT_EQ(random.intIn(INT_MIN, INT_MIN), INT_MIN);
}

TEST(Random, SwappedBoundsMeanTheSameRange) {
  engine::Random random;
  random.seed(2);
  std::set<int> seen;
  for (int i = 0; i < 500; ++i) seen.insert(random.intIn(5, 2));
  EXPECT_EQ(seen, (std::set<int>{2, 3, 4, 5}));
}

TEST(Random, WholeIntRangeWithoutOverflow) {
  engine::Random random;
  random.seed(3);
  bool negative = false, positive = false;
  for (int i = 0; i < 200; ++i) {
    int v = random.intIn(INT_MIN, INT_MAX);
    negative |= v < 0;
    positive |= v > 0;
    int w = random.intIn(INT_MAX, INT_MIN + 1);
    EXPECT_NE(w, INT_MIN);
    int x = random.intIn(INT_MAX - 1, INT_MAX);
    EXPECT_GE(x, INT_MAX - 1);
  }
  EXPECT_TRUE(negative && positive);
}

TEST(Random, IntsAreNotBiasedTowardLowValues) {
  // With a span of 3 * 2^30, a plain modulo would favour the low third 2:1.
  engine::Random random;
  random.seed(4);
  const int top = int(std::int64_t(INT_MIN) + 3LL * (1 << 30) - 1);
  int low = 0;
  const int draws = 30000;
  for (int i = 0; i < draws; ++i) low += random.intIn(INT_MIN, top) < INT_MIN + (1 << 30);
  EXPECT_NEAR(double(low) / draws, 1.0 / 3.0, 0.02);
}

TEST(Random, FloatsFollowMinPlusUTimesSpan) {
  engine::Random random;
  random.seed(5);
  double sum = 0;
  for (int i = 0; i < 10000; ++i) {
    float v = random.floatIn(1.0f, 2.0f);
    ASSERT_GE(v, 1.0f);
    ASSERT_LT(v, 2.0f);
    float w = random.floatIn(10.0f, -10.0f);
    ASSERT_GT(w, -10.0f);
    ASSERT_LE(w, 10.0f);
    sum += v;
  }
  EXPECT_NEAR(sum / 10000, 1.5, 0.02);
  EXPECT_EQ(random.floatIn(3.0f, 3.0f), 3.0f);
  float wide = random.floatIn(-3.4e38f, 3.4e38f);
  EXPECT_TRUE(wide >= -3.4e38f && wide < 3.4e38f);
}

TEST(Random, TheSameSeedGivesTheSameSequence) {
  engine::Random a, b, c;
  a.seed(42);
  b.seed(42);
  c.seed(43);
  int differences = 0;
  for (int i = 0; i < 100; ++i) {
    int va = a.intIn(0, 1000000);
    EXPECT_EQ(va, b.intIn(0, 1000000));
    EXPECT_EQ(a.floatIn(0, 1), b.floatIn(0, 1));
    differences += va != c.intIn(0, 1000000);
    c.floatIn(0, 1);
  }
  EXPECT_GT(differences, 90);
  a.seed(42);
  b.seed(42);
  EXPECT_EQ(a.intIn(INT_MIN, INT_MAX), b.intIn(INT_MIN, INT_MAX));
}

}  // namespace
