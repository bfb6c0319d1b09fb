// The enemy manager: creates enemies by id, updates and draws them, tests the player's shots against them, counts kills.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "gfx/hgeRect.h"
#include "gfx/xSprite.h"
#include "stg/xEnemy.h"

// Single instance, made on first use. Scripts hold enemies by the id
// creation returns; ids are never reused, so an id of a deleted enemy reads
// as gone: operations on it do nothing and getters give their defaults.
//
// Scripts run from inside the walks (bound and die functions, and a hit
// that kills). They may create enemies, which are appended and walked in
// the same pass, and remove them: an enemy removed during a walk is only
// marked, skipped from then on and deleted when the outermost walk ends.
class xSourceManager {
 public:
  static constexpr std::int32_t kNoSource = -1;
  // Far above any stage (a wave is a handful); each enemy holds two
  // particle systems, over 100 KB, so a script creating enemies without end
  // would run out of memory in minutes.
  static constexpr std::size_t kMaxSources = 1024;

  static xSourceManager* getInstance();
  // Tests: deletes the instance and its enemies.
  static void resetForTests();

  // A new enemy drawn with the script sprite [spriteIndex] cut to the
  // texture rectangle, at ([x], [y]), waiting [delay] frames (0: for ever).
  // kNoSource, and nothing made, when no script sprite has the index, or at
  // kMaxSources enemies (logged once until an update ends below the cap
  // with nothing refused since the last one).
  std::int32_t createSourceWithSprite(int spriteIndex, float tx, float ty, float tw, float th, float x, float y,
                                      int life, int delay);
  // The same with the image file [file].
  std::int32_t createSourceWithSpritePath(const std::string& file, float tx, float ty, float tw, float th, float x,
                                          float y, int life, int delay);

  // 400 and 300 when no enemy has the id.
  float getSourceX(std::int32_t id) const;
  float getSourceY(std::int32_t id) const;
  // From frame [start] to [start] + [frames]; 1 frame or fewer places it at once.
  void moveSourceTo(std::int32_t id, float x, float y, int start, int frames);
  void setSourceMovementRect(std::int32_t id, float lx, float ly, float lw, float lh, float rx, float ry, float rw,
                             float rh);
  // Calls [name] every [interval] + 1 frames, [count] + 1 times (0xFFFFFFFF
  // without end) with (id, x, y, interval x calls made).
  void bindScriptFuncToSource(std::int32_t id, const std::string& name, int interval, int count);
  // Calls [name] with (x, y) when shots kill the enemy.
  void bindDieFuncToSource(std::int32_t id, const std::string& name);
  // A column of [frames] cells from ([x], [y]), each [h] below the last.
  void setSourceAttackAnim(std::int32_t id, float x, float y, float w, float h, int frames);
  void setSourceAttackedAnim(std::int32_t id, float x, float y, float w, float h, int frames);
  void setSourceLife(std::int32_t id, int life);
  // The enemy fades out (dead, unscored) after [frames] more updates.
  void setSourceLifeFrame(std::int32_t id, int frames);
  void fadeSourceIn(std::int32_t id, int frames);
  void removeSource(std::int32_t id);
  // Calls [shoot] with the enemy's position (its sprite's when it has one);
  // false, without calling, when no enemy has the id.
  bool insertBulletVec(std::int32_t id, const std::function<void(float x, float y)>& shoot) const;
  void setSourceSpeed(std::int32_t id, float vx, float vy);
  // Components 0..1.
  void setSourceColor(std::int32_t id, float r, float g, float b, float a);
  void setSourceDeflection(std::int32_t id, float deflection, int duration, int start);

  // Once per frame in a stage: counts the dead, deletes those 60 frames
  // dead or outside moveRect, updates the others.
  void update();
  void render();
  // A player shot or bomb at ([x], [y]): the first enemy it meets takes the
  // hit; true when one did.
  bool testPlayerBulletHit(float x, float y, float damage);
  // Every enemy goes; the counters stay.
  void clear();
  // Killed / created; 0 before any was created.
  float getDefeatRate() const;

  // The enemy with [id], null when none (or removed during a walk).
  xEnemy* findSource(std::int32_t id) const;
  // Enemies in the list, those removed during a walk not counted.
  std::size_t sourceCount() const;

  std::vector<std::unique_ptr<xEnemy>> sources;
  std::unique_ptr<xSprite> defaultSprite;
  hgeRect moveRect{130, -60, 660, 650};
  std::int32_t nextId = 0;
  std::int32_t created = 0;
  std::int32_t killed = 0;
  HGE* hge;

 private:
  xSourceManager();
  ~xSourceManager();
  std::int32_t addSource(std::unique_ptr<xEnemy> enemy, float tw, float th, float x, float y, int life, int delay);
  void addColumnAnim(std::int32_t id, std::int32_t anim, float x, float y, float w, float h, int frames,
                     std::uint32_t length);
  // Deletes at once outside a walk, marks inside one.
  void discard(xEnemy& enemy);
  void endWalk();
  bool refuseAtCap();
  int walkDepth_ = 0;
  bool capReported_ = false;
  bool refusedSinceUpdate_ = false;
};
