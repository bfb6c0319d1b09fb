// A 2D particle emitter described by a 128-byte particle file (".psi").
#pragma once

#include <cstddef>
#include <string>

#include "engine/hge.h"
#include "gfx/hgeColor.h"
#include "gfx/hgeRect.h"
#include "gfx/hgeSprite.h"
#include "gfx/hgeVector.h"

// The emitter description. In the file it is 128 little-endian bytes at
// fixed offsets (see parseParticleFile); the first 4 bytes are a slot the
// file does not use, filled with the sprite given to the system instead.
// DO NOT REORDER the file offsets: particle files store them.
struct hgeParticleSystemInfo {
  hgeSprite* sprite = nullptr;  // not owned
  int nEmission = 0;            // particles per second
  float fLifetime = 0;          // seconds; -1 = endless
  float fParticleLifeMin = 0, fParticleLifeMax = 0;
  float fDirection = 0, fSpread = 0;  // radians
  bool bRelative = false;             // direction relative to the emitter's movement
  float fSpeedMin = 0, fSpeedMax = 0;
  float fGravityMin = 0, fGravityMax = 0;
  float fRadialAccelMin = 0, fRadialAccelMax = 0;
  float fTangentialAccelMin = 0, fTangentialAccelMax = 0;
  float fSizeStart = 0, fSizeEnd = 0, fSizeVar = 0;
  float fSpinStart = 0, fSpinEnd = 0, fSpinVar = 0;
  hgeColorRGB colColorStart;  // a negative r keeps the sprite's colour and animates alpha only
  hgeColorRGB colColorEnd;
  float fColorVar = 0, fAlphaVar = 0;
};

constexpr std::size_t kParticleFileSize = 128;

// Reads the description field by field from [size] bytes; false (nothing
// written) when fewer than 128 bytes are given. Bytes past 128 are ignored.
[[nodiscard]] bool parseParticleFile(const unsigned char* data, std::size_t size, hgeParticleSystemInfo& info);

struct hgeParticle {
  hgeVector vecLocation;
  hgeVector vecVelocity;
  float fGravity = 0;
  float fRadialAccel = 0;
  float fTangentialAccel = 0;
  float fSpin = 0, fSpinDelta = 0;
  float fSize = 0, fSizeDelta = 0;
  hgeColorRGB colColor, colColorDelta;
  float fAge = 0, fTerminalAge = 0;
};

// The owner moves and fires it, calls Update with the frame time and Render
// once per drawn frame. Particles live in a fixed array: no allocation per
// particle, and a dying particle is replaced by the last live one. A system
// whose file could not be read stays inert: it emits and draws nothing.
class hgeParticleSystem {
 public:
  static constexpr int kMaxParticles = 500;
  static constexpr float kStopped = -2;
  static constexpr float kEndless = -1;

  // Reads [filename] through the engine's resource loader (a name read
  // before is a lookup); [sprite] is not owned and must outlive the system.
  hgeParticleSystem(const char* filename, hgeSprite* sprite);
  ~hgeParticleSystem();
  hgeParticleSystem(const hgeParticleSystem&) = delete;
  hgeParticleSystem& operator=(const hgeParticleSystem&) = delete;

  void Fire();
  // [killParticles] also removes the live particles at once.
  void Stop(bool killParticles = false);
  void FireAt(float x, float y);
  // [moveParticles] shifts the live particles with the emitter; without it
  // a stopped emitter also moves its previous location, so a restart leaves
  // no trail.
  void MoveTo(float x, float y, bool moveParticles = false);
  // [dt] in seconds.
  void Update(float dt);
  void Render();

  bool loaded() const { return loaded_; }
  int GetParticlesAlive() const { return nParticlesAlive; }
  const hgeParticle& particle(int i) const { return particles_[i]; }
  float GetAge() const { return fAge; }

  // Tests: forget the particle files read so far.
  static void forgetCachedFiles();

  hgeParticleSystemInfo info;
  float fAge = kStopped;
  float fEmissionResidue = 0;
  hgeVector vecPrevLocation;
  hgeVector vecLocation;
  float fTx = 0, fTy = 0;  // render offset
  float fScale = 1;        // render scale
  int nParticlesAlive = 0;
  hgeRect rectBoundingBox;
  bool bUpdateBoundingBox = false;

 private:
  void updateParticles(float dt);
  void emit(int count);

  static HGE* hge_;
  bool loaded_ = false;
  hgeParticle particles_[kMaxParticles];
};
