// The seascape behind a stage: a sky that follows a 24-hour day, stars, sun and moon with glows, waves and glitter.
#include "stg/sea_simulation.h"

#include <algorithm>
#include <cmath>

#include "base/xLogFile.h"
#include "engine/platform.h"

namespace stg {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kOrbitRadius = 344;
constexpr float kOrbitX = 400, kOrbitY = 432;
constexpr float kSeaWidth = 800, kSeaHeight = 240;
constexpr float kSkyWidth = 800, kSkyHeight = 360;
constexpr float kStarFieldHeight = 324;
constexpr float kGlitterColumn = 53;  // about one mesh column (800 / 15)
constexpr int kGlowBlend = BLEND_COLORADD | BLEND_ALPHABLEND;

// The image is named with backslashes as the game always has; the path
// resolver turns them into separators.
constexpr const char* kObjectsImage = "data\\graphic\\objects.png";

// Colours by phase: 0 night, 1 dawn and dusk, 2 day.
constexpr DWORD kSkyTopColors[] = {0xFF15092A, 0xFF6C6480, 0xFF89B9D0};
constexpr DWORD kSkyBottomColors[] = {0xFF303E57, 0xFFAC7963, 0xFFCAD7DB};
constexpr DWORD kSeaTopColors[] = {0xFF3D546B, 0xFF927E76, 0xFF86A2AD};
constexpr DWORD kSeaBottomColors[] = {0xFF1E394C, 0xFF2F4E64, 0xFF2F4E64};
// The phase of each three-hour slot; the ninth entry is only ever "next".
constexpr int kPhaseBySlot[SeaSimulation::kSlots + 1] = {0, 0, 1, 2, 2, 2, 1, 0, 0};

const hgeColorRGB kWhite{1, 1, 1, 1};
const hgeColorRGB kSunset{234 / 255.0f, 225 / 255.0f, 190 / 255.0f, 1};

// The clean colour word of [c]: several formulas leave a channel below 0
// (the moon's by day), which the plain conversion would spill into the next.
DWORD word(hgeColorRGB c) {
  c.Clamp();
  return c.GetHWColor();
}

hgeColorRGB blend(DWORD current, DWORD next, float residue) {
  return hgeColorRGB(next) * residue + hgeColorRGB(current) * (1 - residue);
}

// How far the night is from its edges: 0 at 18:00 and 6:00, 1 at midnight.
// By day (slots 2-5) it goes negative; the moon's colours then clamp.
float nightDepth(float time, std::int32_t seqId) {
  return seqId >= 6 ? std::sin((time - 18) / 6 * kPi / 2) : std::sin((1 - time / 6) * kPi / 2);
}

std::unique_ptr<hgeSprite> cut(HTEXTURE tex, float x, float y, float w, float h, float hotX, float hotY) {
  auto sprite = std::make_unique<hgeSprite>(tex, x, y, w, h);
  sprite->SetHotSpot(hotX, hotY);
  return sprite;
}

}  // namespace

float getTimeOfDayHours() {
  std::tm now = engine::localTime();
  return float(now.tm_hour) + (float(now.tm_min) + float(now.tm_sec) / 60) / 60;
}

float wrapHours(float hours) {
  if (!std::isfinite(hours)) return 0;
  float wrapped = std::fmod(hours, 24.0f);
  if (wrapped < 0) wrapped += 24;
  // A tiny negative remainder plus 24 rounds to 24 itself.
  return wrapped >= 24 ? 0 : wrapped;
}

SeaSimulation::SeaSimulation(HGE* hge) : hge_(hge) {}

SeaSimulation::~SeaSimulation() = default;

bool SeaSimulation::initSeaSimulation() {
  HTEXTURE tex = hge_->Texture_Load(kObjectsImage, 0, false);
  if (!tex) {
    WriteLog("initSeaSimulation: cannot load %s", kObjectsImage);
    return false;
  }
  texture_ = gfx::SharedTexture(tex);
  sky_ = std::make_unique<hgeSprite>(0, 0, 0, kSkyWidth, kSkyHeight);
  sunSprite_ = cut(tex, 81, 0, 114, 114, 57, 57);
  moonSprite_ = cut(tex, 0, 0, 81, 81, 40, 40);
  star_ = cut(tex, 72, 81, 9, 9, 5, 5);
  glow_ = cut(tex, 128, 128, 128, 128, 64, 64);
  glow_->SetBlendMode(kGlowBlend);
  seaGlowSprite_ = cut(tex, 128, 224, 128, 32, 64, 0);
  seaGlowSprite_->SetBlendMode(kGlowBlend);
  makeMesh();

  for (Star& star : stars) {
    star.x = hge_->Random_Float(0, 800);
    star.y = hge_->Random_Float(0, kStarFieldHeight);
    star.scale = hge_->Random_Float(0.1f, 0.7f);
  }
  for (int i = 0; i < kMeshNodes; ++i) wavePhase[i] = float(i) + hge_->Random_Float(-15, 15);

  startTime = wrapHours(hge_->Ini_GetFloat("STG", "SeaSimulationTimeStart", 14.0f));
  speed = hge_->Ini_GetFloat("STG", "SeaSimulationTimeSpeed", 0.02f);
  time = startTime;
  return true;
}

