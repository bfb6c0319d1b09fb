// Text boxes and the manager that keeps the scripts' boxes by index.
#include "gfx/xTextBox.h"

#include <algorithm>

#include "gfx/hgeTTFont.h"
#include "gfx/xFontManager.h"
#include "gfx/xSprite.h"
#include "gfx/xSpriteCharac.h"

namespace {

constexpr std::int32_t kIndicatorAnim = 0;
constexpr int kIndicatorFrames = 30;
// The indicator sits this far above the pen, on the last line's text.
constexpr float kIndicatorRaise = 5;

const hgeColorRGB kWhite(1, 1, 1, 1);

DWORD wordOf(const TextBoxChar& c) { return hgeColorRGB(c.r, c.g, c.b, c.a).GetHWColor(); }

}  // namespace

xTextBox::xTextBox(const gfx::BoxArea& area, const std::string& fontName, int fontSize)
    : engine(hgeCreate(HGE_VERSION)),
      x(area.x),
      y(area.y),
      width(area.width),
      height(area.height),
      font(xFontManager::getInstance()->getTTFont(fontName, fontSize)) {
  revealCounter.start(kRevealFrames, true);
  topColor = bottomColor = font != nullptr ? hgeColorRGB(font->colour) : kWhite;
}

xTextBox::~xTextBox() { engine->Release(); }

void xTextBox::append(const std::wstring& text) {
  // One allocation for a whole text: growing by doubling leaves up to half unused.
  if (chars.capacity() - chars.size() < text.size()) {
    chars.reserve(std::max(chars.size() + text.size(), 2 * chars.size()));
  }
  for (wchar_t unit : text) {
    chars.push_back({unit, topColor.r, topColor.g, topColor.b, fadeInOn ? 0.0f : topColor.a});
  }
  if (!revealOn) shownCount = chars.size();
}

void xTextBox::setText(const std::wstring& text) {
  shownCount = 0;
  chars.clear();
  if (fadeInOn) topColor.a = 0;
  append(text);
  revealCounter.start(kRevealFrames, true);
  setGradient(topColor.GetHWColor(), bottomColor.GetHWColor());
  fadeOutOn = false;
}

void xTextBox::addText(const std::wstring& text) { append(text); }

void xTextBox::setGradient(DWORD top, DWORD bottom) {
  topColor.SetHWColor(top);
  bottomColor.SetHWColor(bottom);
  hgeColorRGB span = bottomColor - topColor;
  float n = static_cast<float>(chars.size());
  for (std::size_t i = 0; i < chars.size(); ++i) {
    hgeColorRGB c = topColor + span * (static_cast<float>(i) / n);
    chars[i].r = c.r;
    chars[i].g = c.g;
    chars[i].b = c.b;
    chars[i].a = fadeInOn ? 0 : c.a;
  }
}

void xTextBox::setFrame(const std::string& imageName, float offsetX, float offsetY) {
  textOffsetX = offsetX;
  textOffsetY = offsetY;
  frameSprite = std::make_unique<xSprite>(imageName);
}

void xTextBox::setIndicator(const std::string& imageName, float w, float h) {
  indicator = std::make_unique<xSpriteCharacWithAnim>(imageName, 0, 0, w, h);
  indicator->addAnim(kIndicatorAnim, kIndicatorFrames);
  for (int i = 0; i < kIndicatorFrames; ++i) indicator->addAnimFrame(kIndicatorAnim, float(i) * w, 0, w, h);
  indicator->playAnim(kIndicatorAnim, kIndicatorFrames, true);
  indicatorOn = true;
}

void xTextBox::moveTo(std::uint32_t frames, float toX, float toY) {
  if (frames == 0) {
    x = toX;
    y = toY;
    moveTween.reset();
    return;
  }
  // A counter already past the end would finish the move at the next
  // update without moving.
  if (moveTween.counter > frames) moveTween.counter = 0;
  moveTween.aim(frames, float(frames), x, y, toX, toY);
}

void xTextBox::Update(float) {
  if (revealOn) {
    revealCounter.step();
    if (revealCounter.state == xFrameCounter::kFired && shownCount < chars.size()) ++shownCount;
  }
  moveTween.update();
  if (moveTween.active) {
    x = moveTween.x;
    y = moveTween.y;
  }
  if (indicatorOn && indicator && isAllShown()) indicator->update();
}

int xTextBox::lineHeight() const { return font != nullptr ? font->GetTextSize(L"A").height : 0; }

int xTextBox::charWidth(wchar_t unit) const {
  return font != nullptr ? font->GetTextSize(std::wstring_view(&unit, 1)).width : 0;
}

void xTextBox::Render() {
  if (frameSprite) {
    frameSprite->setPos(x, y);
    frameSprite->render();
  }
  // Without a font no character draws and no fade shows; the walk then
  // only places the indicator. A box of a million such characters made
  // every frame would otherwise walk them all, frame after frame.
  const bool showsIndicator = indicatorOn && indicator && isAllShown();
  if (font == nullptr && !showsIndicator) return;
  float penX = x + textOffsetX;
  float penY = y + textOffsetY;
  int line = lineHeight();
  for (std::size_t i = 0; i < shownCount && i < chars.size(); ++i) {
    TextBoxChar& c = chars[i];
    if (c.text == L'\n') {
      penX = x + textOffsetX;
      penY += float(line);
      continue;
    }
    if (font != nullptr) {
      font->colour = wordOf(c);
      font->Render(penX, penY, 0, std::wstring_view(&c.text, 1));
    }
    // Once per drawn frame, for shown characters only.
    if (fadeOutOn) {
      c.a = fadeStep >= c.a ? 0 : c.a - fadeStep;
    } else if (fadeInOn) {
      c.a = c.a >= 1 - fadeStep ? 1 : c.a + fadeStep;
    }
    penX += float(charWidth(c.text)) + letterSpacing;
    // The character that crossed the edge is already drawn.
    if (penX > x + width) {
      penX = x + textOffsetX;
      penY += float(line);
      if (penY > y + height) break;
    }
  }
  if (showsIndicator) {
    indicator->setPos(penX, penY - kIndicatorRaise);
    indicator->render();
  }
}

// ---- xTextBoxManager ----

namespace {

std::unique_ptr<xTextBoxManager>& instance() {
  static std::unique_ptr<xTextBoxManager> manager;
  return manager;
}

}  // namespace

xTextBoxManager* xTextBoxManager::getInstance() {
  if (!instance()) instance().reset(new xTextBoxManager());
  return instance().get();
}

void xTextBoxManager::resetForTests() { instance().reset(); }

int xTextBoxManager::createTextBox(const std::string& fontName, const gfx::BoxArea& area, int fontSize) {
  auto box = std::make_unique<xTextBox>(area, fontName, fontSize);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (!boxes[i]) {
      boxes[i] = std::move(box);
      return static_cast<int>(i);
    }
  }
  boxes.push_back(std::move(box));
  return static_cast<int>(boxes.size() - 1);
}

int xTextBoxManager::addTextBox(const std::string& fontName, const gfx::BoxArea& area) {
  return createTextBox(fontName, area, 16);
}

void xTextBoxManager::deleteTextBox(int index) {
  if (getTextBox(index) != nullptr) boxes[static_cast<std::size_t>(index)].reset();
}

xTextBox* xTextBoxManager::getTextBox(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= boxes.size()) return nullptr;
  return boxes[static_cast<std::size_t>(index)].get();
}

void xTextBoxManager::update() {
  for (auto& box : boxes)
    if (box) box->Update(0.0f);
}

void xTextBoxManager::render() {
  for (auto& box : boxes)
    if (box) box->Render();
}
