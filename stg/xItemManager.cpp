// The pick-ups of a stage: icons that rise, fall and are collected near the player for their bonus.
#include "stg/xItemManager.h"

#include "base/resource_path.h"
#include "base/saturating.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "engine/platform.h"
#include "gfx/xFloatingText.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"

using stg::Item;
using stg::ItemKind;

namespace {

xItemManager* gItems = nullptr;

struct KindRow {
  ItemKind kind;
  float cellX;
  const char* text;
  DWORD colour;
};

constexpr KindRow kKinds[] = {
#define ITEM_KIND(name, number, cellX, text, colour) {ItemKind::name, cellX, text, colour},
#include "stg/item_kinds.def"
#undef ITEM_KIND
};
static_assert(std::size(kKinds) == 5, "scripts drop kinds 1..5");

constexpr float kCellSize = 16;
constexpr float kRiseSpeed = -2;
constexpr float kHeading = 270;  // the field holds radians; the number is what items have always carried
constexpr float kGravitation = 0.05f;
constexpr float kCollectScale = 1.5f;
constexpr float kTextRise = 50;

const KindRow* rowOf(int kind) {
  for (const KindRow& row : kKinds) {
    if (std::int32_t(row.kind) == kind) return &row;
  }
  return nullptr;
}

}  // namespace

xItemManager* xItemManager::getInstance() {
  if (!gItems) gItems = new xItemManager();
  return gItems;
}

void xItemManager::resetForTests() {
  delete gItems;
  gItems = nullptr;
}

xItemManager::xItemManager() : hge(hgeCreate(HGE_VERSION)), field(xSystem::getInstance()->stgRect) {
  std::string path = WStringToString(GetResourcePath("items.png", RES_GRAPHIC));
  HTEXTURE tex = path.empty() ? 0 : hge->Texture_Load(path.c_str(), 0, false);
  if (!tex) {
    engine::messageBox("Error loading item texture", "Fatal Error", 0x10);
    return;
  }
  texture = gfx::SharedTexture(tex);
}

xItemManager::~xItemManager() {
  items.clear();
  texture.reset();
  hge->Release();
}

void xItemManager::addItem(int kind, float x, float y) {
  const KindRow* row = rowOf(kind);
  if (row == nullptr) return;
  Item& item = items.emplace_back();
  item.kind = row->kind;
  item.sprite = std::make_unique<xSprite>(texture, row->cellX, 0, kCellSize, kCellSize);
  item.sprite->setHotSpotCenter();
  item.sprite->setPos(x, y);
  item.x = x;
  item.y = y;
  item.movement.init();
  item.movement.vx = 0;
  item.movement.vy = kRiseSpeed;
  item.movement.heading = kHeading;
  item.movement.gravitation = kGravitation;
  item.movement.gravitationOn = true;
}

void xItemManager::clear() { items.clear(); }

void xItemManager::update() {
  xPlayer* player = xPlayer::getInstance();
  // Nothing is collected while the player is out of play (not made yet,
  // dying, or game over).
  const bool collecting = player->inPlay() && !player->dying();
  const float px = player->getX(), py = player->getY();
  const hgeRect box(px - kCollectHalfSize, py - kCollectHalfSize, px + kCollectHalfSize, py + kCollectHalfSize);
  for (auto it = items.begin(); it != items.end();) {
    Item& item = *it;
    item.movement.step();
    item.x += item.movement.vx;
    item.y += item.movement.vy;
    if (!field.TestPoint(item.x, item.y)) {
      it = items.erase(it);
      continue;
    }
    item.sprite->setPos(item.x, item.y);
    item.sprite->update();
    if (item.collectTimer == -1 && collecting && box.TestPoint(item.x, item.y)) collect(item);
    if (item.collectTimer != -1 && ++item.collectTimer >= kCollectFrames) {
      it = items.erase(it);
      continue;
    }
    ++it;
  }
}

void xItemManager::collect(Item& item) {
  // It stops; gravitation stays on, so it sinks a little while it fades.
  item.movement.vx = item.movement.vy = item.movement.heading = 0;
  item.sprite->fade(kCollectFrames, 0, false, true);
  item.sprite->scaleTo(kCollectFrames, kCollectScale, kCollectScale);
  item.collectTimer = 0;

  xPlayer* player = xPlayer::getInstance();
  switch (item.kind) {
    case ItemKind::POWER: player->addPower(0.1f); break;
    case ItemKind::BOMB: player->bombs = base::addSaturated(player->bombs, 1); break;
    case ItemKind::LIFE: player->lives = base::addSaturated(player->lives, 1); break;
    case ItemKind::HIT_X2:
      xScoreManager::getInstance()->startHitX2();
      xSoundManager::getInstance()->playVoice("wj.wav");
      break;
    case ItemKind::CRITICAL_X2: player->criticalX2Count = 0; break;
  }
  const KindRow* row = rowOf(std::int32_t(item.kind));
  xFloatingTextManager::getInstance()->addText(row->text, "Simhei.ttf", 20, row->colour, item.x, item.y, item.x,
                                               item.y - kTextRise, 60, 20, 20);
}

void xItemManager::render() {
  for (Item& item : items) item.sprite->render();
}
