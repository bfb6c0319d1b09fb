// The pick-ups of a stage: icons that rise, fall and are collected near the player for their bonus.
#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "engine/hge.h"
#include "gfx/hgeRect.h"
#include "gfx/shared_texture.h"
#include "gfx/xSprite.h"
#include "stg/xMovement.h"

namespace stg {

enum class ItemKind : std::int32_t {
#define ITEM_KIND(name, number, cellX, text, colour) name = number,
#include "stg/item_kinds.def"
#undef ITEM_KIND
};

struct Item {
  ItemKind kind;
  std::unique_ptr<xSprite> sprite;  // cut to the kind's cell
  float x = 0, y = 0;
  xMovement movement;
  std::int32_t collectTimer = -1;  // frames since collection; -1 before
};

}  // namespace stg

// Single instance (getInstance), never destroyed in a run. An item starts
// rising at 2 pixels per frame, slows under gravitation and falls back; it
// goes when it leaves the play field. While the player is in play, an item
// whose centre enters the 40 x 40 square around the player is collected
// once: it gives its bonus with a floating text, fades and grows for 20
// frames and goes.
class xItemManager {
 public:
  static constexpr std::int32_t kCollectFrames = 20;
  static constexpr float kCollectHalfSize = 20;

  static xItemManager* getInstance();
  // Tests: destroy the instance so the next getInstance builds a fresh one.
  static void resetForTests();

  // Kinds other than 1..5 make nothing.
  void addItem(int kind, float x, float y);
  void clear();
  void update();
  void render();

  gfx::SharedTexture texture;  // "items.png"; empty when it failed to load
  HGE* hge;
  std::list<stg::Item> items;  // in the order added
  hgeRect field;               // the play field when the manager was made

 private:
  xItemManager();
  ~xItemManager();
  // The kind's bonus and its floating text.
  void collect(stg::Item& item);
};
