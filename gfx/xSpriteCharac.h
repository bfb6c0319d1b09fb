// Moving characters drawn from one image: five pose rectangles chosen by the move, and named frame animations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/xEffect.h"
#include "gfx/xSprite.h"

// Poses by index: 0 standing, 1 moving left (fast left when animated),
// 2 moving right (fast right), 3 slow left, 4 slow right.
struct xCharacPose {
  float x = 0, y = 0, w = 0, h = 0;  // texels
  bool unset = true;
};

// The player's ship. The owner calls update() once per frame and render()
// once per drawn frame.
class xSpriteCharac {
 public:
  static constexpr int kPoseCount = 5;

  // Loads [name] from the graphics folder; every pose shows ([x], [y], [w], [h]).
  xSpriteCharac(const std::string& name, float x, float y, float w, float h);
  // Draws from [source]'s texture, which stays the source's (shared while
  // the source holds it through a shared handle).
  xSpriteCharac(const xSprite& source, float x, float y, float w, float h);
  virtual ~xSpriteCharac();
  xSpriteCharac(const xSpriteCharac&) = delete;
  xSpriteCharac& operator=(const xSpriteCharac&) = delete;

  virtual void update();
  virtual void render();

  // Pose 1 and 3 show the first rectangle, 2 and 4 the second.
  void setMoveRects(float lx, float ly, float lw, float lh, float rx, float ry, float rw, float rh);
  // Shows pose [pose] at once until the next update re-applies currentPose;
  // a pose outside 0..4 is ignored.
  void setPose(int pose);
  // Places the sprite and stops the sprite's own move.
  void setPos(float x, float y);
  // Moves over [frames] frames; 0 or 1 places at once without changing the pose.
  void moveTo(std::uint32_t frames, float x, float y);

  std::unique_ptr<xSprite> sprite;
  xCharacPose poses[kPoseCount];
  xEffectCor moveTween;
  std::int32_t currentPose = 0;

 protected:
  void applyPose(int pose);
  // The sprite takes the tween's position while it runs.
  void followTween();
};

// One frame of an animation: a texture rectangle.
struct xAnimFrame {
  float x = 0, y = 0, w = 0, h = 0;
  bool unused = false;
};

struct xAnimation {
  std::vector<xAnimFrame> frames;
  std::int32_t id = 0;
  std::uint32_t length = 0;  // whole animation, in game frames
};

// The boss, the enemies and the text box's indicator: poses chosen by the
// move's speed (slow within 2 pixels per frame), and frame animations that
// override the pose while they play.
class xSpriteCharacWithAnim : public xSpriteCharac {
 public:
  using xSpriteCharac::xSpriteCharac;
  ~xSpriteCharacWithAnim() override;

  void update() override;
  void render() override;

  // Appends an animation without frames; stops the current one.
  void addAnim(std::int32_t id, std::uint32_t length);
  // Appends a frame to the first animation with [id]; nothing when none.
  void addAnimFrame(std::int32_t id, float x, float y, float w, float h);
  // The first animation with [id], nullptr when none.
  xAnimation* findAnim(std::int32_t id);
  // Starts [id] once from its first frame; nothing when it is missing or has no frames.
  void setAnim(std::int32_t id);
  // As setAnim; a non-zero [length] replaces the stored one for good.
  void playAnim(std::int32_t id, std::uint32_t length, bool loop);
  // Frame [index] of the current animation; nullptr with none playing or out of range.
  const xAnimFrame* frameAt(int index) const;

  std::vector<xAnimation> anims;
  int current = kNone;  // index into anims
  std::int32_t frameIndex = 0;
  bool loop = false;
  std::int32_t frameCounter = 0;
  std::int32_t frameDuration = 0;

  static constexpr int kNone = -1;

 private:
  void start(xAnimation& anim, bool looping);
  void stepAnimation();
};
