// Particle files, emission counts, expiry, the cap, the order of random draws and drawing.
#include "gfx/hgeParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "engine/headless/headless.h"
#include "engine/platform.h"
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr float kDt = 1.0f / 60;

// A particle file of 128 bytes from [info] (the first 4 bytes left 0xEE
// to show they are ignored).
std::string fileBytes(const hgeParticleSystemInfo& info) {
  std::string out(128, '\0');
  std::memset(out.data(), 0xEE, 4);
  auto put = [&](int offset, auto value) { std::memcpy(out.data() + offset, &value, 4); };
  put(4, static_cast<std::int32_t>(info.nEmission));
  put(8, info.fLifetime);
  put(12, info.fParticleLifeMin);
  put(16, info.fParticleLifeMax);
  put(20, info.fDirection);
  put(24, info.fSpread);
  out[28] = info.bRelative ? 1 : 0;
  const float rest[] = {info.fSpeedMin, info.fSpeedMax, info.fGravityMin, info.fGravityMax,
                        info.fRadialAccelMin, info.fRadialAccelMax, info.fTangentialAccelMin,
                        info.fTangentialAccelMax, info.fSizeStart, info.fSizeEnd, info.fSizeVar,
                        info.fSpinStart, info.fSpinEnd, info.fSpinVar, info.colColorStart.r,
                        info.colColorStart.g, info.colColorStart.b, info.colColorStart.a,
                        info.colColorEnd.r, info.colColorEnd.g, info.colColorEnd.b, info.colColorEnd.a,
                        info.fColorVar, info.fAlphaVar};
  for (int i = 0; i < 24; ++i) put(32 + 4 * i, rest[i]);
  return out;
}

hgeParticleSystemInfo longLived(int perSecond, float lifetime = -1) {
  hgeParticleSystemInfo info;
  info.nEmission = perSecond;
  info.fLifetime = lifetime;
  info.fParticleLifeMin = info.fParticleLifeMax = 100;
  info.fSizeStart = info.fSizeEnd = 1;
  info.colColorStart = info.colColorEnd = {1, 1, 1, 1};
  return info;
}

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
  std::unique_ptr<hgeParticleSystem> make(const hgeParticleSystemInfo& info, const std::string& name = "p.psi") {
    dir_.write(name, fileBytes(info));
    engine::clearPathCache();
    return std::make_unique<hgeParticleSystem>(name.c_str(), sprite_.get());
  }
  std::vector<int> aliveOverUpdates(hgeParticleSystem& ps, int updates) {
    std::vector<int> alive;
    for (int i = 0; i < updates; ++i) {
      ps.Update(kDt);
      alive.push_back(ps.GetParticlesAlive());
    }
    return alive;
  }

  ScopedTempDir dir_;
  std::unique_ptr<hgeSprite> sprite_;
};

TEST_F(ParticleTest, FileIsReadFieldByFieldAndAShortFileLeavesTheSystemInert) {
  hgeParticleSystemInfo in;
  in.nEmission = -7;
  in.fLifetime = 1.5f;
  in.fParticleLifeMin = 2;
  in.fParticleLifeMax = 3;
  in.fDirection = 4;
  in.fSpread = 5;
  in.bRelative = true;
  in.fSpeedMin = 6;
  in.fTangentialAccelMax = 13;
  in.fSizeStart = 14;
  in.fSpinVar = 19;
  in.colColorStart = {20, 21, 22, 23};
  in.colColorEnd = {24, 25, 26, 27};
  in.fColorVar = 28;
  in.fAlphaVar = 29;
  std::string bytes = fileBytes(in);
  hgeParticleSystemInfo out;
  ASSERT_TRUE(parseParticleFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out));
  EXPECT_EQ(out.sprite, nullptr);
  EXPECT_EQ(out.nEmission, -7);
  EXPECT_EQ(out.fLifetime, 1.5f);
  EXPECT_EQ(out.fParticleLifeMax, 3);
  EXPECT_EQ(out.fSpread, 5);
  EXPECT_TRUE(out.bRelative);
  EXPECT_EQ(out.fSpeedMin, 6);
  EXPECT_EQ(out.fTangentialAccelMax, 13);
  EXPECT_EQ(out.fSizeStart, 14);
  EXPECT_EQ(out.fSpinVar, 19);
  EXPECT_EQ(out.colColorStart.a, 23);
  EXPECT_EQ(out.colColorEnd.r, 24);
  EXPECT_EQ(out.fColorVar, 28);
  EXPECT_EQ(out.fAlphaVar, 29);
  EXPECT_FALSE(parseParticleFile(reinterpret_cast<const unsigned char*>(bytes.data()), 127, out));

  dir_.write("short.psi", fileBytes(longLived(600)).substr(0, 127));
  engine::clearPathCache();
  hgeParticleSystem inert("short.psi", sprite_.get());
  EXPECT_FALSE(inert.loaded());
  inert.FireAt(10, 10);
  inert.Update(kDt);
  EXPECT_EQ(inert.GetParticlesAlive(), 0);
  EXPECT_TRUE(capture([&] { inert.Render(); }).empty());
  EXPECT_NE(dir_.read("log.txt").find("short.psi"), std::string::npos);
  hgeParticleSystem missing("none.psi", sprite_.get());
  EXPECT_FALSE(missing.loaded());
}

