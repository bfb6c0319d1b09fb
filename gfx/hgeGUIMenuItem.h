// One line of a menu: a centred title that blends its colour on focus and fades in and out with its menu.
#pragma once

#include <string>

#include "engine/hge.h"
#include "gfx/hgeColor.h"
#include "gfx/hgeGUIObject.h"
#include "gfx/xEffect.h"

class hgeTTFont;

// Timers count float seconds of the frame time the menu passes to Update:
// an enter or leave waits [delay], then blends over 0.1 s; a focus change
// blends over 0.2 s and shifts the focused title 2 pixels up and left (its
// shadow the other way). While an enter or leave runs, the focus blend
// waits. Menus and the title pages set the public colours directly.
class hgeGUIMenuItem : public hgeGUIObject {
 public:
  static constexpr float kFadeSeconds = 0.1f;
  static constexpr float kFocusSeconds = 0.2f;

  // The rectangle is the title's width centred on [x], from [y] down by the
  // height of "A"; without a font it stays empty and nothing is drawn.
  hgeGUIMenuItem(int id, hgeTTFont* font, HEFFECT sound, float x, float y, float delay, const std::wstring& title);

  void Render() override;
  void Update(float dt) override;
  void Enter() override;
  void Leave() override;
  bool IsDone() override { return fadeTimer == -1; }
  // Gaining focus plays the item's sound.
  void Focus(bool focused) override;
  // Enter and Space press the left button, which no item handles: always false.
  bool KeyClick(int key, int chr) override;

  hgeTTFont* font;  // shared, not owned
  HEFFECT sound;
  float delay;
  std::wstring title;
  bool shadowOn = true;
  hgeColorRGB focusStart, focusDelta;
  hgeColorRGB fadeStart, fadeDelta;
  hgeColorRGB shadowStart, shadowDelta;
  hgeColorRGB textColour{0x70FFFFFF};
  hgeColorRGB shadowColour{0x60000000};
  DWORD focusColour = 0xFFFFFFFF;    // when focused and when entering
  DWORD unfocusColour = 0x70FFFFFF;  // when unfocused and when leaving
  DWORD enterShadowColour = 0x60000000;
  DWORD leaveShadowColour = 0x60000000;
  float offsetStart = 0, offsetDelta = 0, offset = 0;
  float focusTimer = -1;  // -1: idle
  float fadeTimer = -1;   // -1: idle
  // Moves the top-left corner while active (the right and bottom edges stay).
  xEffectCor moveTween;

 private:
  void startFade(DWORD textTarget, DWORD shadowTarget);
};
