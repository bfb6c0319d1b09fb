// The scripts' sprite table.
#include "gfx/xSpriteManager.h"

#include <algorithm>

namespace {

std::unique_ptr<xSpriteManager>& instance() {
  static std::unique_ptr<xSpriteManager> manager;
  return manager;
}

}  // namespace

xSpriteManager* xSpriteManager::getInstance() {
  if (!instance()) instance().reset(new xSpriteManager());
  return instance().get();
}

void xSpriteManager::resetForTests() { instance().reset(); }

void xSpriteManager::addSprite(int id, const std::string& imageName) {
  sprites_[id] = std::make_unique<xSprite>(imageName);
}

xSprite* xSpriteManager::findSprite(int id) const {
  auto found = sprites_.find(id);
  return found != sprites_.end() ? found->second.get() : nullptr;
}

void xSpriteManager::renderSpriteAt(int id, float x, float y) {
  xSprite* sprite = findSprite(id);
  if (sprite == nullptr || !sprite->sprite || !(sprite->color.a > 0)) return;
  sprite->renderEx(x, y);
}

void xSpriteManager::deleteSprite(int id) {
  auto found = sprites_.find(id);
  if (found != sprites_.end()) found->second.reset();
}

void xSpriteManager::deleteSpriteEx(int id, std::uint32_t frames) {
  PendingDelete pending{id, {}};
  pending.counter.start(frames, false);
  pendingDeletes_.push_back(pending);
}

void xSpriteManager::update() {
  for (auto& [id, sprite] : sprites_)
    if (sprite) sprite->update();
  for (PendingDelete& pending : pendingDeletes_) {
    pending.counter.step();
    if (pending.counter.state == xFrameCounter::kFired) deleteSprite(pending.id);
  }
  // Fired, or never counting (0 frames): done either way.
  std::erase_if(pendingDeletes_, [](const PendingDelete& p) { return p.counter.state != xFrameCounter::kCounting; });
}
