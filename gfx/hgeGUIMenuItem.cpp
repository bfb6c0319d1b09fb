// One line of a menu.
#include "gfx/hgeGUIMenuItem.h"

#include "gfx/hgeTTFont.h"

hgeGUIMenuItem::hgeGUIMenuItem(int itemId, hgeTTFont* itemFont, HEFFECT itemSound, float x, float y, float itemDelay,
                               const std::wstring& itemTitle)
    : font(itemFont), sound(itemSound), delay(itemDelay), title(itemTitle) {
  id = itemId;
  isStatic = false;
  visible = enabled = true;
  if (font == nullptr) return;
  float w = float(font->GetTextSize(title).width);
  float h = float(font->GetTextSize(L"A").height);
  rect = hgeRect(x - w / 2, y, x + w / 2, y + h);
}

void hgeGUIMenuItem::Render() {
  if (font == nullptr) return;
  if (shadowOn) {
    font->colour = shadowColour.GetHWColor();
    font->Render(rect.x1 + offset + 3, rect.y1 + 3, title, false, false);
  }
  font->colour = textColour.GetHWColor();
  font->Render(rect.x1 - offset, rect.y1 - offset, title, false, false);
}

void hgeGUIMenuItem::Update(float dt) {
  if (fadeTimer != -1) {
    fadeTimer += dt;
    if (fadeTimer >= delay + kFadeSeconds) {
      textColour = fadeStart + fadeDelta;
      shadowColour = shadowStart + shadowDelta;
      offset = 0;
      fadeTimer = -1;
    } else if (fadeTimer >= delay) {
      float factor = (fadeTimer - delay) * 10;
      textColour = fadeStart + fadeDelta * factor;
      shadowColour = shadowStart + shadowDelta * factor;
    } else {
      textColour = fadeStart;
      shadowColour = shadowStart;
    }
  } else if (focusTimer != -1) {
    focusTimer += dt;
    if (focusTimer >= kFocusSeconds) {
      textColour = focusStart + focusDelta;
      offset = offsetStart + offsetDelta;
      focusTimer = -1;
    } else {
      textColour = focusStart + focusDelta * (focusTimer * 5);
      offset = offsetStart + offsetDelta * focusTimer * 5;
    }
  }
  moveTween.update();
  if (moveTween.active) {
    rect.x1 = moveTween.x;
    rect.y1 = moveTween.y;
  }
}

void hgeGUIMenuItem::startFade(DWORD textTarget, DWORD shadowTarget) {
  fadeStart = textColour;
  fadeDelta = hgeColorRGB(textTarget) - fadeStart;
  shadowStart = shadowColour;
  shadowDelta = hgeColorRGB(shadowTarget) - shadowStart;
  fadeTimer = 0;
}

void hgeGUIMenuItem::Enter() { startFade(focusColour, enterShadowColour); }

void hgeGUIMenuItem::Leave() { startFade(unfocusColour, leaveShadowColour); }

void hgeGUIMenuItem::Focus(bool focused) {
  DWORD target;
  focusStart = textColour;
  if (focused) {
    hge_->Effect_Play(sound);
    target = focusColour;
    offsetStart = 0;
    offsetDelta = 2;
  } else {
    target = unfocusColour;
    offsetStart = 2;
    offsetDelta = -2;
  }
  focusDelta = hgeColorRGB(target) - focusStart;
  focusTimer = 0;
}

bool hgeGUIMenuItem::KeyClick(int key, int chr) {
  (void)chr;
  if (key != HGEK_ENTER && key != HGEK_SPACE) return false;
  MouseLButton(true);
  return MouseLButton(false);
}
