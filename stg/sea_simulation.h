// The seascape behind a stage: a sky that follows a 24-hour day, stars, sun and moon with glows, waves and glitter.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/hge.h"
#include "gfx/hgeColor.h"
#include "gfx/hgeDistortionMesh.h"
#include "gfx/hgeSprite.h"
#include "gfx/shared_texture.h"

namespace stg {

// The local wall clock in hours, 0 <= h < 24.
float getTimeOfDayHours();
// [hours] brought into [0, 24). Not finite gives 0, so a bad configured
// speed or start time cannot push the clock outside the phase table.
float wrapHours(float hours);

// The clock runs in hours: speed hours per second of engine frame time, or
// the local clock when speed is 0. The day is cut into eight three-hour
// slots; each slot blends the colours of its phase into the next slot's.
// The owner steps it once per update and draws it once per drawn frame
// while the sea is enabled; before initSeaSimulation succeeds every call is
// a no-op.
class SeaSimulation {
 public:
  static constexpr int kStars = 100;
  static constexpr int kMeshNodes = 16;  // both ways
  static constexpr int kSlots = 8;       // three hours each
  static constexpr float kSeaTop = 360;  // where the water starts on screen

  struct Star {
    float x = 0, y = 0, scale = 0, alpha = 0;
  };
  // The sun's or the moon's place on its orbit.
  struct Body {
    float x = 0, y = 0, scale = 1, glowScale = 1;
  };

  // Borrows [hge] (the background manager's reference).
  explicit SeaSimulation(HGE* hge);
  ~SeaSimulation();
  SeaSimulation(const SeaSimulation&) = delete;
  SeaSimulation& operator=(const SeaSimulation&) = delete;

  // Loads "data\graphic\objects.png"; false (nothing made) when it fails.
  // Otherwise makes the sprites, mesh, stars and waves and starts the clock
  // at [STG] "SeaSimulationTimeStart".
  [[nodiscard]] bool initSeaSimulation();
  // A fresh flat sea, the speed read again, the clock back at its start.
  void enableSeaSimulation();
  // One update with the engine's frame time and clock.
  void updateSeaSimulation();
  // One update after [deltaSeconds] of frame time at engine time [now].
  void step(float deltaSeconds, float now);
  void renderSeaSimulation();

  bool ready() const { return texture_.get() != 0; }
  // True in the slots where stars and the moon's sky are out.
  bool starsOut() const { return seqId >= 6 || seqId < 2; }
  const hgeDistortionMesh* mesh() const { return mesh_.get(); }

  float time = 0;       // hours, 0 <= time < 24
  float speed = 0;      // hours per second; 0 follows the local clock
  float startTime = 0;  // hours, 0 <= startTime < 24
  std::int32_t seqId = 0;
  float seqResidue = 0;

  hgeColorRGB skyTop, skyBottom, seaTop, seaBottom;
  hgeColorRGB sunColor, sunGlow, moonColor, moonGlow, seaGlow;
  std::array<Star, kStars> stars{};
  std::array<float, kMeshNodes> wavePhase{};
  Body sun, moon;
  float seaGlowX = 0, seaGlowScaleX = 1, seaGlowScaleY = 1;

 private:
  void advanceClock(float deltaSeconds);
  void blendPhases();
  void placeStars();
  void placeSun(float zenith);
  void placeMoon(float zenith);
  void placeSeaGlow();
  void moveWaves(float now);
  void glitter();
  void makeMesh();

  HGE* hge_;
  gfx::SharedTexture texture_;
  std::unique_ptr<hgeSprite> sky_, sunSprite_, moonSprite_, star_, glow_, seaGlowSprite_;
  std::unique_ptr<hgeDistortionMesh> mesh_;
};

}  // namespace stg