TEST_F(ParticleTest, ThirtyPerSecondAlternatesZeroAndOneAndAnEndlessEmitterRunsUntilStopped) {
  auto ps = make(longLived(30));
  ps->Fire();
  EXPECT_EQ(ps->GetAge(), -1);
  EXPECT_EQ(aliveOverUpdates(*ps, 8), (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 4}));
  EXPECT_EQ(ps->GetAge(), -1);
  ps->Stop(false);
  EXPECT_EQ(aliveOverUpdates(*ps, 3), (std::vector<int>{4, 4, 4}));
  // A timed emitter stops itself when its lifetime is reached.
  auto timed = make(longLived(60, 0.04f), "timed.psi");
  timed->Fire();
  EXPECT_EQ(aliveOverUpdates(*timed, 5), (std::vector<int>{1, 2, 2, 2, 2}));
  EXPECT_EQ(timed->GetAge(), hgeParticleSystem::kStopped);
}

TEST_F(ParticleTest, ParticlesExpireAndStopWithKillRemovesThemAtOnce) {
  hgeParticleSystemInfo info = longLived(60);
  info.fParticleLifeMin = info.fParticleLifeMax = 0.04f;  // between 2 and 3 updates
  auto ps = make(info);
  ps->Fire();
  EXPECT_EQ(aliveOverUpdates(*ps, 5), (std::vector<int>{1, 2, 3, 3, 3}));
  ps->Stop(false);
  EXPECT_EQ(aliveOverUpdates(*ps, 3), (std::vector<int>{2, 1, 0}));
  ps->Fire();
  aliveOverUpdates(*ps, 3);
  ps->Stop(true);
  EXPECT_EQ(ps->GetParticlesAlive(), 0);
}

TEST_F(ParticleTest, AtTheCapNoParticleIsMadeButTheResidueIsStillConsumed) {
  auto ps = make(longLived(100000));
  ps->Fire();
  ps->Update(kDt);
  EXPECT_EQ(ps->GetParticlesAlive(), hgeParticleSystem::kMaxParticles);
  float needed = 100000 * kDt;
  EXPECT_FLOAT_EQ(ps->fEmissionResidue, needed - std::nearbyint(needed));
  ps->Update(kDt);
  EXPECT_EQ(ps->GetParticlesAlive(), hgeParticleSystem::kMaxParticles);
  EXPECT_LT(std::fabs(ps->fEmissionResidue), 1.0f);
}

