// Short-lived lines of text that glide, fade in and fade out, and their manager.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "gfx/hgeColor.h"
#include "gfx/xEffect.h"

class hgeTTFont;

namespace gfx {

// Names a floating text; reads as gone once the manager has deleted the text,
// even after its slot holds a newer one. 0 never names a text.
enum class FloatingTextId : std::uint64_t {};
constexpr FloatingTextId kNoFloatingText{0};

}  // namespace gfx

// Lives lifeFrames updates: glides from the start to the end point over its
// whole life, fades in over the first fadeInFrames and out over the last
// fadeOutFrames. With life 60, fade-in 10, fade-out 20 the fade-out starts in
// the 41st update and the text stops being alive in the 61st.
class xFloatingText {
 public:
  // [text] and [fontName] are code page 936. A fade-in of 0 frames shows the
  // text at once at [colour]'s alpha.
  xFloatingText(const std::string& text, const std::string& fontName, int fontSize, DWORD colour, float x0,
                float y0, float x1, float y1, int lifeFrames, int fadeInFrames, int fadeOutFrames);
  virtual ~xFloatingText() = default;

  virtual void update();
  // Draws the text as it stands, never as a format; nothing without a font.
  virtual void render();
  // Sends the text from where it is to ([x], [y]) in 30 frames.
  void moveTo(float x, float y);

  float x, y;
  xEffectCor moveTween;
  xEffectBase fadeIn;
  xEffectBase fadeOut;
  // Optional; while it runs its value is the font's scale (which stays on
  // the shared font afterwards).
  xEffectBase scaleTween;
  int frame = 0;
  int lifeFrames;
  int fadeOutFrames;
  hgeColorRGB colour;  // its alpha is the animated value
  hgeTTFont* font;     // shared, not owned; null when the file was not found
  bool alive = true;
  std::wstring text;
  int align = 2;  // 0 left, 1 right, 2 centred on x
};

// Owns the floating texts in creation order. Updated once per frame after
// the background; a text that is no longer alive is deleted at the next
// update, so it is still drawn in between. Single instance, never destroyed.
class xFloatingTextManager {
 public:
  static xFloatingTextManager* getInstance();
  static void resetForTests();

  gfx::FloatingTextId addText(const std::string& text, const std::string& fontName, int fontSize, DWORD colour,
                              float x0, float y0, float x1, float y1, int lifeFrames, int fadeInFrames,
                              int fadeOutFrames);
  // The text named [id], null once it was deleted.
  xFloatingText* get(gfx::FloatingTextId id);
  void update();
  void render();
  std::size_t size() const { return order_.size(); }

 private:
  struct Slot {
    std::uint32_t generation = 0;
    std::unique_ptr<xFloatingText> text;
  };
  xFloatingTextManager() = default;
  gfx::FloatingTextId idOf(std::uint32_t slot) const;

  std::vector<Slot> slots_;
  std::vector<std::uint32_t> freeSlots_;
  std::vector<std::uint32_t> order_;  // slots in creation order
};