void SeaSimulation::enableSeaSimulation() {
  if (!ready()) return;
  makeMesh();
  speed = hge_->Ini_GetFloat("STG", "SeaSimulationTimeSpeed", 0.02f);
  time = startTime;
}

void SeaSimulation::makeMesh() {
  mesh_ = std::make_unique<hgeDistortionMesh>(kMeshNodes, kMeshNodes);
  mesh_->SetTextureRect(0, 0, kSeaWidth, kSeaHeight);
}

void SeaSimulation::updateSeaSimulation() { step(hge_->Timer_GetDelta(), hge_->Timer_GetTime()); }

void SeaSimulation::step(float deltaSeconds, float now) {
  if (!ready()) return;
  advanceClock(deltaSeconds);
  float slots = time / 3;
  seqId = std::clamp(std::int32_t(slots), 0, kSlots - 1);
  seqResidue = slots - float(seqId);
  float zenith = -(time / 12 * kPi - kPi / 2);
  blendPhases();
  if (starsOut()) placeStars();
  placeSun(zenith);
  placeMoon(zenith);
  placeSeaGlow();
  moveWaves(now);
  glitter();
}

void SeaSimulation::advanceClock(float deltaSeconds) {
  if (speed == 0) {
    time = getTimeOfDayHours();
  } else {
    time = wrapHours(time + deltaSeconds * speed);
  }
}

void SeaSimulation::blendPhases() {
  int current = kPhaseBySlot[seqId], next = kPhaseBySlot[seqId + 1];
  skyTop = blend(kSkyTopColors[current], kSkyTopColors[next], seqResidue);
  skyBottom = blend(kSkyBottomColors[current], kSkyBottomColors[next], seqResidue);
  seaTop = blend(kSeaTopColors[current], kSeaTopColors[next], seqResidue);
  seaBottom = blend(kSeaBottomColors[current], kSeaBottomColors[next], seqResidue);
}

void SeaSimulation::placeStars() {
  float s = nightDepth(time, seqId);
  for (Star& star : stars) star.alpha = (1 - star.y / kStarFieldHeight) * hge_->Random_Float(0.6f, 1.0f) * s;
}

void SeaSimulation::placeSun(float zenith) {
  float a = 0;
  if (seqId == 2) a = std::sin(seqResidue * kPi / 2);
  if (seqId == 5) a = std::cos(seqResidue * kPi / 2);
  if (seqId == 3 || seqId == 4) a = 1;
  sunColor = kWhite * a + kSunset * (1 - a);
  float g = (std::cos(time / 6 * kPi) + 1) * 0.5f;
  sunGlow = seqId >= 2 && seqId <= 6 ? kWhite * g : hgeColorRGB(0, 0, 0, 0);
  sunGlow.a = 1;
  sun.x = std::cos(zenith) * kOrbitRadius + kOrbitX;
  sun.y = std::sin(zenith) * kOrbitRadius + kOrbitY;
  sun.scale = 1 - 0.3f * std::sin((time - 6) / 12 * kPi);
  sun.glowScale = 3 * (1 - g) + 3;
}

void SeaSimulation::placeMoon(float zenith) {
  float a = nightDepth(time, seqId);
  moonColor = kWhite * a + hgeColorRGB(1, 1, 1, 0x20 / 255.0f) * (1 - a);
  moonGlow = hgeColorRGB(1, 1, 1, 0.5f * a);
  moon.x = std::cos(zenith - kPi) * kOrbitRadius + kOrbitX;
  moon.y = std::sin(zenith - kPi) * kOrbitRadius + kOrbitY;
  moon.scale = 1 - 0.3f * std::sin((time + 6) / 12 * kPi);
  moon.glowScale = a * 0.4f + 0.5f;
}

