// The particle emitter: file reading, emission, particle motion and drawing.
#include "gfx/hgeParticleSystem.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>

#include "base/xLogFile.h"

namespace {

constexpr float kPi = 3.1415927f;

std::uint32_t word(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
float floatAt(const unsigned char* data, int offset) { return std::bit_cast<float>(word(data + offset)); }
hgeColorRGB colorAt(const unsigned char* data, int offset) {
  return {floatAt(data, offset), floatAt(data, offset + 4), floatAt(data, offset + 8), floatAt(data, offset + 12)};
}

// Descriptions read so far, by file name: enemies and bombs make systems
// from the same few files all the time.
std::map<std::string, hgeParticleSystemInfo, std::less<>>& fileCache() {
  static std::map<std::string, hgeParticleSystemInfo, std::less<>> cache;
  return cache;
}

// A channel x 255 rounded to nearest, pinned to the byte (colours drift
// outside 0..1 by their variation, and converting those would be undefined).
DWORD channelByte(float channel) {
  float scaled = std::nearbyint(channel * 255.0f);
  if (!(scaled > 0)) return 0;
  return scaled >= 255 ? 255u : static_cast<DWORD>(scaled);
}

}  // namespace

HGE* hgeParticleSystem::hge_ = nullptr;

bool parseParticleFile(const unsigned char* d, std::size_t size, hgeParticleSystemInfo& info) {
  if (d == nullptr || size < kParticleFileSize) return false;
  info.sprite = nullptr;  // bytes 0-3: a slot the file does not use
  info.nEmission = static_cast<std::int32_t>(word(d + 4));
  info.fLifetime = floatAt(d, 8);
  info.fParticleLifeMin = floatAt(d, 12);
  info.fParticleLifeMax = floatAt(d, 16);
  info.fDirection = floatAt(d, 20);
  info.fSpread = floatAt(d, 24);
  info.bRelative = d[28] != 0;
  info.fSpeedMin = floatAt(d, 32);
  info.fSpeedMax = floatAt(d, 36);
  info.fGravityMin = floatAt(d, 40);
  info.fGravityMax = floatAt(d, 44);
  info.fRadialAccelMin = floatAt(d, 48);
  info.fRadialAccelMax = floatAt(d, 52);
  info.fTangentialAccelMin = floatAt(d, 56);
  info.fTangentialAccelMax = floatAt(d, 60);
  info.fSizeStart = floatAt(d, 64);
  info.fSizeEnd = floatAt(d, 68);
  info.fSizeVar = floatAt(d, 72);
  info.fSpinStart = floatAt(d, 76);
  info.fSpinEnd = floatAt(d, 80);
  info.fSpinVar = floatAt(d, 84);
  info.colColorStart = colorAt(d, 88);
  info.colColorEnd = colorAt(d, 104);
  info.fColorVar = floatAt(d, 120);
  info.fAlphaVar = floatAt(d, 124);
  return true;
}

hgeParticleSystem::hgeParticleSystem(const char* filename, hgeSprite* sprite) {
  hge_ = hgeCreate(HGE_VERSION);
  std::string name = filename ? filename : "";
  auto& cache = fileCache();
  auto found = cache.find(name);
  if (found != cache.end()) {
    info = found->second;
    loaded_ = true;
  } else {
    DWORD size = 0;
    void* data = name.empty() ? nullptr : hge_->Resource_Load(name.c_str(), &size);
    loaded_ = parseParticleFile(static_cast<const unsigned char*>(data), data ? size : 0, info);
    if (data) hge_->Resource_Free(data);
    if (loaded_) {
      cache.emplace(name, info);
    } else {
      WriteLog("hgeParticleSystem: cannot load particle file %s", name.c_str());
    }
  }
  info.sprite = sprite;
}

hgeParticleSystem::~hgeParticleSystem() { hge_->Release(); }

void hgeParticleSystem::forgetCachedFiles() { fileCache().clear(); }

void hgeParticleSystem::Fire() { fAge = info.fLifetime == kEndless ? kEndless : 0.0f; }

void hgeParticleSystem::Stop(bool killParticles) {
  fAge = kStopped;
  if (killParticles) {
    nParticlesAlive = 0;
    rectBoundingBox.Clear();
  }
}

void hgeParticleSystem::FireAt(float x, float y) {
  Stop(false);
  MoveTo(x, y, false);
  Fire();
}

void hgeParticleSystem::MoveTo(float x, float y, bool moveParticles) {
  if (moveParticles) {
    float dx = x - vecLocation.x, dy = y - vecLocation.y;
    for (int i = 0; i < nParticlesAlive; ++i) {
      particles_[i].vecLocation.x += dx;
      particles_[i].vecLocation.y += dy;
    }
    vecPrevLocation.x += dx;
    vecPrevLocation.y += dy;
  } else if (fAge == kStopped) {
    vecPrevLocation = {x, y};
  } else {
    vecPrevLocation = vecLocation;
  }
  vecLocation = {x, y};
}

void hgeParticleSystem::Update(float dt) {
  if (!loaded_) return;
  if (fAge >= 0) {
    fAge += dt;
    if (fAge >= info.fLifetime) fAge = kStopped;
  }
  if (bUpdateBoundingBox) rectBoundingBox.Clear();
  updateParticles(dt);
  if (fAge != kStopped) {
    float needed = static_cast<float>(info.nEmission) * dt + fEmissionResidue;
    // Ties to even in float: at 30 per second and 60 updates, 0.5 makes none.
    float count = std::nearbyint(needed);
    fEmissionResidue = needed - count;
    // Never more than the array holds, so the conversion stays defined.
    if (count > 0) emit(static_cast<int>(std::min(count, float(kMaxParticles))));
  }
  vecPrevLocation = vecLocation;
}

void hgeParticleSystem::updateParticles(float dt) {
  for (int i = 0; i < nParticlesAlive;) {
    hgeParticle& p = particles_[i];
    p.fAge += dt;
    if (p.fAge >= p.fTerminalAge) {
      --nParticlesAlive;
      p = particles_[nParticlesAlive];
      continue;  // the moved particle takes this slot's turn
    }
    hgeVector radial = p.vecLocation - vecLocation;
    radial.Normalize();
    hgeVector tangential(-radial.y, radial.x);
    hgeVector accel = radial * p.fRadialAccel + tangential * p.fTangentialAccel;
    p.vecVelocity += accel * dt;
    p.vecVelocity.y += p.fGravity * dt;
    p.vecLocation += p.vecVelocity * dt;
    p.fSpin += p.fSpinDelta * dt;
    p.fSize += p.fSizeDelta * dt;
    p.colColor += p.colColorDelta * dt;
    if (bUpdateBoundingBox) rectBoundingBox.Encapsulate(p.vecLocation.x, p.vecLocation.y);
    ++i;
  }
}

// DO NOT REORDER the random calls: 15 per particle in this order, so a
// seeded run emits the same particles.
void hgeParticleSystem::emit(int count) {
  const hgeParticleSystemInfo& in = info;
  for (int n = 0; n < count && nParticlesAlive < kMaxParticles; ++n) {
    hgeParticle& p = particles_[nParticlesAlive];
    p.fAge = 0;
    p.fTerminalAge = hge_->Random_Float(in.fParticleLifeMin, in.fParticleLifeMax);
    p.vecLocation = vecPrevLocation + (vecLocation - vecPrevLocation) * hge_->Random_Float(0, 1);
    p.vecLocation.x += hge_->Random_Float(-2, 2);
    p.vecLocation.y += hge_->Random_Float(-2, 2);
    float angle = in.fDirection - kPi / 2 + hge_->Random_Float(0, in.fSpread) - in.fSpread / 2;
    if (in.bRelative) angle += (vecPrevLocation - vecLocation).Angle() + kPi / 2;
    p.vecVelocity = hgeVector(std::cos(angle), std::sin(angle)) * hge_->Random_Float(in.fSpeedMin, in.fSpeedMax);
    p.fGravity = hge_->Random_Float(in.fGravityMin, in.fGravityMax);
    p.fRadialAccel = hge_->Random_Float(in.fRadialAccelMin, in.fRadialAccelMax);
    p.fTangentialAccel = hge_->Random_Float(in.fTangentialAccelMin, in.fTangentialAccelMax);
    p.fSize = hge_->Random_Float(in.fSizeStart, in.fSizeStart + (in.fSizeEnd - in.fSizeStart) * in.fSizeVar);
    p.fSizeDelta = (in.fSizeEnd - p.fSize) / p.fTerminalAge;
    p.fSpin = hge_->Random_Float(in.fSpinStart, in.fSpinStart + (in.fSpinEnd - in.fSpinStart) * in.fSpinVar);
    p.fSpinDelta = (in.fSpinEnd - p.fSpin) / p.fTerminalAge;
    const hgeColorRGB& from = in.colColorStart;
    const hgeColorRGB& to = in.colColorEnd;
    p.colColor.r = hge_->Random_Float(from.r, from.r + (to.r - from.r) * in.fColorVar);
    p.colColor.g = hge_->Random_Float(from.g, from.g + (to.g - from.g) * in.fColorVar);
    p.colColor.b = hge_->Random_Float(from.b, from.b + (to.b - from.b) * in.fColorVar);
    p.colColor.a = hge_->Random_Float(from.a, from.a + (to.a - from.a) * in.fAlphaVar);
    p.colColorDelta.r = (to.r - p.colColor.r) / p.fTerminalAge;
    p.colColorDelta.g = (to.g - p.colColor.g) / p.fTerminalAge;
    p.colColorDelta.b = (to.b - p.colColor.b) / p.fTerminalAge;
    p.colColorDelta.a = (to.a - p.colColor.a) / p.fTerminalAge;
    if (bUpdateBoundingBox) rectBoundingBox.Encapsulate(p.vecLocation.x, p.vecLocation.y);
    ++nParticlesAlive;
  }
}

void hgeParticleSystem::Render() {
  hgeSprite* sprite = info.sprite;
  if (!loaded_ || sprite == nullptr) return;
  DWORD remembered = sprite->GetColor(0);
  sprite->SetBlendMode(0);  // colour multiply, additive alpha
  bool alphaOnly = info.colColorStart.r < 0;
  for (int i = 0; i < nParticlesAlive; ++i) {
    const hgeParticle& p = particles_[i];
    const hgeColorRGB& c = p.colColor;
    if (alphaOnly) {
      sprite->SetColor((remembered & 0x00FFFFFF) | channelByte(c.a) << 24);
    } else {
      sprite->SetColor(channelByte(c.a) << 24 | channelByte(c.r) << 16 | channelByte(c.g) << 8 | channelByte(c.b));
    }
    sprite->RenderEx(p.vecLocation.x * fScale + fTx, p.vecLocation.y * fScale + fTy, p.fSpin * p.fAge,
                     p.fSize * fScale);
  }
  sprite->SetColor(remembered);
}
