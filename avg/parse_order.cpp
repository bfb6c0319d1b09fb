// What the scene player does for each kind of order when it becomes the current one.
#include <cstdint>
#include <string>
#include <utility>

#include "avg/order_args.h"
#include "avg/screen_effects.h"
#include "avg/xAVG.h"
#include "avg/xAVGSelectionTable.h"
#include "avg/xDefineTable.h"
#include "base/resource_path.h"
#include "base/xLogFile.h"
#include "core/xMenu.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "gfx/xSprite.h"
#include "gfx/xTextBox.h"

namespace {

using T = xAVGOrderType;

// The wait of a shown choice: counts up to -3 before the menu takes input.
constexpr std::int32_t kSelectShown = -30;
constexpr float kOptionX = 400;
constexpr float kOptionTop = 100;
constexpr float kOptionSpan = 400;
constexpr float kCoverAlpha = 0.6f;
constexpr std::uint32_t kCoverFadeFrames = 30;

std::string lookup(const std::string& name) { return xDefineTable::getInstance()->lookup(name); }

// -[value], the most negative int giving the most positive.
int negated(int value) { return value == INT32_MIN ? INT32_MAX : -value; }

template <class Hook, class... Args>
void call(const Hook& hook, Args... args) {
  if (hook) hook(args...);
}

// The orders whose outside effect is all they do: sound and music.
bool carryOutSound(xAVGOrderType type, const std::string& name) {
  xSoundManager* sound = xSoundManager::getInstance();
  switch (type) {
    case T::SETBGM: sound->setBackgroundMusic(lookup(name), true); return true;
    case T::BGSOUND: sound->setBGSound(lookup(name)); return true;
    case T::BGSOUNDOUT: sound->stopBGSound(); return true;
    case T::VOICE: sound->playVoice(lookup(name)); return true;
    case T::NOBGM: sound->stopBackgroundMusic(); return true;
    case T::SE: sound->playSoundEffectOut(lookup(name)); return true;
    default: return false;
  }
}

}  // namespace

xAVG::Step xAVG::carryOut(std::size_t index) {
  xAVGOrder& order = orders.orders()[index];
  const T type = order.type;
  if (type == T::XAVG_SELECT) return carryOutSelect(order);
  const avg::OrderArgs args = avg::readOrderArgs(order);
  if (!args.countOk) {
    WriteLog("%s", args.countMessage.c_str());
    return Step::Next;
  }
  switch (type) {
    case T::TEXTCLEAR:
      // Stays until Ctrl moves on: no file makes it.
      order.waitState = -1;
      avgTextBox->setText(L"");
      return Step::Wait;
    case T::TEXT:
    case T::TEXTADD:
      order.waitState = -2;
      if (type == T::TEXT) textBox()->setText(StringToWString(args.name));
      else textBox()->addText(StringToWString(args.name));
      return Step::Wait;
    case T::IMGIN: case T::IMGOUT: case T::IMGMOVE:
      return carryOutPicture(order, args);
    case T::DELAY:
    case T::SCREENMOVE:
      order.frameCount = 0;
      order.waitState = args.frames;
      if (type == T::SCREENMOVE) xSystem::getInstance()->shakeScreen(args.frames, args.shakeMode, args.amplitude);
      return Step::Wait;
    case T::PAUSE:
      order.frameCount = 0;
      order.waitState = -2;
      return Step::Wait;
    case T::SETTALKER:
    case T::NOTALKER:
      order.frameCount = 0;
      order.waitState = -2;
      talkerBox()->setText(type == T::SETTALKER ? StringToWString(lookup(args.name)) : std::wstring());
      return Step::Next;
    case T::SETRGBA:
      imageColour = args.colour;
      order.waitState = -1;
      return Step::Next;
    case T::IF:
    case T::IF_ALT:
      selectBranch();
      return Step::Next;
    case T::NOP: case T::ELSE: case T::ENDIF: case T::NO_ORDER:
      order.waitState = -1;
      return Step::Next;
    default:
      break;
  }
  if (avg::findScreenEffect(type)) return carryOutEffect(order, args);
  if (type == T::SETBG || (type >= T::ADDPOWER && type <= T::PLAYERTYPE)) return carryOutStage(order, args);
  order.frameCount = 0;
  order.waitState = -2;
  carryOutSound(type, args.name);
  return Step::Next;
}