TEST_F(ParticleTest, NewParticlesDrawTheirRandomNumbersInTheFixedOrder) {
  hgeParticleSystemInfo info = longLived(60);
  info.fParticleLifeMin = 1;
  info.fParticleLifeMax = 2;
  info.fDirection = 0.5f;
  info.fSpread = 1;
  info.fSpeedMin = 10;
  info.fSpeedMax = 20;
  info.fGravityMin = 30;
  info.fGravityMax = 40;
  info.fRadialAccelMin = 50;
  info.fRadialAccelMax = 60;
  info.fTangentialAccelMin = 70;
  info.fTangentialAccelMax = 80;
  info.fSizeStart = 1;
  info.fSizeEnd = 3;
  info.fSizeVar = 0.5f;
  info.fSpinStart = 4;
  info.fSpinEnd = 8;
  info.fSpinVar = 1;
  info.colColorStart = {0.1f, 0.2f, 0.3f, 0.4f};
  info.colColorEnd = {0.5f, 0.6f, 0.7f, 0.8f};
  info.fColorVar = 1;
  info.fAlphaVar = 0.5f;
  auto ps = make(info);
  ps->FireAt(100, 200);
  hge_->Random_Seed(99);
  ps->Update(kDt);
  ASSERT_EQ(ps->GetParticlesAlive(), 1);

  hge_->Random_Seed(99);
  auto r = [&](float lo, float hi) { return hge_->Random_Float(lo, hi); };
  float life = r(1, 2);
  float along = r(0, 1);
  float x = 100 + 0 * along + r(-2, 2);
  float y = 200 + r(-2, 2);
  float angle = 0.5f - 3.1415927f / 2 + r(0, 1) - 0.5f;
  float speed = r(10, 20);
  float gravity = r(30, 40), radial = r(50, 60), tangential = r(70, 80);
  float size = r(1, 2), spin = r(4, 8);
  float cr = r(0.1f, 0.5f), cg = r(0.2f, 0.6f), cb = r(0.3f, 0.7f), ca = r(0.4f, 0.6f);

  const hgeParticle& p = ps->particle(0);
  EXPECT_FLOAT_EQ(p.fTerminalAge, life);
  EXPECT_FLOAT_EQ(p.vecLocation.x, x);
  EXPECT_FLOAT_EQ(p.vecLocation.y, y);
  EXPECT_NEAR(p.vecVelocity.x, std::cos(angle) * speed, 1e-4);
  EXPECT_NEAR(p.vecVelocity.y, std::sin(angle) * speed, 1e-4);
  EXPECT_FLOAT_EQ(p.fGravity, gravity);
  EXPECT_FLOAT_EQ(p.fRadialAccel, radial);
  EXPECT_FLOAT_EQ(p.fTangentialAccel, tangential);
  EXPECT_FLOAT_EQ(p.fSize, size);
  EXPECT_FLOAT_EQ(p.fSizeDelta, (3 - size) / life);
  EXPECT_FLOAT_EQ(p.fSpin, spin);
  EXPECT_FLOAT_EQ(p.colColor.r, cr);
  EXPECT_FLOAT_EQ(p.colColor.g, cg);
  EXPECT_FLOAT_EQ(p.colColor.b, cb);
  EXPECT_FLOAT_EQ(p.colColor.a, ca);
  EXPECT_FLOAT_EQ(p.colColorDelta.a, (0.8f - ca) / life);
}

TEST_F(ParticleTest, RenderColoursEachParticleAndGivesTheSpriteItsColourBack) {
  hgeParticleSystemInfo info = longLived(60);
  info.colColorStart = info.colColorEnd = {1, 0.5f, 0, 1};
  auto ps = make(info);
  sprite_->SetColor(0x40123456);
  ps->FireAt(50, 50);
  ps->Update(kDt);
  std::vector<hgeQuad> quads = capture([&] { ps->Render(); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].v[0].col, 0xFFFF8000u);  // 0.5 x 255 rounds up
  EXPECT_EQ(quads[0].blend, 0);
  EXPECT_EQ(sprite_->GetColor(3), 0x40123456u);

  // A negative start red keeps the sprite's colour and animates the alpha only.
  hgeParticleSystemInfo alphaOnly = info;
  alphaOnly.colColorStart = {-1, 0, 0, 0.5f};
  alphaOnly.colColorEnd = {-1, 0, 0, 0.5f};
  auto ghost = make(alphaOnly, "ghost.psi");
  ghost->FireAt(50, 50);
  ghost->Update(kDt);
  quads = capture([&] { ghost->Render(); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].v[2].col, 0x80123456u);
}

}  // namespace
