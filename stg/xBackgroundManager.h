// Everything drawn behind the shooting and visual-novel scenes: the 2D and spell-card backgrounds, covers, fog, the sea and the interface frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "gfx/xSprite.h"
#include "gfx/xSpriteCharac.h"
#include "stg/sea_simulation.h"

namespace stg {

// A rectangle of a background's texture, in texels.
struct TextureRect {
  float x = 0, y = 0, w = 0, h = 0;
  bool unset = true;
};

// How a background or cover moves. DO NOT RENUMBER: scripts pass these.
constexpr std::int32_t kModeScroll = 0;  // upward without end, wrapping at the image top
constexpr std::int32_t kModeStill = 1;
constexpr std::int32_t kModeTurn = 2;  // about the image centre

// One more layer over the 2D background.
struct BackgroundCover {
  std::unique_ptr<xSprite> sprite;
  float speed = 0;  // turning speed only; covers scroll at the 2D background's speed
  std::int32_t textureHeight = 0;
  std::int32_t mode = kModeScroll;
  float x = 0, y = 0;  // where it is drawn
  TextureRect scrollRect, wrapRect;
};

}  // namespace stg

// A single instance (getInstance). update() runs once per update call (twice
// per frame in the stage state) and steps fades, the turning and the sea;
// render() runs once per drawn frame and is what scrolls the 2D background,
// the covers and the fog, so scrolling speed is per drawn frame. Fields are
// open because the state machine, the scene orders, the ending and the
// background host functions drive them directly.
class xBackgroundManager {
 public:
  static constexpr float kScrollWidth = 450;  // the play field's width
  static constexpr float kScreenHeight = 600;

  static xBackgroundManager* getInstance();
  // Tests: destroy the instance so the next getInstance builds a fresh one.
  static void resetForTests();

  // Replaces the 2D background; a null [name] leaves none. A [speed] of
  // exactly 0 makes it still whatever [mode] says. In turning mode [speed]
  // becomes the sprite's rotation speed (radians per update).
  void set2DBackground(const char* name, float speed, int mode);
  // Replaces the spell-card background, a strip of [frames] pictures of
  // [w] x [h] side by side (its animation is recorded, not started); a null
  // [name] leaves none. It fades in over 45 updates.
  void setSCBackground(const char* name, float w, float h, int frames);
  void deleteSCBackground();
  // Fade the 2D background to [a] over 10 updates, the spell-card one over 30.
  void setBackgroundAlpha(float a);
  void setSCBackgroundAlpha(float a);
  // Appends a cover drawn at ([x], [y]), fading in over [fadeFrames]
  // updates (at once when not positive).
  void addBackgroundCover(const char* name, float speed, float x, float y, int fadeFrames, int mode);
  void clearBackgroundCover();
  // Loads the interface frame that the scene renderers draw over the play field.
  void setUIFrame(const std::string& name);
  void renderUIFrame();

  // True in the states that show the play field: drawing is then offset to
  // its top-left corner.
  bool isSTGScene() const;
  void update();
  void render();

  bool seaEnabled = false;
  std::unique_ptr<xSprite> background;
  float speed = 0;  // texels per drawn frame
  std::int32_t textureHeight = 0;
  std::int32_t mode = stg::kModeStill;
  std::unique_ptr<xSpriteCharacWithAnim> scBackground;
  bool fogEnabled = false;
  float fogSpeed = 0;  // texels per drawn frame
  std::unique_ptr<xSprite> fog;
  stg::TextureRect scrollRect, wrapRect, fogRect, fogWrapRect;
  bool uiFrameEnabled = false;
  std::unique_ptr<xSprite> uiFrame;
  float originX = 0, originY = 0;  // the play field's top-left corner
  std::vector<stg::BackgroundCover> covers;
  std::unique_ptr<xSprite> blackCover;  // loaded with the rest, never drawn
  HGE* hge;
  stg::SeaSimulation sea;

 private:
  xBackgroundManager();
  ~xBackgroundManager();
  void renderBackground(float px, float py);
  void renderCover(stg::BackgroundCover& cover);
  void renderFog();
};
