// Floating texts and their manager.
#include "gfx/xFloatingText.h"

#include "base/resource_path.h"
#include "base/saturating.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xFontManager.h"

namespace {

xFloatingTextManager* gFloatingTexts = nullptr;

constexpr int kMoveToFrames = 30;

}  // namespace

xFloatingText::xFloatingText(const std::string& textBytes, const std::string& fontName, int fontSize,
                             DWORD colourWord, float x0, float y0, float x1, float y1, int life, int fadeInFrames,
                             int fadeOutFrames_)
    : x(x0),
      y(y0),
      lifeFrames(life),
      fadeOutFrames(fadeOutFrames_),
      colour(colourWord),
      font(xFontManager::getInstance()->getTTFont(fontName, fontSize)),
      text(StringToWString(textBytes)) {
  if (font) font->colour = colourWord;
  if (life > 0) moveTween.aim(std::uint32_t(life), float(life), x0, y0, x1, y1);
  // Without a fade-in the text shows at once at its own alpha.
  if (fadeInFrames > 0) {
    fadeIn.end = std::uint32_t(fadeInFrames);
    fadeIn.target = colour.a;
    fadeIn.step = colour.a / float(fadeInFrames);
    colour.a = 0;
  }
}

void xFloatingText::moveTo(float toX, float toY) {
  moveTween.reset();
  moveTween.aim(kMoveToFrames, float(kMoveToFrames), x, y, toX, toY);
}

void xFloatingText::update() {
  scaleTween.update();
  if (scaleTween.active && font) font->scale = scaleTween.value;
  moveTween.update();
  if (moveTween.active) {
    x = moveTween.x;
    y = moveTween.y;
  }
  fadeIn.update();
  if (fadeIn.active) colour.a = fadeIn.value;

  const int fadeOutStart = base::subSaturated(lifeFrames, fadeOutFrames);
  if (frame < fadeOutStart) {
    ++frame;
    return;
  }
  if (frame == fadeOutStart && fadeOutFrames > 0) {
    fadeOut.reset();
    fadeOut.end = std::uint32_t(fadeOutFrames);
    fadeOut.value = colour.a;
    fadeOut.target = 0;
    fadeOut.step = -colour.a / float(fadeOutFrames);
  }
  fadeOut.update();
  if (fadeOut.active) colour.a = fadeOut.value;
  if (frame >= lifeFrames) alive = false;
  ++frame;
}

void xFloatingText::render() {
  if (!font) return;
  hgeColorRGB shown = colour;
  shown.Clamp();  // the tweens' last steps may leave the alpha a rounding error outside 0..1
  font->colour = shown.GetHWColor();
  font->Render(x, y, align, text);
}

xFloatingTextManager* xFloatingTextManager::getInstance() {
  if (!gFloatingTexts) gFloatingTexts = new xFloatingTextManager();
  return gFloatingTexts;
}

void xFloatingTextManager::resetForTests() {
  delete gFloatingTexts;
  gFloatingTexts = nullptr;
}

gfx::FloatingTextId xFloatingTextManager::idOf(std::uint32_t slot) const {
  return gfx::FloatingTextId{(std::uint64_t(slots_[slot].generation) << 32) | slot};
}

gfx::FloatingTextId xFloatingTextManager::addText(const std::string& text, const std::string& fontName,
                                                  int fontSize, DWORD colour, float x0, float y0, float x1,
                                                  float y1, int lifeFrames, int fadeInFrames, int fadeOutFrames) {
  std::uint32_t slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    slot = std::uint32_t(slots_.size());
    slots_.emplace_back();
  }
  Slot& s = slots_[slot];
  if (++s.generation == 0) s.generation = 1;  // keeps every id non-zero
  s.text = std::make_unique<xFloatingText>(text, fontName, fontSize, colour, x0, y0, x1, y1, lifeFrames,
                                           fadeInFrames, fadeOutFrames);
  order_.push_back(slot);
  return idOf(slot);
}

xFloatingText* xFloatingTextManager::get(gfx::FloatingTextId id) {
  const auto raw = static_cast<std::uint64_t>(id);
  const auto slot = std::uint32_t(raw & 0xFFFFFFFF);
  if (slot >= slots_.size() || slots_[slot].generation != std::uint32_t(raw >> 32)) return nullptr;
  return slots_[slot].text.get();
}

void xFloatingTextManager::update() {
  std::vector<std::uint32_t> kept;
  kept.reserve(order_.size());
  for (std::uint32_t slot : order_) {
    Slot& s = slots_[slot];
    if (s.text->alive) {
      s.text->update();
      kept.push_back(slot);
    } else {
      s.text.reset();
      freeSlots_.push_back(slot);
    }
  }
  order_.swap(kept);
}

void xFloatingTextManager::render() {
  for (std::uint32_t slot : order_) slots_[slot].text->render();
}
