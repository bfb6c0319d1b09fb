// The boss: a sprite character running its attack scripts one after another in its own script group, with life bar, circles, title and death.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "gfx/hgeColor.h"
#include "gfx/hgeParticleSystem.h"
#include "gfx/hgeSprite.h"
#include "gfx/shared_texture.h"
#include "gfx/xSprite.h"
#include "gfx/xSpriteCharac.h"
#include "gfx/xTextBox.h"
#include "script/runtime/script_ids.h"

// One attack: its script, life, score bonus and whether it is a spell card.
struct xBossAttack {
  std::string file;
  std::uint32_t life = 0;
  std::int32_t spare = 0;  // read from the scripts, never used
  std::int32_t bonus = 0;
  bool spellCard = false;
};

// Single instance, made on first use and kept for the run. A boss exists
// while it has a sprite (from create until it has died or is reset); every
// operation on the boss does nothing without one. Its attack scripts run in
// the boss's own script group: "init" when an attack begins, "update" every
// frame, "render" every drawn frame.
//
// Life: create (fading in, inactive) -> start (active, attack 0) -> life
// below 0 -> "onBossLossLife", 30-frame transition -> next attack ... ->
// after the last, end (dying) -> "onBossDie", reset.
class xBoss {
 public:
  static constexpr std::int32_t kRightAnim = -1;
  static constexpr std::int32_t kLeftAnim = -2;
  static constexpr std::int32_t kIdleAnim = -3;
  static constexpr std::int32_t kDieAnim = 100;
  static constexpr std::int32_t kTransitionFrames = 30;
  static constexpr float kLifeBarWidth = 430;

  static xBoss* getInstance();
  // Tests: deletes the instance and its script group's threads.
  static void resetForTests();

  bool exists() const { return sprite != nullptr; }
  // Active and not dying: it takes hits and its attack runs.
  bool isActive() const { return active && !dying; }
  // The running attack's life while active; 0 otherwise.
  float currentLife() const;
  const xBossAttack* currentAttack() const;

  // A new boss from [imageFile] cut to the rectangle, idling on it over
  // [frames] x 6 frames; the old one, its attacks and its scripts are gone.
  void create(const std::string& name, const std::string& imageFile, float tx, float ty, float tw, float th,
              int frames);
  void addAttackScript(const std::string& file, std::uint32_t life, std::int32_t spare, std::int32_t bonus,
                       bool spellCard);
  // Begins attack 0: loads its script and calls "init".
  void start();
  // From a player shot or bomb; ignored while immortal, inactive or between attacks.
  void hit(float damage);
  // The boss dies (also from scripts, at any time).
  void end();
  void update();
  void render();
  // The life bar and the name, drawn over the enemy bullets.
  void renderOverlay();
  // No boss afterwards.
  void reset();

  // Moves over [frames], playing the left or right animation until it arrives.
  void moveTo(int frames, float x, float y);
  // Animation [id]: [frames] cells in a column from (x, y), frames x 5 long.
  void addAnim(std::int32_t id, float x, float y, float w, float h, int frames);
  void setMovementRect(float x1, float y1, float w1, float h1, int frames1, float x2, float y2, float w2, float h2,
                       int frames2);
  void setDieAnim(float x, float y, float w, float h, int frames);
  // Plays [id] over [duration] frames; [loop] 0 brings the idle animation
  // back after [duration] frames, above 0 loops, below 0 plays once.
  void playAnim(std::int32_t id, int duration, int loop);
  void setPos(float x, float y);
  void setMagicCircleColor(float r, float g, float b, float a);
  void playEnergyAnim(int frames);
  void displayTitle(const std::string& imageFile, int frames);
  void enableMagicCircle(const std::string& imageFile, bool on);
  void setMagicCircleRotation(float speed);
  void setNameboxColor(float r, float g, float b, float a);

  // The boss sprite's centre; false without a boss.
  bool position(float& x, float& y) const;

  std::unique_ptr<xSpriteCharacWithAnim> sprite;
  std::string name;
  float life = 0;
  std::int32_t attackIndex = -1;
  std::vector<xBossAttack> attacks;
  script::GroupId scriptGroup;
  script::ThreadIndex attackThread = script::kNoThread;
  bool active = false;
  std::unique_ptr<xTextBox> nameBox;
  bool spellCard = false;
  std::int32_t energyCount = -1;
  gfx::SharedTexture particleTexture;
  std::unique_ptr<hgeSprite> energyCell, energySCCell, dieCell, criticalCell;
  std::unique_ptr<hgeParticleSystem> energyParticles, energySCParticles, dieParticles, criticalParticles;
  std::unique_ptr<hgeSprite> lifeBar;
  HGE* hge;
  std::int32_t hitSoundCount = 0;  // frames until a hit may sound again
  std::int32_t transitionCount = -1;
  std::unique_ptr<xSprite> circleSprite, redCircleSprite;
  std::int32_t circleCount = -1;
  bool dying = false;
  std::int32_t dyingCount = 0;
  std::int32_t dieFrames = 0;  // 0: no death animation
  bool magicCircleOn = false;
  std::unique_ptr<xSprite> magicCircleSprite;
  hgeColorRGB magicCircleColor{1, 1, 1, 1};
  std::int32_t titleFrames = -1, titleCount = 0;
  std::unique_ptr<xSprite> titleSprite;
  std::int32_t criticalCount = -1;
  bool critical = false;
  std::int32_t moveFrames = -1, moveCount = 0;
  bool immortal = false;
  bool bonusLost = false;  // the player lost a life during this attack
  // Counts creations, so code running after a script callback can tell
  // that the callback made a new boss.
  std::uint32_t generation = 0;

 private:
  xBoss();
  ~xBoss();
  void clearState();
  // Loads attack [index] into the group (dropping the previous attack's
  // thread); false, with the error box, when it cannot be loaded.
  bool loadAttack(std::size_t index);
  void nextAttack();
  void startRings(bool spellCard, std::uint32_t circleFrames);
  void fireEnergy(float dx, float dy);
  void updateAttack();
  void updateDying();
  void callAttack(const char* function);
};