void SeaSimulation::placeSeaGlow() {
  if (time > 19 || time < 4.5f) {
    float intensity = 0.2f;
    if (time > 19 && time < 20) intensity *= time - 19;
    if (time > 3.5f && time < 4.5f) intensity *= 1 - (time - 3.5f);
    seaGlow = moonGlow;
    seaGlow.a = intensity;
    seaGlowX = moon.x;
    seaGlowScaleX = moon.glowScale * 3;
    seaGlowScaleY = moon.glowScale * 2;
  } else if (time > 6.5f && time < 19) {
    float intensity = 0.3f;
    if (time < 7.5f) intensity *= time - 6.5f;
    if (time > 18) intensity *= 1 - (time - 18);
    seaGlow = sunGlow;
    seaGlow.a = intensity;
    seaGlowX = sun.x;
    seaGlowScaleX = sun.glowScale;
    seaGlowScaleY = sun.glowScale * 0.6f;
  } else if (time >= 4.5f && time <= 6.5f) {
    seaGlow.a = 0;
  }
  // At exactly 19 the glow keeps what it had.
}

void SeaSimulation::moveWaves(float now) {
  float t2 = 2 * now;
  for (int i = 1; i < kMeshNodes - 1; ++i) {
    float a = float(i) / 15;
    DWORD rowColor = word(seaTop * (1 - a) + seaBottom * a);
    for (int j = 0; j < kMeshNodes; ++j) {
      mesh_->SetColor(j, i, rowColor);
      float wave = std::sin(wavePhase[i] + (float(j) / 15 - 0.5f) * kPi * 16 - t2);
      mesh_->SetDisplacement(j, i, 0, 20 * a * wave, gfx::kDispNode);
    }
  }
  for (int j = 0; j < kMeshNodes; ++j) {
    mesh_->SetColor(j, 0, word(seaTop));
    mesh_->SetColor(j, kMeshNodes - 1, word(seaBottom));
  }
}

void SeaSimulation::glitter() {
  float intensity = 0, position = 0;
  if (time > 19 || time < 5) {
    intensity = 0.12f;
    if (time > 19 && time < 20) intensity *= time - 19;
    if (time > 4 && time < 5) intensity *= 1 - (time - 4);
    position = moon.x;
  } else if (time > 7 && time < 17) {
    intensity = 0.14f;
    if (time < 8) intensity *= time - 7;
    if (time > 16) intensity *= 1 - (time - 16);
    position = sun.x;
  }
  if (intensity == 0) return;

  int k = int(std::floor(position / kGlitterColumn));
  float left = std::min(1 - (position - kGlitterColumn * float(k)) / kGlitterColumn, 0.7f) * intensity;
  float right = std::min(1 - (kGlitterColumn * float(k + 1) - position) / kGlitterColumn, 0.7f) * intensity;
  for (int i = 0; i < kMeshNodes - 1; i += 2) {
    float fade = 1 - std::sin(float(i) / 15 * kPi / 2);
    // The moon's glitter takes the sun's colour too.
    mesh_->SetColor(k, i, word(hgeColorRGB(mesh_->GetColor(k, i)) + sunColor * (left * fade)));
    mesh_->SetColor(k + 1, i, word(hgeColorRGB(mesh_->GetColor(k + 1, i)) + sunColor * (right * fade)));
  }
}

void SeaSimulation::renderSeaSimulation() {
  if (!ready()) return;
  sky_->SetColor(word(skyTop), 0);
  sky_->SetColor(word(skyTop), 1);
  sky_->SetColor(word(skyBottom), 2);
  sky_->SetColor(word(skyBottom), 3);
  sky_->Render(0, 0);
  if (starsOut()) {
    for (const Star& star : stars) {
      DWORD alpha = DWORD(std::lround(std::clamp(star.alpha, 0.0f, 1.0f) * 255));
      star_->SetColor((alpha << 24) | 0xFFFFFF);
      star_->RenderEx(star.x, star.y, 0, star.scale);
    }
  }
  glow_->SetColor(word(sunGlow));
  glow_->RenderEx(sun.x, sun.y, 0, sun.glowScale);
  sunSprite_->SetColor(word(sunColor));
  sunSprite_->RenderEx(sun.x, sun.y, 0, sun.scale);
  glow_->SetColor(word(moonGlow));
  glow_->RenderEx(moon.x, moon.y, 0, moon.glowScale);
  moonSprite_->SetColor(word(moonColor));
  moonSprite_->RenderEx(moon.x, moon.y, 0, moon.scale);
  mesh_->Render(0, kSeaTop);
  seaGlowSprite_->SetColor(word(seaGlow));
  seaGlowSprite_->RenderEx(seaGlowX, kSeaTop, 0, seaGlowScaleX, seaGlowScaleY);
}

}  // namespace stg
