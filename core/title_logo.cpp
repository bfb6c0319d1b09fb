// The title logo: nine cells that grow, slide and turn in on a fixed timeline, then a swinging pair with sparks.
#include "base/resource_path.h"
#include "core/xSystem.h"
#include "engine/platform.h"

namespace {

constexpr unsigned kErrorIcon = 0x10;  // MB_ICONHAND
constexpr float kFrameSeconds = 1.0f / 60;
constexpr int kFadeFrames = 30;

struct CellRect {
  float x, y, w, h;
};
// Where each cell lies in "ui/logoElmnts.png"; the content follows this layout.
constexpr CellRect kCellRects[xSystem::kLogoCells] = {
    {0, 0, 100, 100},   {100, 0, 100, 100}, {200, 0, 100, 100}, {300, 0, 100, 100},  {0, 100, 200, 200},
    {0, 300, 400, 100}, {400, 0, 100, 200}, {200, 100, 50, 50}, {250, 150, 50, 50},
};
constexpr float kLetterX[] = {200, 280, 360, 440};
constexpr float kLetterY = 170;
constexpr float kSparkX = 345, kSparkY = 95;

void fadeIn(xSprite& cell) { cell.fade(kFadeFrames, 1.0f, true, false); }

// Turns [cell] by [speed] radians in each of the next [frames] updates. The
// counted mode adds the speed limit + 1 times, so the limit is one less:
// the tall cell's sixty turns of a tenth of a circle then land it upright.
void turn(xSprite& cell, float speed, int frames) {
  cell.rotationSpeed = speed;
  cell.rotationMode = xSprite::kRotateCounted;
  cell.rotationCount = 0;
  cell.rotationLimit = frames - 1;
}

void stopTurning(xSprite& cell) {
  cell.rotationMode = xSprite::kRotateNone;
  cell.rotationCount = cell.rotationLimit = 0;
  cell.rotation = 0;
}

// A letter grows in past its size and settles back with a small tilt.
void growLetter(xSprite& cell) {
  fadeIn(cell);
  cell.scaleTo(kFadeFrames, 1.5f, 1.5f);
}
void settleLetter(xSprite& cell, float speed) {
  cell.scaleTo(10, 1.0f, 1.0f);
  turn(cell, speed, 10);
}

}  // namespace

void xSystem::loadLogo() {
  particleTexture = gfx::SharedTexture::load(WStringToString(GetResourcePath("particles.png", RES_GRAPHIC)));
  particleCell = std::make_unique<hgeSprite>(particleTexture.get(), 64, 0, 32, 32);
  magicParticles = std::make_unique<hgeParticleSystem>(
      WStringToString(GetResourcePath("magic.psi", RES_PARTICLE)).c_str(), particleCell.get());

  HTEXTURE tex = hge->Texture_Load(WStringToString(GetResourcePath("ui/logoElmnts.png", RES_GRAPHIC)).c_str(), 0,
                                   false);
  if (tex == 0) {
    engine::messageBox("Erroring loading logo texture", "Fatal Error", kErrorIcon);
    logoFailed = true;
    return;
  }
  logoTexture = gfx::SharedTexture(tex);
  for (int i = 0; i < kLogoCells; ++i) {
    const CellRect& r = kCellRects[i];
    logoCells[i] = std::make_unique<xSprite>(logoTexture, r.x, r.y, r.w, r.h);
  }
}

void xSystem::resetLogo() {
  if (logoFailed) return;
  logoFrame = 0;
  auto& c = logoCells;
  // A restart looks like the first run: no turn of the last run goes on.
  for (auto& cell : c) stopTurning(*cell);
  c[6]->setPos(900, 0);
  for (int i = 0; i < 4; ++i) {
    c[i]->setPos(kLetterX[i], kLetterY);
    c[i]->setScale(0, 0);
  }
  c[0]->scaleTo(kFadeFrames, 1.5f, 1.5f);
  fadeIn(*c[0]);
  c[4]->setPos(560, 190);
  c[4]->setColor(0x00FFFFFF);
  c[5]->setColor(0x00FFFFFF);
  c[5]->setPos(270, 230);
  c[7]->setHotSpot(50, 50);
  c[7]->setColor(0x00FFFFFF);
  c[7]->setPos(315, 95);
  c[7]->rotation = 0.785398f;  // 45 degrees
  c[8]->setColor(0x00FFFFFF);
  c[8]->setPos(376, 136);
  c[8]->setHotSpot(0, 50);
  c[8]->rotation = 0.436332f;  // 25 degrees
  magicParticles->Stop(true);
  for (int i = 0; i <= 6; ++i) c[i]->setHotSpotCenter();
  logoPhaseCounter = -1;
}

void xSystem::stepLogo() {
  if (logoFailed) return;
  auto& c = logoCells;
  for (auto& cell : c) cell->update();
  ++logoFrame;

  if (logoPhaseCounter != -1) {
    ++logoPhaseCounter;
    if (logoSwingPhase == 2 && logoPhaseCounter == 60) {
      turn(*c[7], 0.00436332f, 120);
      turn(*c[8], -0.00436332f, 120);
      logoSwingPhase = 1;
      logoPhaseCounter = 0;
    } else if (logoSwingPhase == 2 && logoPhaseCounter == 10) {
      magicParticles->FireAt(kSparkX, kSparkY);
    } else if (logoSwingPhase == 1 && logoPhaseCounter == 120) {
      turn(*c[7], -0.00872665f, 60);
      turn(*c[8], 0.00872665f, 60);
      logoSwingPhase = 2;
      logoPhaseCounter = 0;
    }
  }
  if ((logoFrame - 14) % 15 == 0) magicParticles->Stop(false);  // the sparks live on

  switch (logoFrame) {
    case 20: growLetter(*c[1]); break;
    case 25: settleLetter(*c[0], -0.00872665f); break;
    case 40: growLetter(*c[2]); break;
    case 45: settleLetter(*c[1], 0.00698132f); break;
    case 60: growLetter(*c[3]); break;
    case 65: settleLetter(*c[2], -0.00523599f); break;
    case 85:
      settleLetter(*c[3], 0.010472f);
      fadeIn(*c[4]);
      c[5]->moveTo(30, 330, 230);
      fadeIn(*c[5]);
      break;
    case 110:
      c[6]->moveTo(60, 325, 150);
      turn(*c[6], 0.314159f, 60);
      playMenuSound(logoSound);
      break;
    case 170:
      turn(*c[7], 0.00436332f, 120);
      turn(*c[8], -0.00436332f, 120);
      fadeIn(*c[7]);
      fadeIn(*c[8]);
      logoSwingPhase = 1;
      logoPhaseCounter = 0;
      break;
    default:
      break;
  }
}

void xSystem::renderLogo() {
  if (logoFailed) return;
  for (int i : {6, 7, 8}) logoCells[i]->render();
  magicParticles->Render();
  for (int i : {0, 1, 2, 3, 5, 4}) logoCells[i]->render();
}
