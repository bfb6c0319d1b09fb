// Everything drawn behind the shooting and visual-novel scenes: the 2D and spell-card backgrounds, covers, fog, the sea and the interface frame.
#include "stg/xBackgroundManager.h"

#include <algorithm>

#include "core/config.h"
#include "core/xSystem.h"

using stg::BackgroundCover;
using stg::TextureRect;

namespace {

xBackgroundManager* gBackground = nullptr;

constexpr float kTurnX = 400, kTurnY = 300;       // the screen centre
constexpr float kSCBackgroundX = 175, kSCBackgroundY = 0;
constexpr std::uint32_t kBackgroundFade = 10, kSCBackgroundFade = 30, kSCBackgroundFadeIn = 45;
constexpr std::uint32_t kSCFrameLength = 100;
// A longer strip would only make the script's frame count allocate.
constexpr int kMaxSCFrames = 1024;
constexpr DWORD kFogColor = 0xEEFFFFFF;
// The fog image holds a 450-texel-wide field at x 300 over two screens.
constexpr float kFogX = 300, kFogRestartY = 600, kFogImageHeight = 1200;

TextureRect rect(float x, float y, float w, float h) { return {x, y, w, h, false}; }

// The last screen of an image [textureHeight] high: scrolling starts there.
TextureRect bottomScreen(std::int32_t textureHeight) {
  return rect(0, float(textureHeight) - xBackgroundManager::kScreenHeight, xBackgroundManager::kScrollWidth,
              xBackgroundManager::kScreenHeight);
}

std::int32_t originalHeight(HGE* hge, const xSprite& sprite) {
  return sprite.sprite ? hge->Texture_GetHeight(sprite.sprite->GetTexture(), true) : 0;
}

void drawPart(xSprite& sprite, const TextureRect& part, float px, float py) {
  sprite.setTextureRectFrom(part);
  sprite.renderEx(px, py);
}

// Moves [scroll] up the image by [speed] and draws it at ([px], [py]). Once
// the top of the image is on screen, the image's bottom is drawn over the
// gap above it; when it has gone a whole screen past, it starts again from
// the bottom.
void scrollAndDraw(xSprite& sprite, TextureRect& scroll, TextureRect& wrap, std::int32_t textureHeight, float speed,
                   float px, float py) {
  scroll.y -= speed;
  if (scroll.y >= 0) {
    drawPart(sprite, scroll, px, py);
    return;
  }
  wrap = rect(0, float(textureHeight) + scroll.y, xBackgroundManager::kScrollWidth, -scroll.y);
  drawPart(sprite, scroll, px, py);
  drawPart(sprite, wrap, px, py);
  if (scroll.y <= -xBackgroundManager::kScreenHeight) scroll = wrap = bottomScreen(textureHeight);
}

void turnForever(xSprite& sprite, float speed) {
  sprite.rotationSpeed = speed;
  sprite.rotationMode = xSprite::kRotateForever;
}

}  // namespace

xBackgroundManager* xBackgroundManager::getInstance() {
  if (!gBackground) gBackground = new xBackgroundManager();
  return gBackground;
}

void xBackgroundManager::resetForTests() {
  delete gBackground;
  gBackground = nullptr;
}

xBackgroundManager::xBackgroundManager() : hge(hgeCreate(HGE_VERSION)), sea(hge) {
  fog = std::make_unique<xSprite>("fog.png");
  fog->setTextureRect(0, 0, kScrollWidth, kScreenHeight);
  fog->setColor(kFogColor);
  fogRect = fogWrapRect = rect(kFogX, kFogRestartY, kScrollWidth, kScreenHeight);
  blackCover = std::make_unique<xSprite>("se/black.png");
  // Without its image the sea stays inert; initSeaSimulation logged why.
  [[maybe_unused]] bool seaReady = sea.initSeaSimulation();
  originX = float(core::readConfigInt(hge, CFG_STG_SCREEN_X));
  originY = float(core::readConfigInt(hge, CFG_STG_SCREEN_Y));
}

xBackgroundManager::~xBackgroundManager() {
  background.reset();
  scBackground.reset();
  fog.reset();
  uiFrame.reset();
  covers.clear();
  blackCover.reset();
  hge->Release();
}

void xBackgroundManager::set2DBackground(const char* name, float newSpeed, int newMode) {
  background.reset();
  if (!name) return;
  background = std::make_unique<xSprite>(name);
  speed = newSpeed;
  mode = newSpeed == 0 ? stg::kModeStill : newMode;
  if (mode == stg::kModeScroll) {
    textureHeight = originalHeight(hge, *background);
    scrollRect = wrapRect = bottomScreen(textureHeight);
  } else if (mode == stg::kModeTurn) {
    turnForever(*background, newSpeed);
  }
}

