// The visual-novel player: construction, start, advance, the per-frame step, drawing, branches and the end.
#include "avg/xAVG.h"

#include <algorithm>

#include "avg/scene_text.h"
#include "avg/screen_effects.h"
#include "avg/xAVGScriptParser.h"
#include "avg/xAVGSelectionTable.h"
#include "avg/xDefineTable.h"
#include "base/resource_path.h"
#include "core/xInputManager.h"
#include "core/xMenu.h"
#include "core/xSystem.h"
#include "gfx/xSprite.h"
#include "gfx/xTextBox.h"
#include "script/manager/xScriptManager.h"

namespace {

xAVG* gPlayer = nullptr;

constexpr float kFrameSeconds = 1.0f / 60;
constexpr std::uint32_t kTalkerColour = 0xFFFF9000;
constexpr int kConfirmRepeat = 15;
constexpr int kMoveRepeat = 20;
// A choice's order waits from -30 up, one per update, while its menu shows
// without taking input; at -3 the menu takes input.
constexpr std::int32_t kSelectInput = -3;
constexpr int kCoverFadeFrames = 30;

// A held key counts as pressed again every [repeat] + 1 frames, from now.
void armBinding(int action, int repeat) {
  InputBinding* binding = xInputManager::getInstance()->binding(action);
  if (!binding) return;
  binding->keyCount = 1;
  binding->repeatDelay = repeat;
  binding->holdCounter = 0;
}

std::unique_ptr<xTextBox> makeBox(const gfx::BoxArea& area, const std::string& font, int size) {
  return std::make_unique<xTextBox>(area, font, size);
}

// The dialogue boxes reveal and fade in at the configured speeds.
void setUpTextBox(xTextBox& box, const char* frame, int scrollFrames, int fadeFrames, float kerning) {
  box.revealOn = true;
  box.fadeInOn = true;
  box.revealCounter.start(static_cast<std::uint32_t>(std::max(scrollFrames, 0)), true);
  box.fadeFrames = static_cast<std::uint32_t>(std::max(fadeFrames, 0));
  // No fade length makes characters appear at once rather than never.
  box.fadeStep = fadeFrames > 0 ? 1.0f / static_cast<float>(fadeFrames) : 1.0f;
  box.kerningHeight = kerning;
  box.setFrame(frame, 20, 30);
}

void setUpTalkerBox(xTextBox& box) {
  box.setGradient(kTalkerColour, kTalkerColour);
  box.revealOn = false;
  box.fadeInOn = true;
}

}  // namespace

xAVG* xAVG::getInstance() {
  if (!gPlayer) gPlayer = new xAVG();
  return gPlayer;
}

void xAVG::resetForTests() {
  delete gPlayer;
  gPlayer = nullptr;
}

xAVG::xAVG() : hge(hgeCreate(HGE_VERSION)) {
  xSystem* system = xSystem::getInstance();
  const std::string font = system->getConfigString(CFG_STR_AVG_FONT);
  const int size = system->getConfigInt(CFG_AVG_FONT_SIZE);
  const int scroll = system->getConfigInt(CFG_AVG_TEXT_SCROLL_DURATION);
  const int fade = system->getConfigInt(CFG_AVG_TEXT_FADEIN_DURATION);
  const float kerning = hge->Ini_GetFloat("AVG", "FontKerningHeight", -20.0f);

  avgTextBox = makeBox({0, 480, 760, 80}, font, size);
  stgTextBox = makeBox({180, 480, 380, 80}, font, size);
  setUpTextBox(*avgTextBox, "UI/avgtextbox.png", scroll, fade, kerning);
  setUpTextBox(*stgTextBox, "UI/stgtextbox.png", scroll, fade, kerning);
  avgTalkerBox = makeBox({5, 485, 100, 30}, font, size);
  stgTalkerBox = makeBox({185, 485, 100, 30}, font, size);
  setUpTalkerBox(*avgTalkerBox);
  setUpTalkerBox(*stgTalkerBox);

  xDefineTable::getInstance()->load(system->getConfigString(CFG_STR_DEFINE_FILE));
  blackCover = std::make_unique<xSprite>("/se/black.png");
  blackCover->setColor(0x00FFFFFF);
  selectionMenu = std::make_unique<xMenu>(StringToWString(font), 35);
  avgTextBox->setIndicator("endl.png", 30, 30);
  stgTextBox->setIndicator("endl.png", 30, 30);
}

