// Particle files, emission counts, expiry, the cap, the order of random draws and drawing.
#include "gfx/hgeParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr float kDt = 1.0f / 60;

// Field offsets of the particle file, in file order after the emission rate and before the flag.
struct Psi {
  std::int32_t emission = 60;
  float head[5] = {-1, 100, 100, 0, 0};  // lifetime, life min, life max, direction, spread
  bool relative = false;
  float tail[24] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0,  // speed .. spin var
                    1, 1, 1, 1, 1, 1, 1, 1, 0, 0};           // colours, colour var, alpha var

  std::string bytes() const {
    std::string out(128, '\xEE');  // bytes 0-3 stay 0xEE: ignored
    std::memcpy(&out[4], &emission, 4);
    std::memcpy(&out[8], head, sizeof head);
    out[28] = relative ? 1 : 0;
    std::memcpy(&out[32], tail, sizeof tail);
    return out;
  }
};

class ParticleTest : public gfx::test::HeadlessEngineTest {
 protected:
  void SetUp() override {
    HeadlessEngineTest::SetUp();
    hgeParticleSystem::forgetCachedFiles();
    xLogFile::resetForTests();
    sprite_ = std::make_unique<hgeSprite>(makeTexture(32, 32), 0, 0, 32, 32);
  }
  void TearDown() override {
    sprite_.reset();
    HeadlessEngineTest::TearDown();
  }
  std::unique_ptr<hgeParticleSystem> make(const std::string& bytes, const std::string& name) {
    dir_.write(name, bytes);
    engine::clearPathCache();
    return std::make_unique<hgeParticleSystem>(name.c_str(), sprite_.get());
  }
  static std::vector<int> alive(hgeParticleSystem& ps, int updates) {
    std::vector<int> counts;
    for (int i = 0; i < updates; ++i) {
      ps.Update(kDt);
      counts.push_back(ps.GetParticlesAlive());
    }
    return counts;
  }

  ScopedTempDir dir_;
  std::unique_ptr<hgeSprite> sprite_;
};

TEST_F(ParticleTest, FileIsReadAtItsOffsetsAndAShortFileLeavesTheSystemInert) {
  Psi psi;
  psi.emission = -7;
  psi.head[4] = 5;      // spread
  psi.relative = true;
  psi.tail[0] = 6;      // speed min, offset 32
  psi.tail[13] = 19;    // spin var, offset 84
  psi.tail[17] = 23;    // start alpha, offset 100
  psi.tail[23] = 29;    // alpha var, offset 124
  std::string bytes = psi.bytes();
  hgeParticleSystemInfo info;
  auto data = reinterpret_cast<const unsigned char*>(bytes.data());
  ASSERT_TRUE(parseParticleFile(data, 128, info));
  EXPECT_EQ(info.sprite, nullptr);
  EXPECT_EQ(info.nEmission, -7);
  EXPECT_EQ(info.fSpread, 5);
  EXPECT_TRUE(info.bRelative);
  EXPECT_EQ(info.fSpeedMin, 6);
  EXPECT_EQ(info.fSpinVar, 19);
  EXPECT_EQ(info.colColorStart.a, 23);
  EXPECT_EQ(info.fAlphaVar, 29);
  EXPECT_FALSE(parseParticleFile(data, 127, info));

  auto inert = make(Psi{}.bytes().substr(0, 127), "short.psi");
  EXPECT_FALSE(inert->loaded());
  inert->FireAt(10, 10);
  inert->Update(kDt);
  EXPECT_EQ(inert->GetParticlesAlive(), 0);
  EXPECT_TRUE(capture([&] { inert->Render(); }).empty());
  EXPECT_NE(dir_.read("log.txt").find("short.psi"), std::string::npos);
}