xAVG::Step xAVG::carryOutPicture(xAVGOrder& order, const avg::OrderArgs& args) {
  order.frameCount = 0;
  order.waitState = -2;
  if (order.type == T::IMGIN) {
    auto sprite = std::make_unique<xSprite>(lookup(args.name));
    sprite->setPos(args.x, args.y);
    sprite->setColor(imageColour);
    sprite->fade(static_cast<std::uint32_t>(args.frames), 1.0f, true, false);
    images.push_back({args.name, std::move(sprite)});
    return Step::Next;
  }
  const int found = findImage(args.name);
  if (found < 0) {
    WriteLog("xAVG::ParseOrder: order: %s, invalid param %s", avg::orderKindName(order.type), args.name.c_str());
    return Step::Next;
  }
  xSprite& sprite = *images[static_cast<std::size_t>(found)].sprite;
  if (order.type == T::IMGMOVE) {
    sprite.moveTo(static_cast<std::uint32_t>(args.frames), args.x, args.y);
  } else {
    // Skipping with Ctrl: gone at the next update.
    const int frames = ctrlHeld() ? 1 : args.frames;
    sprite.fade(static_cast<std::uint32_t>(frames), 0.0f, false, false);
  }
  return Step::Next;
}

xAVG::Step xAVG::carryOutSelect(xAVGOrder& order) {
  const avg::OrderArgs args = avg::readOrderArgs(order);
  order.frameCount = 0;
  order.waitState = -2;
  currentSelection = args.name;
  // An unnamed choice has nothing to record.
  if (!order.params.empty()) xAVGSelectionTable::getInstance()->write(args.name, 0);
  selectionMenu->clear();
  if (!args.countOk) {
    // No menu: the scene goes on with the confirm key, as after a text.
    WriteLog("%s", args.countMessage.c_str());
    return Step::Wait;
  }
  const float n = static_cast<float>(args.options.size());
  for (std::size_t i = 0; i < args.options.size(); ++i)
    selectionMenu->addItem(StringToWString(args.options[i]), kOptionX,
                           kOptionTop + static_cast<float>(i) * (kOptionSpan / n));
  selectionMenu->resetColors();
  selectionMenu->dimItems();
  selectionMenu->clearItemFlags();
  blackCover->fade(kCoverFadeFrames, kCoverAlpha, true, false);
  order.waitState = kSelectShown;
  return Step::Wait;
}

xAVG::Step xAVG::carryOutEffect(xAVGOrder& order, const avg::OrderArgs& args) {
  const avg::ScreenEffect& effect = *avg::findScreenEffect(order.type);
  const auto frames = static_cast<std::uint32_t>(args.frames);
  auto sprite = std::make_unique<xSprite>(effect.image ? std::string(effect.image) : args.name);
  switch (effect.motion) {
    case avg::EffectMotion::Slide:
      sprite->setPos(effect.x, effect.y);
      sprite->moveTo(frames, effect.toX, effect.toY);
      break;
    case avg::EffectMotion::FadeIn:
    case avg::EffectMotion::FadeOut:
      sprite->setPos(effect.x, effect.y);
      sprite->fade(frames, effect.motion == avg::EffectMotion::FadeIn ? 1.0f : 0.0f,
                   effect.motion == avg::EffectMotion::FadeIn, false);
      break;
    case avg::EffectMotion::Window:
      sprite->fade(frames, 0.0f, false, false);
      sprite->setScale(2, 2);
      sprite->scaleTo(frames, 1, 1);
      sprite->setHotSpot(effect.x, effect.y);
      sprite->setPos(effect.x, effect.y);
      break;
  }
  order.frameCount = 0;
  // Frames are never negative; twice the largest count stays the largest.
  order.waitState = args.frames > INT32_MAX / effect.waits ? INT32_MAX : args.frames * effect.waits;
  if (effect.releaseFirst) releaseEffectImages();
  effectImages.push_back({effect.image ? std::string() : args.name, std::move(sprite)});
  return Step::Wait;
}

xAVG::Step xAVG::carryOutStage(xAVGOrder& order, const avg::OrderArgs& args) {
  order.waitState = -1;
  switch (order.type) {
    case T::SETBG:
      order.frameCount = 0;
      order.waitState = -2;
      call(stage.setBackground, lookup(args.name));
      break;
    case T::ADDPOWER: call(stage.addPower, args.power); break;
    case T::DECPOWER: call(stage.addPower, -args.power); break;
    case T::SETPOWER: call(stage.setPower, args.power); break;
    case T::ADDBOMB: call(stage.addBombs, args.amount); break;
    case T::DECBOMB: call(stage.addBombs, negated(args.amount)); break;
    case T::SETBOMB: call(stage.setBombs, args.amount); break;
    case T::ADDLIFE: call(stage.addLives, args.amount); break;
    case T::DECLIFE: call(stage.addLives, negated(args.amount)); break;
    case T::SETLIFE: call(stage.setLives, args.amount); break;
    case T::PLAYERTYPE:
      WriteLog("%s", order.params[0].c_str());
      call(stage.setPlayerType, args.amount);
      break;
    default:
      break;
  }
  return Step::Next;
}