xAVG::~xAVG() {
  reset();
  avgTextBox.reset();
  stgTextBox.reset();
  avgTalkerBox.reset();
  stgTalkerBox.reset();
  selectionMenu.reset();
  blackCover.reset();
  hge->Release();
}

void xAVG::addOrder(xAVGOrderType type) { orders.addOrder(type); }
void xAVG::addOrderParam(const std::string& param) { orders.addParamText(param); }
void xAVG::addOrderParam(int branch) { orders.setBranch(branch); }

void xAVG::buildOrders() {
  reset();
  xAVGScriptParser::getInstance()->buildOrders(orders);
}

void xAVG::reset() {
  orders.reset();
  images.clear();
  effectImages.clear();
  active = false;
}

void xAVG::releaseEffectImages() { effectImages.clear(); }

xAVGOrder* xAVG::currentOrder() { return orders.current(); }

bool xAVG::isTimedEffectOrder(xAVGOrderType type) {
  using T = xAVGOrderType;
  switch (type) {
    case T::SE_OPEN_RIGHT_IN: case T::SE_OPEN_RIGHT_OUT: case T::SE_OPEN_THOUSAND_LEFT_IN:
    case T::SE_OPEN_THOUSAND_RIGHT_IN: case T::SE_OPEN_THOUSAND_RIGHT_OUT: case T::SE_OPEN_THOUSAND_LEFT_OUT:
    case T::SE_FADEOUT: case T::SE_OPENWINDOW:
      return true;
    default:
      return false;
  }
}

bool xAVG::usesAvgBoxes() const {
  // Only a pause over a full-screen scene counts: the previous state is
  // stale in every other state and must not hide a stage scene's text.
  const xSystem* system = xSystem::getInstance();
  GameState state = system->getState();
  return state == STATE_AVG || (state == STATE_PAUSE && system->getPreviousState() == STATE_AVG);
}

xTextBox* xAVG::textBox() const { return usesAvgBoxes() ? avgTextBox.get() : stgTextBox.get(); }
xTextBox* xAVG::talkerBox() const { return usesAvgBoxes() ? avgTalkerBox.get() : stgTalkerBox.get(); }

int xAVG::findImage(const std::string& name) const {
  for (std::size_t i = 0; i < images.size(); ++i)
    if (avg::equalsNoCase(images[i].name, name)) return static_cast<int>(i);
  return -1;
}

void xAVG::start() {
  if (orders.size() == 0) {
    orders.setCurrentIndex(-1);
    handBack();
    return;
  }
  orders.setCurrentIndex(0);
  active = true;
  armBinding(ACTION_SHOOT, kConfirmRepeat);
  armBinding(ACTION_CONFIRM, kConfirmRepeat);
  armBinding(ACTION_DOWN, kMoveRepeat);
  armBinding(ACTION_UP, kMoveRepeat);
  avgTextBox->setText(L"");
  stgTextBox->setText(L"");
  imageColour = 0xFFFFFFFF;
  ParseOrder();
}

void xAVG::ParseOrder() {
  if (!currentOrder()) {
    active = false;
    return;
  }
  if (carryOut(static_cast<std::size_t>(currentIndex())) == Step::Next) advance();
}

void xAVG::nextOrder() {
  if (!active || !currentOrder()) return;
  advance();
}

void xAVG::advance() {
  // Each pass looks the state up again: an order's outside call may have
  // ended or replaced the scene.
  while (active && currentOrder()) {
    std::size_t next = static_cast<std::size_t>(currentIndex()) + 1;
    if (next >= orders.size()) {
      endScene();
      return;
    }
    orders.setCurrentIndex(static_cast<int>(next));
    if (carryOut(next) == Step::Wait) return;
  }
}

void xAVG::endScene() {
  reset();
  armBinding(ACTION_SHOOT, kConfirmRepeat);
  armBinding(ACTION_CONFIRM, kConfirmRepeat);
  handBack();
}

