// The scripts' sprite table: sprites under ids the scripts choose, stepped once per frame, deletable frames ahead.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gfx/xFrameCounter.h"
#include "gfx/xSprite.h"

// Made on first use and kept for the run. An id stays known after its
// sprite is deleted (findSprite then answers null).
class xSpriteManager {
 public:
  static xSpriteManager* getInstance();
  // Tests: drops the instance and its sprites.
  static void resetForTests();

  // Replaces (destroying) a sprite already under [id].
  void addSprite(int id, const std::string& imageName);
  // Null for an unknown id and for a deleted sprite.
  xSprite* findSprite(int id) const;
  // At ([x], [y]) with the sprite's rotation and scales, not its position;
  // nothing while its alpha is 0.
  void renderSpriteAt(int id, float x, float y);
  void deleteSprite(int id);
  // Deletes whatever sprite holds [id] once, on the update [frames] + 1
  // updates from now, then forgets the request: repeating it would delete
  // sprites a script adds later under the same id.
  void deleteSpriteEx(int id, std::uint32_t frames);
  // Steps every sprite, then the scheduled deletions.
  void update();

  std::size_t pendingDeleteCount() const { return pendingDeletes_.size(); }

 private:
  xSpriteManager() = default;

  struct PendingDelete {
    int id;
    xFrameCounter counter;
  };
  std::vector<PendingDelete> pendingDeletes_;
  std::map<int, std::unique_ptr<xSprite>> sprites_;  // a null entry: deleted
};
