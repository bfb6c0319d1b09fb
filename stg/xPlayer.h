// The player's ship: moved by keys with a slow mode, shoots by power, bombs, dies with a bomb window, respawns, runs out of lives.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/hge.h"
#include "gfx/hgeParticleSystem.h"
#include "gfx/hgeSprite.h"
#include "gfx/shared_texture.h"
#include "gfx/xSprite.h"
#include "gfx/xSpriteCharac.h"
#include "stg/mBulletManager.h"

// Single instance, made on first use and kept for the run. The ship takes
// part in a stage from create() on ("in play": created, with a sprite);
// only then is it updated, drawn and hit. Its shots and bombs live in its
// own bullet manager. Scripts read and set lives, bombs and power through
// the player host functions; the state machine resets it between stages.
class xPlayer {
 public:
  static constexpr float kMaxPower = 6.0f;
  static constexpr std::int32_t kBombFrames = 210;
  static constexpr std::int32_t kBombWindow = 20;   // frames after a hit in which a bomb saves the ship
  static constexpr std::int32_t kRespawnFrame = 60;  // the ship comes back on the next frame
  static constexpr std::int32_t kInvincibleFrames = 120;
  static constexpr std::int32_t kNoControlFrames = 30;
  // The ship's image and poses: standing, then moving left and right.
  static constexpr const char* kShipImage = "player.png";
  static constexpr float kShipW = 32, kShipH = 48;
  // Where the ship enters and respawns: from below the field to its place.
  static constexpr float kStartX = 400, kEnterY = 650, kStartY = 520;

  static xPlayer* getInstance();
  // Tests: deletes the instance.
  static void resetForTests();

  // The ship's position; (400, 300) without a ship.
  float getX() const;
  float getY() const;
  bool inPlay() const { return created && sprite != nullptr; }
  bool dying() const { return deathCount != -1; }
  bool bombing() const { return bombCount != -1; }
  // The critical probability, doubled while the critical-doubling item runs.
  float criticalChance() const;

  // The ship takes part in the stage, entering from below the field; as
  // after a respawn it cannot be steered for the first 30 frames. Reads the
  // critical settings and the seven keys again; restarts the combo.
  void create();
  // Kills the shots; clears death, bomb, invincibility, blinking and the
  // critical doubling; the ship and the point marker look as new.
  void reset();
  // Stage start and its retry.
  void saveStageStartValues();
  void restoreStageStartValues();
  // A new game: lives, bombs and power from the configuration.
  void resetPower();
  // Capped at 6.
  void addPower(float value);

  // From enemy bullets, enemy bodies and the boss body. Ignored unless the
  // ship is in play, and while invincible, dying or bombing.
  void hit();
  void loseLife();
  // Once per frame in a stage, and in the scenes shown over it.
  void update();
  // The shots, then the ship.
  void render();
  // The bomb's cover, picture and shock, over the whole scene while a bomb runs.
  void renderBombCutIn();
  void move();
  void shoot();
  void shootBullet(float tx, float ty, float tw, float th, float x, float y, float vx, float vy, float damage);
  void shootBomb(float x, float y, float vx, float vy, float damage);

  struct StageValues {
    std::int32_t lives = 0, bombs = 0, counterA = 0, counterB = 0;
    float power = 0;
  };

  HGE* hge;
  std::int32_t lives, bombs;
  std::int32_t counterA = 0, counterB = 0;  // kept with the stage-start values
  float power;
  bool invincible;  // [STG] ILoveRuvo: never hit
  StageValues stageStart;
  std::int32_t shotType = 0;  // 0 spread, 1 centre only, 2 weaving
  std::unique_ptr<xSpriteCharac> sprite;
  std::unique_ptr<xSprite> pointSprite;
  std::unique_ptr<mBulletManager> shots;
  std::int32_t fireTimer = 0, soundTimer = 0;
  std::int32_t deathCount = -1, invincibleCount = -1, blinkCount = -1;
  std::int32_t entryCount = -1;  // frames since the stage entry began; -1 none
  std::int32_t dimmed = 0;  // the blink's grey phase
  std::unique_ptr<xSprite> bombPicture, blackCover, shockSprite;
  std::int32_t bombCount = -1, bombDuration = kBombFrames;
  gfx::SharedTexture particleTexture;
  std::unique_ptr<hgeSprite> dieCell;
  std::unique_ptr<hgeParticleSystem> dieParticles;
  bool showPoint;
  bool created = false;
  bool slowMode = false;
  std::unique_ptr<xSprite> pointMarker;
  std::int32_t criticalX2Frames = 300, criticalX2Count = -1;
  float criticalProb;
  std::int32_t keyShoot = 0, keyBomb = 0, keySlow = 0, keyUp = 0, keyDown = 0, keyLeft = 0, keyRight = 0;
  float normalAttack, trackingAttack, normalAttack2;
  HEFFECT flameSound = 0;
  float weavePhase = 0;  // degrees, the weaving shots' phase

 private:
  xPlayer();
  ~xPlayer();
  void readKeys();
  void startBomb();
  void updateBomb();
  void updateDeath();
  void respawn();
  void restoreLooks();
  void fire();
};
