// Enemy bullets: the appear effect, the fade-out count and drawing along the heading.
#include "stg/mBullet.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr std::uint32_t kAppearFrames = 10;

}  // namespace

mBullet::mBullet() {
  movement.init();
  funcCounter.state = xFrameCounter::kOff;
}

mBullet::~mBullet() = default;

void mBullet::bindFunction(const std::string& name, std::uint32_t interval, std::uint32_t count) {
  funcBound = true;
  funcName = name;
  funcCounter.start(interval, true);
  funcCallLimit = count;
  funcCalls = 0;
}

void mBullet::update() {
  startAppear();
  if (cleared && ++clearCount > kClearFrames) exists = false;
}

void mBullet::startAppear() {
  if (appearPending && sprite) {
    // Grows from nothing and fades in over 10 drawn frames.
    sprite->scaleX = sprite->scaleY = 0;
    sprite->scaleTweenX.reset();
    sprite->scaleTweenY.reset();
    sprite->scaleTo(kAppearFrames, 1.0f, 1.0f);
    sprite->fade(kAppearFrames, 1.0f, true, false);
  }
  appearPending = 0;
}

void mBullet::render() {
  if (!sprite) return;
  // A bullet shot after the manager's update (a boss script) is drawn before
  // its first update: it appears from here, not at full size for a frame.
  startAppear();
  sprite->rotation = movement.heading - kHalfPi;
  sprite->update();
  if (fixedRender) sprite->rotation = renderAngle;
  drawSprite();
}

void mBullet::drawSprite() {
  if (sprite->sprite && sprite->color.a != 0) {
    sprite->sprite->RenderEx(x, y, sprite->rotation, sprite->scaleX, sprite->scaleY);
  }
}
