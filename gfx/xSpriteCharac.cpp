// Sprite characters: poses by move direction and speed, and frame animations.
#include "gfx/xSpriteCharac.h"

#include <algorithm>
#include <climits>

namespace {

// The pose of the animated character from the tween's x step: beyond 2
// pixels a frame is fast.
int poseForStep(float s) {
  if (s > 2) return 2;
  if (s > 0) return 4;
  if (s < -2) return 1;
  if (s < 0) return 3;
  return 0;  // 0, and NaN
}

}  // namespace

xSpriteCharac::xSpriteCharac(const std::string& name, float x, float y, float w, float h)
    : sprite(std::make_unique<xSprite>(name)) {
  if (sprite->sprite) sprite->setTextureRect(x, y, w, h);
  for (xCharacPose& pose : poses) pose = {x, y, w, h, false};
}

xSpriteCharac::xSpriteCharac(const xSprite& source, float x, float y, float w, float h) {
  if (source.texture) {
    sprite = std::make_unique<xSprite>(source.texture, x, y, w, h);
  } else {
    sprite = std::make_unique<xSprite>(source.sprite ? source.sprite->GetTexture() : 0, x, y, w, h);
    // A source whose image failed draws nothing, and neither does its character.
    if (!source.sprite) sprite->sprite.reset();
  }
  for (xCharacPose& pose : poses) pose = {x, y, w, h, false};
}

xSpriteCharac::~xSpriteCharac() = default;

void xSpriteCharac::setMoveRects(float lx, float ly, float lw, float lh, float rx, float ry, float rw, float rh) {
  poses[1] = {lx, ly, lw, lh, false};
  poses[2] = {rx, ry, rw, rh, false};
  poses[3] = poses[1];
  poses[4] = poses[2];
}

void xSpriteCharac::setPose(int pose) {
  if (pose < 0 || pose >= kPoseCount) return;
  applyPose(pose);
}

void xSpriteCharac::setPos(float x, float y) { sprite->setPos(x, y); }

void xSpriteCharac::moveTo(std::uint32_t frames, float x, float y) {
  // 0 frames would divide by zero: it places at once like 1.
  if (frames <= 1) {
    sprite->setPos(x, y);
    return;
  }
  moveTween.reset();
  moveTween.aim(frames, float(frames), sprite->x, sprite->y, x, y);
}

void xSpriteCharac::update() {
  if (currentPose >= 0 && currentPose < kPoseCount) applyPose(currentPose);
  followTween();
  if (moveTween.active) {
    if (moveTween.stepX < 0) currentPose = 1;
    if (moveTween.stepX > 0) currentPose = 2;
  } else {
    currentPose = 0;
  }
  sprite->update();
}

void xSpriteCharac::render() {
  if (sprite) sprite->render();
}

void xSpriteCharac::applyPose(int pose) { sprite->setTextureRectFrom(poses[pose]); }

void xSpriteCharac::followTween() {
  moveTween.update();
  if (moveTween.active) sprite->setPos(moveTween.x, moveTween.y);
}

xSpriteCharacWithAnim::~xSpriteCharacWithAnim() = default;

void xSpriteCharacWithAnim::update() {
  followTween();
  currentPose = poseForStep(moveTween.stepX);
  applyPose(currentPose);
  stepAnimation();
  sprite->update();
}

void xSpriteCharacWithAnim::render() {
  if (sprite) sprite->render();
}

// A frame stays until the counter exceeds the duration, so duration + 1 updates.
void xSpriteCharacWithAnim::stepAnimation() {
  if (current == kNone) return;
  const std::vector<xAnimFrame>& frames = anims[current].frames;
  ++frameCounter;
  sprite->setTextureRectFrom(frames[frameIndex]);
  if (frameCounter <= frameDuration) return;
  ++frameIndex;
  frameCounter = 0;
  if (frameIndex < static_cast<std::int32_t>(frames.size())) return;
  frameIndex = 0;
  if (loop) {
    sprite->setTextureRectFrom(frames[0]);
    return;
  }
  current = kNone;
  applyPose(0);
  frameDuration = 0;
  frameCounter = 0;
}

void xSpriteCharacWithAnim::addAnim(std::int32_t id, std::uint32_t length) {
  anims.push_back(xAnimation{{}, id, length});
  current = kNone;
}

void xSpriteCharacWithAnim::addAnimFrame(std::int32_t id, float x, float y, float w, float h) {
  if (xAnimation* anim = findAnim(id)) anim->frames.push_back({x, y, w, h, false});
}

xAnimation* xSpriteCharacWithAnim::findAnim(std::int32_t id) {
  auto found = std::find_if(anims.begin(), anims.end(), [id](const xAnimation& a) { return a.id == id; });
  return found == anims.end() ? nullptr : &*found;
}

void xSpriteCharacWithAnim::setAnim(std::int32_t id) {
  xAnimation* anim = findAnim(id);
  if (anim && !anim->frames.empty()) start(*anim, false);
}

void xSpriteCharacWithAnim::playAnim(std::int32_t id, std::uint32_t length, bool looping) {
  xAnimation* anim = findAnim(id);
  if (!anim) return;
  if (length != 0) anim->length = length;
  if (!anim->frames.empty()) start(*anim, looping);
}

const xAnimFrame* xSpriteCharacWithAnim::frameAt(int index) const {
  if (current == kNone || index < 0) return nullptr;
  const std::vector<xAnimFrame>& frames = anims[current].frames;
  return static_cast<std::size_t>(index) < frames.size() ? &frames[index] : nullptr;
}

void xSpriteCharacWithAnim::start(xAnimation& anim, bool looping) {
  current = static_cast<int>(&anim - anims.data());
  frameIndex = 0;
  loop = looping;
  sprite->setTextureRectFrom(anim.frames[0]);
  frameCounter = 0;
  // A length of several billion frames would turn negative in the signed field.
  std::uint32_t duration = anim.length / static_cast<std::uint32_t>(anim.frames.size());
  frameDuration = static_cast<std::int32_t>(std::min<std::uint32_t>(duration, INT32_MAX));
}