void xBackgroundManager::setSCBackground(const char* name, float w, float h, int frames) {
  scBackground.reset();
  if (!name) return;
  scBackground = std::make_unique<xSpriteCharacWithAnim>(name, 0, 0, w, h);
  int count = std::clamp(frames, 0, kMaxSCFrames);
  scBackground->addAnim(0, std::uint32_t(count) * kSCFrameLength);
  for (int i = 0; i < count; ++i) scBackground->addAnimFrame(0, w * float(i), 0, w, h);
  scBackground->sprite->fade(kSCBackgroundFadeIn, 1, true, false);
}

void xBackgroundManager::deleteSCBackground() { scBackground.reset(); }

void xBackgroundManager::setBackgroundAlpha(float a) {
  if (background) background->fade(kBackgroundFade, a, false, false);
}

void xBackgroundManager::setSCBackgroundAlpha(float a) {
  if (scBackground) scBackground->sprite->fade(kSCBackgroundFade, a, false, false);
}

void xBackgroundManager::addBackgroundCover(const char* name, float coverSpeed, float x, float y, int fadeFrames,
                                            int coverMode) {
  if (!name) return;
  BackgroundCover cover;
  cover.sprite = std::make_unique<xSprite>(name);
  cover.speed = coverSpeed;
  cover.mode = coverMode;
  cover.x = x;
  cover.y = y;
  if (coverMode == stg::kModeScroll) {
    cover.textureHeight = originalHeight(hge, *cover.sprite);
    cover.scrollRect = cover.wrapRect = bottomScreen(cover.textureHeight);
  } else if (coverMode == stg::kModeTurn) {
    turnForever(*cover.sprite, coverSpeed);
  }
  // A negative count from a script would be a fade of four billion updates.
  cover.sprite->fade(fadeFrames > 0 ? std::uint32_t(fadeFrames) : 0, 1, true, false);
  covers.push_back(std::move(cover));
}

void xBackgroundManager::clearBackgroundCover() { covers.clear(); }

void xBackgroundManager::setUIFrame(const std::string& name) {
  uiFrame = std::make_unique<xSprite>(name);
  uiFrameEnabled = true;
}

void xBackgroundManager::renderUIFrame() {
  if (uiFrameEnabled && uiFrame) uiFrame->render();
}

bool xBackgroundManager::isSTGScene() const {
  xSystem* system = xSystem::getInstance();
  auto inStage = [](GameState s) { return s == STATE_STG || s == STATE_AVG_IN_STG || s == STATE_SCOREBOARD; };
  GameState state = system->getState();
  if (inStage(state) || state == STATE_GAMEOVER) return true;
  return state == STATE_PAUSE && inStage(system->getPreviousState());
}

void xBackgroundManager::update() {
  if (background) background->update();
  if (scBackground) scBackground->update();
  for (BackgroundCover& cover : covers) cover.sprite->update();
  if (seaEnabled) sea.updateSeaSimulation();
}

void xBackgroundManager::render() {
  if (background) {
    bool stage = isSTGScene();
    renderBackground(stage ? originX : 0, stage ? originY : 0);
  }
  if (scBackground) {
    // The spell-card picture is made for the default play field.
    scBackground->setPos(kSCBackgroundX, kSCBackgroundY);
    scBackground->render();
  }
  for (BackgroundCover& cover : covers) renderCover(cover);
  if (seaEnabled) sea.renderSeaSimulation();
  if (fogEnabled) renderFog();
}

void xBackgroundManager::renderBackground(float px, float py) {
  switch (mode) {
    case stg::kModeScroll:
      scrollAndDraw(*background, scrollRect, wrapRect, textureHeight, speed, px, py);
      break;
    case stg::kModeStill:
      background->renderEx(px, py);
      break;
    case stg::kModeTurn:
      background->setHotSpotCenter();
      background->renderEx(kTurnX, kTurnY);
      break;
    default:
      break;
  }
}

void xBackgroundManager::renderCover(BackgroundCover& cover) {
  switch (cover.mode) {
    case stg::kModeScroll:
      scrollAndDraw(*cover.sprite, cover.scrollRect, cover.wrapRect, cover.textureHeight, speed, cover.x, cover.y);
      break;
    case stg::kModeStill:
      cover.sprite->renderEx(cover.x, cover.y);
      break;
    case stg::kModeTurn:
      cover.sprite->setHotSpotCenter();
      cover.sprite->renderEx(cover.x, cover.y);
      break;
    default:
      break;
  }
}

void xBackgroundManager::renderFog() {
  fogRect = rect(kFogX, fogRect.y - fogSpeed, kScrollWidth, kScreenHeight);
  float y = fogRect.y;
  if (y >= 0) {
    drawPart(*fog, fogRect, originX, originY);
    return;
  }
  // Half a texel taller than the background's wrap, as the fog has always been.
  fogWrapRect = rect(kFogX, y + kFogImageHeight, kScrollWidth, 0.5f - y);
  drawPart(*fog, fogRect, originX, originY);
  drawPart(*fog, fogWrapRect, originX, originY);
  if (y <= -kScreenHeight) fogRect = fogWrapRect = rect(kFogX, kFogRestartY, kScrollWidth, kScreenHeight);
}
