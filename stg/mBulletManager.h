// Bullet managers: the enemy bullets scripts shoot (gBulletManager) and the player's shots, moved, tested and drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gfx/hgeRect.h"
#include "gfx/xSprite.h"
#include "stg/mBullet.h"

// Where a kind of bullet sits on the bullet sheet (its first cell; colours
// follow to the right) and how large its hit circle is.
struct mBulletIdent {
  float x = 0, y = 0, w = 0, h = 0;
  float radius = 0;
};

// Owns its bullets from addBullet until the update after their `exists`
// went false. There are two: the enemy manager (gBulletManager, reached
// through getInstance) whose bullets come from scripts, and the player's
// own, made with its texture. The enemy manager also keeps the bullet
// identifiers and the current bullet, the one the bullet-setting host
// functions change: the bullet added last, and while update walks the
// bullets, each one in turn (so a function bound to a bullet changes it).
//
// Scripts run from inside update (bound functions, and whatever a hit on
// the player or the boss calls). They may add, clear or kill bullets and
// change the sheet: the walk goes by index re-reading the count, deletes
// only at the start of an update, and an update re-entered from a script
// does nothing (its deletions wait for the next frame's update).
class mBulletManager {
 public:
  static constexpr std::size_t kReservedBullets = 4096;
  // Far above any pattern (stages keep a few thousand); a bound function
  // that shoots bullets bound to itself would otherwise multiply them every
  // few frames until memory runs out. The player's shots leave the screen
  // within a second, a few hundred at most.
  static constexpr std::size_t kMaxEnemyBullets = 10000;
  static constexpr std::size_t kMaxPlayerShots = 10000;

  // Without a sheet until setTexture.
  mBulletManager();
  // With the sheet [textureName] from the graphics folder (the player's manager).
  explicit mBulletManager(const char* textureName);
  ~mBulletManager();
  mBulletManager(const mBulletManager&) = delete;
  mBulletManager& operator=(const mBulletManager&) = delete;

  // The enemy bullet manager, made on first use; also gBulletManager.
  static mBulletManager* getInstance();
  // Tests: deletes the enemy manager and its bullets.
  static void resetForTests();

  // These three always act on the enemy manager. A new sheet empties the
  // identifiers; bullets drawn from the old sheet keep it alive until they go.
  static void setTexture(const std::string& name);
  static void addBulletIdent(std::int32_t identifier, float x, float y, float w, float h, float radius);
  // The identifier's rectangle moved [column] cells right (the column taken
  // unsigned); writes radius squared to [radiusSq]. An unknown identifier
  // is logged and gives an all-zero rectangle, [radiusSq] left alone.
  static mBulletRect getBulletIdentRect(std::int32_t identifier, std::int32_t column, float& radiusSq);

  // Makes the bullet's sprite from the sheet, appends it and makes it
  // current; returns it. Without a sheet the bullet is logged and
  // discarded, nothing is current, and nullptr comes back; the same at the
  // cap, logged once until an update finds room with nothing refused since
  // the last one.
  mBullet* addBullet(std::unique_ptr<mBullet> bullet);
  // True, with addBullet's refusal (log line, nothing current), when no
  // bullet can be added: lets a caller skip building one.
  bool refuseAtCap();
  // Once per frame: deletes dead bullets, then (while active) moves, tests
  // and updates every bullet.
  void update();
  // Every bullet in order, including those that died this frame.
  void render();
  // Fades out every bullet that is not immortal, or every bullet with [force].
  void clearBullets(bool force);
  // Every bullet dies now and is deleted by the update this runs (or, from
  // inside an update, by the next one).
  void killAllBullets();

  // Bullets whose centre leaves it (ends included) die or bounce. Until it
  // is set every bullet dies at its first move, and the log says why once.
  void setScreenRect(float x1, float y1, float x2, float y2);

  mBullet* getCurrent() const { return current_; }
  bool hasTexture() const { return texture_ != nullptr; }
  std::size_t bulletCount() const { return bullets_.size(); }
  mBullet* bulletAt(std::size_t i) const { return i < bullets_.size() ? bullets_[i].get() : nullptr; }

  // Bullets are updated only while set; the state machine toggles it.
  bool active = true;

 private:
  void deleteDeadBullets();
  void updatePlayerShot(mBullet& b);
  void updateEnemyBullet(mBullet& b);
  void testPlayerHit(mBullet& b);
  void moveAndBound(mBullet& b);
  void callBoundFunction(mBullet& b);
  bool inScreen(float x, float y) const;

  std::unique_ptr<xSprite> texture_;
  std::vector<std::unique_ptr<mBullet>> bullets_;
  mBullet* current_ = nullptr;
  hgeRect screenRect_;
  bool screenRectSet_ = false;
  bool screenRectWarned_ = false;
  std::map<std::int32_t, mBulletIdent> identifiers_;
  HGE* hge_;
  int updateDepth_ = 0;
  std::size_t maxBullets_;
  bool capReported_ = false;
  bool refusedSinceUpdate_ = false;
  std::string callName_;  // the bound function's name, copied before the call may rebind it
};

// The enemy bullet manager; null until getInstance (host registration) makes it.
extern mBulletManager* gBulletManager;