void xAVG::handBack() {
  xSystem* system = xSystem::getInstance();
  switch (system->getState()) {
    case STATE_AVG:
      // May start another scene: nothing of this one is touched afterwards.
      xScriptManager::getInstance()->callCurrFunc("onAVGEnd");
      break;
    case STATE_AVG_IN_STG:
      system->setState(STATE_STG);
      system->scriptName.clear();
      break;
    default:
      break;
  }
}

void xAVG::selectBranch() {
  if (!currentOrder()) return;
  std::vector<xAVGOrder>& list = orders.orders();
  const std::size_t from = static_cast<std::size_t>(currentIndex());
  int chosen = xAVGSelectionTable::getInstance()->read(currentSelection);
  std::size_t end = from;
  while (end < list.size() && list[end].type != xAVGOrderType::ENDIF) ++end;
  // The block's last part bounds the choice; [end] > [from] since the IF
  // itself is no ENDIF.
  chosen = std::min(chosen, list[end - 1].branch);
  for (std::size_t i = from; i < end; ++i)
    if (list[i].branch != chosen) list[i].type = xAVGOrderType::NO_ORDER;
}

bool xAVG::confirmPressed() const {
  xInputManager* input = xInputManager::getInstance();
  return input->isActionPressed(ACTION_SHOOT) || input->isActionPressed(ACTION_CONFIRM);
}

bool xAVG::ctrlHeld() const { return hge->Input_GetKeyState(HGEK_CTRL); }

void xAVG::update() {
  if (!active) return;
  // Counting wait.
  if (xAVGOrder* order = currentOrder(); order && order->waitState >= 0) {
    if (++order->frameCount >= order->waitState) {
      const avg::ScreenEffect* effect = avg::findScreenEffect(order->type);
      if (effect && effect->releaseAtEnd) releaseEffectImages();
      nextOrder();
    }
  }
  // Confirm wait: the first press shows a text still being revealed whole.
  if (xAVGOrder* order = currentOrder(); order && order->waitState == -2 &&
                                         order->type != xAVGOrderType::SE_OPEN_LEFT_IN &&
                                         !isTimedEffectOrder(order->type)) {
    if (confirmPressed()) {
      xTextBox* box = textBox();
      if (box->isAllShown()) nextOrder();
      else box->shownCount = box->chars.size();
    }
  }
  // The selection, or else Ctrl skipping one order per frame.
  if (xAVGOrder* order = currentOrder(); order && order->waitState <= kSelectInput) {
    updateSelection(*order);
  } else if (ctrlHeld()) {
    nextOrder();
  }

  for (avg::ImageRecord& image : images) image.sprite->update();
  for (avg::ImageRecord& image : effectImages) image.sprite->update();
  std::erase_if(images, [](const avg::ImageRecord& image) { return image.sprite->color.a == 0.0f; });
  if (usesAvgBoxes()) {
    avgTextBox->Update(kFrameSeconds);
    avgTalkerBox->Update(kFrameSeconds);
  } else {
    stgTextBox->Update(kFrameSeconds);
    stgTalkerBox->Update(kFrameSeconds);
  }
  blackCover->update();
}

void xAVG::updateSelection(xAVGOrder& order) {
  if (order.waitState < kSelectInput) {
    ++order.waitState;
    return;
  }
  if (confirmPressed()) {
    xAVGSelectionTable::getInstance()->write(currentSelection, selectionMenu->selected + 1);
    avgTextBox->setText(L"");
    stgTextBox->setText(L"");
    // Before moving on: a choice that follows at once dims the scene again.
    blackCover->fade(kCoverFadeFrames, 0, false, false);
    nextOrder();
  }
  selectionMenu->update(kFrameSeconds);
  xInputManager* input = xInputManager::getInstance();
  if (input->isActionPressed(ACTION_DOWN)) selectionMenu->selectNext();
  if (input->isActionPressed(ACTION_UP)) selectionMenu->selectPrevious();
}

void xAVG::render() {
  if (!active) return;
  for (avg::ImageRecord& image : images) image.sprite->render();
  for (avg::ImageRecord& image : effectImages) image.sprite->render();
  textBox()->Render();
  talkerBox()->Render();
  blackCover->render();
  if (xAVGOrder* order = currentOrder(); order && order->waitState <= kSelectInput) selectionMenu->render();
}