TEST_F(ParticleTest, ThirtyPerSecondAlternatesZeroAndOneAndStoppedSystemsLetParticlesFinish) {
  Psi endless;
  endless.emission = 30;
  auto ps = make(endless.bytes(), "endless.psi");
  ps->Fire();
  EXPECT_EQ(alive(*ps, 8), (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 4}));  // 0.5 rounds to even
  EXPECT_EQ(ps->GetAge(), -1);

  Psi brief;  // one particle a frame, each living between 2 and 3 updates
  brief.head[1] = brief.head[2] = 0.04f;
  auto expiring = make(brief.bytes(), "brief.psi");
  expiring->Fire();
  EXPECT_EQ(alive(*expiring, 5), (std::vector<int>{1, 2, 3, 3, 3}));
  expiring->Stop(false);
  EXPECT_EQ(alive(*expiring, 3), (std::vector<int>{2, 1, 0}));
  expiring->Fire();
  alive(*expiring, 2);
  expiring->Stop(true);
  EXPECT_EQ(expiring->GetParticlesAlive(), 0);

  Psi flood;  // the cap: no particle beyond 500, the residue consumed all the same
  flood.emission = 100000;
  auto capped = make(flood.bytes(), "flood.psi");
  capped->Fire();
  EXPECT_EQ(alive(*capped, 2), (std::vector<int>{500, 500}));
  EXPECT_LT(std::fabs(capped->fEmissionResidue), 1.0f);
}

TEST_F(ParticleTest, NewParticlesDrawTheirFifteenRandomNumbersInTheFixedOrder) {
  Psi psi;
  float head[5] = {-1, 1, 2, 0.5f, 1};
  std::memcpy(psi.head, head, sizeof head);
  float tail[24] = {10, 20, 30, 40, 50, 60, 70, 80, 1, 3, 0.5f, 4, 8, 1,
                    0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 1, 0.5f};
  std::memcpy(psi.tail, tail, sizeof tail);
  auto ps = make(psi.bytes(), "order.psi");
  ps->FireAt(100, 200);
  hge_->Random_Seed(99);
  ps->Update(kDt);
  ASSERT_EQ(ps->GetParticlesAlive(), 1);

  hge_->Random_Seed(99);
  std::vector<float> r;
  const float ranges[15][2] = {{1, 2},   {0, 1},   {-2, 2},  {-2, 2},  {0, 1},       {10, 20},     {30, 40},   {50, 60},
                               {70, 80}, {1, 2},   {4, 8},   {0.1f, 0.5f}, {0.2f, 0.6f}, {0.3f, 0.7f}, {0.4f, 0.6f}};
  for (const auto& range : ranges) r.push_back(hge_->Random_Float(range[0], range[1]));
  const hgeParticle& p = ps->particle(0);
  float angle = 0.5f - 3.1415927f / 2 + r[4] - 0.5f;
  EXPECT_FLOAT_EQ(p.fTerminalAge, r[0]);
  EXPECT_FLOAT_EQ(p.vecLocation.x, 100 + r[2]);
  EXPECT_FLOAT_EQ(p.vecLocation.y, 200 + r[3]);
  EXPECT_NEAR(p.vecVelocity.x, std::cos(angle) * r[5], 1e-4);
  EXPECT_FLOAT_EQ(p.fGravity, r[6]);
  EXPECT_FLOAT_EQ(p.fTangentialAccel, r[8]);
  EXPECT_FLOAT_EQ(p.fSizeDelta, (3 - r[9]) / r[0]);
  EXPECT_FLOAT_EQ(p.fSpin, r[10]);
  EXPECT_FLOAT_EQ(p.colColor.r, r[11]);
  EXPECT_FLOAT_EQ(p.colColor.a, r[14]);
}

TEST_F(ParticleTest, RenderRoundsEachColourAndGivesTheSpriteItsOwnBack) {
  Psi orange;
  float colours[8] = {1, 0.5f, 0, 1, 1, 0.5f, 0, 1};
  std::memcpy(&orange.tail[14], colours, sizeof colours);
  Psi ghost;  // a negative start red keeps the sprite's colour, animating alpha only
  float ghostly[8] = {-1, 0, 0, 0.5f, -1, 0, 0, 0.5f};
  std::memcpy(&ghost.tail[14], ghostly, sizeof ghostly);
  sprite_->SetColor(0x40123456);
  for (auto [psi, expected] : {std::pair{orange, 0xFFFF8000u}, std::pair{ghost, 0x80123456u}}) {
    hgeParticleSystem::forgetCachedFiles();  // the same name, new bytes
    auto ps = make(psi.bytes(), "colour.psi");
    ps->FireAt(50, 50);
    ps->Update(kDt);
    std::vector<hgeQuad> quads = capture([&] { ps->Render(); });
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].v[2].col, expected);
    EXPECT_EQ(quads[0].blend, 0);
    EXPECT_EQ(sprite_->GetColor(3), 0x40123456u);
  }
}

}  // namespace
