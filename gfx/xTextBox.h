// Text boxes: text in a rectangle revealed character by character, with gradient, fades, wrapping, frame image and wait indicator.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "gfx/hgeColor.h"
#include "gfx/hgeGUIObject.h"
#include "gfx/xEffect.h"
#include "gfx/xFrameCounter.h"

class hgeTTFont;
class xSprite;
class xSpriteCharacWithAnim;

namespace gfx {

// Where a box stands and how much room its text has (right edge x + width,
// bottom edge y + height). Named, so the four floats cannot be swapped
// between the constructor and the manager's calls.
struct BoxArea {
  float x = 0, y = 0, width = 0, height = 0;
};

}  // namespace gfx

// One UTF-16 unit of the box's text with its own colour. A box may hold
// millions of them: the unit itself, not a string of one, keeps each at
// 20 bytes instead of 48.
struct TextBoxChar {
  wchar_t text = 0;
  float r = 1, g = 1, b = 1, a = 1;
};

// Owners call Update once per frame and Render once per drawn frame. The
// visual-novel player and the host functions drive the public fields
// directly. Without a font the box keeps white colours, measures every
// character as 0 and draws none of them, but still draws its frame image.
class xTextBox : public hgeGUIObject {
 public:
  static constexpr std::uint32_t kRevealFrames = 5;  // one character per 6 updates
  static constexpr std::uint32_t kFadeFrames = 20;

  xTextBox(const gfx::BoxArea& area, const std::string& fontName, int fontSize);
  ~xTextBox() override;

  // Replaces the text and restarts the reveal at its default speed.
  void setText(const std::wstring& text);
  // Appends without touching the reveal or the characters already there.
  void addText(const std::wstring& text);
  // Character i of n gets top + (bottom - top) x i / n, so the last one
  // stops a step short of [bottom]; with fadeInOn all start transparent.
  void setGradient(DWORD top, DWORD bottom);
  // A frame image from the graphics folder drawn at (x, y) behind the text,
  // which then starts at (x + [offsetX], y + [offsetY]).
  void setFrame(const std::string& imageName, float offsetX, float offsetY);
  // A 30-frame looping animation, frames [w] x [h] side by side in the
  // image, shown after the last character once all are revealed.
  void setIndicator(const std::string& imageName, float w, float h);
  // Moves the box over [frames] updates; 0 places it at once.
  void moveTo(std::uint32_t frames, float x, float y);
  bool isAllShown() const { return shownCount == chars.size(); }

  // [dt] is not used: the box counts frames.
  void Update(float dt) override;
  void Render() override;

  HGE* engine;
  float x, y, width, height;
  bool rectClean = false;
  float textOffsetX = 0, textOffsetY = 0;
  hgeTTFont* font;  // shared, not owned; null when the font was not found
  xFrameCounter revealCounter;
  std::uint32_t fadeFrames = kFadeFrames;
  std::vector<TextBoxChar> chars;
  std::size_t shownCount = 0;
  hgeColorRGB topColor, bottomColor;
  float letterSpacing = 0;
  float kerningHeight = 0;  // stored for the scene player; layout ignores it
  std::unique_ptr<xSprite> frameSprite;
  bool indicatorOn = false;
  std::unique_ptr<xSpriteCharacWithAnim> indicator;
  bool revealOn = false;
  bool fadeInOn = false;
  bool fadeOutOn = false;
  float fadeStep = 1.0f / kFadeFrames;  // alpha change per drawn frame
  xEffectCor moveTween;

 private:
  void append(const std::wstring& text);
  int lineHeight() const;
  int charWidth(wchar_t unit) const;
};

// Every script-made box by index. A deleted box leaves a hole that the next
// box fills, so indices scripts hold stay valid for life.
class xTextBoxManager {
 public:
  static xTextBoxManager* getInstance();
  // Tests: drops the instance and its boxes.
  static void resetForTests();

  int createTextBox(const std::string& fontName, const gfx::BoxArea& area, int fontSize);
  // The music title's box: font size 16.
  int addTextBox(const std::string& fontName, const gfx::BoxArea& area);
  void deleteTextBox(int index);
  // Null for an index that holds no box.
  xTextBox* getTextBox(int index) const;
  void update();
  void render();

  std::vector<std::unique_ptr<xTextBox>> boxes;

 private:
  xTextBoxManager() = default;
};
