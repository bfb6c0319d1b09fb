// The sea's clock over whole days, its colours at fixed hours as drawn, glitter, and an inert sea without its image.
#include "stg/sea_simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "tests/stg/background_fixture.h"

namespace {

using stg::SeaSimulation;

constexpr float kFrame = 1.0f / 60;
constexpr std::size_t kQuadsByDay = 1 + 4 + 15 * 15 + 1;  // sky, sun and moon with glows, sea, sea glow

class SeaTest : public stg::test::BackgroundTest {
 protected:
  // A sea stopped at [hours]: one update without time passing.
  void stopAt(SeaSimulation& sea, float hours) {
    sea.time = hours;
    sea.speed = 1;
    sea.step(0, 0);
  }
};

TEST_F(SeaTest, StartTimesOutsideADayWrapIntoIt) {
  for (auto [configured, expected] : {std::pair{30.0f, 6.0f}, {-3.0f, 21.0f}, {24.0f, 0.0f}, {NAN, 0.0f}}) {
    hge_->Ini_SetFloat("STG", "SeaSimulationTimeStart", configured);
    SeaSimulation sea(hge_);
    ASSERT_TRUE(sea.initSeaSimulation());
    EXPECT_FLOAT_EQ(sea.startTime, expected) << configured;
    EXPECT_FLOAT_EQ(sea.time, expected) << configured;
  }
}

TEST_F(SeaTest, TheClockRunsAWholeDayForwardAndBackward) {
  for (float speed : {1.44f, -1.44f}) {  // 0.024 hours a frame: a day in 1000 frames
    SeaSimulation sea(hge_);
    ASSERT_TRUE(sea.initSeaSimulation());
    ASSERT_FLOAT_EQ(sea.time, 14);
    sea.speed = speed;
    std::set<int> slots;
    for (int frame = 0; frame < 1000; ++frame) {
      sea.step(kFrame, 0);
      ASSERT_GE(sea.time, 0) << frame;
      ASSERT_LT(sea.time, 24) << frame;
      ASSERT_EQ(sea.seqId, int(sea.time / 3)) << sea.time;
      slots.insert(sea.seqId);
    }
    EXPECT_EQ(slots.size(), 8u);
    EXPECT_NEAR(sea.time, 14, 0.01) << speed;
  }
}

TEST_F(SeaTest, MidnightIsCrossedOnceAndLongStallsWrap) {
  SeaSimulation sea(hge_);
  ASSERT_TRUE(sea.initSeaSimulation());
  sea.time = 23.995f;
  sea.speed = 0.6f;  // 0.01 hours a frame
  sea.step(kFrame, 0);
  EXPECT_NEAR(sea.time, 0.005, 1e-4);
  sea.time = 14;
  sea.speed = 0.02f;
  sea.step(1000, 0);  // 20 hours in one update
  EXPECT_NEAR(sea.time, 10, 1e-3);
  EXPECT_EQ(sea.seqId, 3);
  sea.speed = -0.02f;
  sea.step(50000, 0);  // a thousand hours back
  EXPECT_NEAR(sea.time, 18, 1e-2);
}

TEST_F(SeaTest, NoonAsDrawn) {
  SeaSimulation sea(hge_);
  ASSERT_TRUE(sea.initSeaSimulation());
  stopAt(sea, 12);
  auto quads = capture([&] { sea.renderSeaSimulation(); });
  ASSERT_EQ(quads.size(), kQuadsByDay);  // no stars by day
  // The day's colours, top to bottom.
  EXPECT_EQ(quads[0].v[0].col, 0xFF89B9D0u);
  EXPECT_EQ(quads[0].v[3].col, 0xFFCAD7DBu);
  // The sun at its height, at 0.7 of its size: 114 texels about a hot spot of 57.
  EXPECT_NEAR(quads[2].v[0].x, 400 - 57 * 0.7, 1e-3);
  EXPECT_NEAR(quads[2].v[0].y, 88 - 57 * 0.7, 1e-3);
  EXPECT_NEAR(quads[2].v[2].x, 400 + 57 * 0.7, 1e-3);
  // The moon is below the sea and fully transparent, not a wrapped colour word.
  EXPECT_EQ(quads[3].v[0].col, 0x00FFFFFFu);
  EXPECT_EQ(quads[4].v[0].col, 0x00FFFFFFu);
  EXPECT_NEAR(quads[4].v[0].y, 776 - 40 * 1.3, 1e-3);  // largest when lowest
  // The water starts at 360 with the day's sea colour.
  EXPECT_FLOAT_EQ(quads[5].v[0].y, 360);
  EXPECT_EQ(quads[5].v[0].col, 0xFF86A2ADu);
}

TEST_F(SeaTest, GlitterLightsTheTwoColumnsAroundTheSun) {
  SeaSimulation sea(hge_);
  ASSERT_TRUE(sea.initSeaSimulation());
  stopAt(sea, 12);  // sun at x 400: columns 7 and 8 (53 texels each)
  const hgeDistortionMesh& mesh = *sea.mesh();
  const DWORD seaTop = 0xFF86A2AD;
  for (int col = 0; col < SeaSimulation::kMeshNodes; ++col) {
    if (col == 7 || col == 8) continue;
    EXPECT_EQ(mesh.GetColor(col, 0), seaTop) << col;
  }
  // White sunlight: 0.14 x (1 - 29 / 53) on column 7, 0.14 x (1 - 24 / 53) on 8, in every channel.
  hgeColorRGB left(mesh.GetColor(7, 0)), right(mesh.GetColor(8, 0)), base(seaTop);
  EXPECT_NEAR(left.r - base.r, 0.14 * (1 - 29.0 / 53), 1.5 / 255);
  EXPECT_NEAR(right.b - base.b, 0.14 * (1 - 24.0 / 53), 1.5 / 255);
  EXPECT_EQ(left.a, 1.0f);  // clamped
  // Odd rows keep their plain row colour.
  EXPECT_EQ(mesh.GetColor(7, 1), mesh.GetColor(0, 1));

  stopAt(sea, 5);  // between the moon's and the sun's glitter, and no sea glow
  for (int col = 0; col < SeaSimulation::kMeshNodes; ++col) {
    EXPECT_EQ(mesh.GetColor(col, 0), mesh.GetColor(0, 0)) << col;
  }
  auto quads = capture([&] { sea.renderSeaSimulation(); });
  EXPECT_EQ(quads.back().v[0].col >> 24, 0u);
}

TEST_F(SeaTest, StarsShineAtNightFadingTowardsTheSea) {
  SeaSimulation sea(hge_);
  ASSERT_TRUE(sea.initSeaSimulation());
  stopAt(sea, 0);
  auto quads = capture([&] { sea.renderSeaSimulation(); });
  ASSERT_EQ(quads.size(), kQuadsByDay + SeaSimulation::kStars);
  for (int i = 0; i < SeaSimulation::kStars; ++i) {
    const SeaSimulation::Star& star = sea.stars[i];
    float alpha = float(quads[1 + i].v[0].col >> 24) / 255;
    float top = 1 - star.y / 324;
    EXPECT_GE(alpha, top * 0.6f - 1.0f / 255) << i;
    EXPECT_LE(alpha, top + 1.0f / 255) << i;
  }
}

TEST_F(SeaTest, WithoutItsImageTheSeaStaysInert) {
  std::filesystem::remove("data/graphic/objects.png");
  engine::clearPathCache();
  SeaSimulation sea(hge_);
  EXPECT_FALSE(sea.initSeaSimulation());
  sea.enableSeaSimulation();
  sea.time = 3;
  sea.speed = 1;
  sea.step(60, 0);
  EXPECT_EQ(sea.time, 3);
  EXPECT_EQ(sea.mesh(), nullptr);
  EXPECT_TRUE(capture([&] { sea.renderSeaSimulation(); }).empty());
}

}  // namespace
