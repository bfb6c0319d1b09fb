// The pause and game-over pages over a running stage or scene, and the per-frame tail: screen shake, logo, particles.
#include "core/xInputManager.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"

namespace {

constexpr float kMenuStep = 1.0f / 60;
constexpr float kFrameSeconds = 1.0f / 60;
constexpr int kCursorFrames = 10;
constexpr float kStgPauseCursorY = 256;
constexpr float kAvgPauseCursorY = 276;  // also the game-over page's
constexpr float kItemSpacing = 50;
constexpr float kDarkAlpha = 0.6f;
constexpr int kDarkFrames = 30;
// The screen's centre, which the shake's transformation turns about.
constexpr float kScreenCentreX = 400, kScreenCentreY = 300;

bool pressed(int action) { return xInputManager::getInstance()->isActionPressed(action); }
bool confirmPressed() { return pressed(ACTION_SHOOT) || pressed(ACTION_CONFIRM); }

void showDarkCover(xSprite& cover) { cover.fade(kDarkFrames, kDarkAlpha, true, false); }
void hideDarkCover(xSprite& cover) { cover.fade(kDarkFrames, 0, false, false); }

// One swing of a shake axis: half the amplitude per frame, turning once past it.
void swing(float& offset, bool& turned, float amplitude) {
  if (!turned) {
    offset += amplitude * 0.5f;
    if (offset > amplitude) turned = true;
  } else {
    offset -= amplitude * 0.5f;
    if (offset < -amplitude) turned = false;
  }
}

}  // namespace

xMenu* xSystem::pauseMenu() const {
  return previousState == STATE_STG ? stgPauseMenu.get() : avgPauseMenu.get();
}

void xSystem::pauseOpening() {
  if (!pressed(ACTION_CANCEL)) return;
  previousState = state;
  state = STATE_PAUSE;
  xInputManager* input = xInputManager::getInstance();
  pauseShootHeld = input->isActionDown(ACTION_SHOOT);
  pauseConfirmHeld = input->isActionDown(ACTION_CONFIRM);
  showDarkCover(*darkCover);
  if (hooks.enemyBulletsActive) hooks.enemyBulletsActive(false);
  xMenu* menu = pauseMenu();
  menu->selectFirst();
  const float base = previousState == STATE_STG ? kStgPauseCursorY : kAvgPauseCursorY;
  menuCursor->moveTo(kCursorFrames, 0, base + kItemSpacing * float(menu->selected));
}

void xSystem::pauseStep() {
  xMenu* menu = pauseMenu();
  const bool stage = previousState == STATE_STG;
  const float base = stage ? kStgPauseCursorY : kAvgPauseCursorY;
  if (pressed(ACTION_DOWN) || pressed(ACTION_UP)) {
    playMenuSound(moveSound);
    if (pressed(ACTION_DOWN)) {
      menu->selectNext();
    } else {
      menu->selectPrevious();
    }
    menuCursor->moveTo(kCursorFrames, 0, base + kItemSpacing * float(menu->selected));
  }
  xInputManager* input = xInputManager::getInstance();
  if (pauseShootHeld && !input->isActionDown(ACTION_SHOOT)) pauseShootHeld = false;
  if (pauseConfirmHeld && !input->isActionDown(ACTION_CONFIRM)) pauseConfirmHeld = false;
  if ((pressed(ACTION_SHOOT) && !pauseShootHeld) || (pressed(ACTION_CONFIRM) && !pauseConfirmHeld)) {
    playMenuSound(confirmSound);
    hideDarkCover(*darkCover);
    const int item = menu->selected;
    if (item == 0) {
      changeState(previousState, false, "");
      if (hooks.enemyBulletsActive) hooks.enemyBulletsActive(true);
    } else if (stage && item == 1) {
      retryStage();
    } else if (item == (stage ? 2 : 1)) {
      quitToTitle();
    }
  } else if (pressed(ACTION_CANCEL) || pressed(ACTION_BOMB)) {
    hideDarkCover(*darkCover);
    // The stage pause menu's binding, whichever pause this is.
    stgPauseMenu->activateSelected();
    state = previousState;
    if (hooks.enemyBulletsActive) hooks.enemyBulletsActive(true);
  }
  menu->update(kMenuStep);
  menuCursor->update();
}

void xSystem::gameOverStep() {
  if (pressed(ACTION_DOWN) || pressed(ACTION_UP)) {
    playMenuSound(moveSound);
    if (pressed(ACTION_DOWN)) {
      gameOverMenu->selectNext();
    } else {
      gameOverMenu->selectPrevious();
    }
    menuCursor->moveTo(kCursorFrames, 0, kAvgPauseCursorY + kItemSpacing * float(gameOverMenu->selected));
  }
  // Only once the cover has landed on its alpha: the cover hidden by a
  // confirm also makes a second confirm do nothing.
  if (darkCover->color.a == kDarkAlpha && confirmPressed()) {
    playMenuSound(confirmSound);
    hideDarkCover(*darkCover);
    if (gameOverMenu->selected == 0) {
      retryStage();
    } else if (gameOverMenu->selected == 1) {
      quitToTitle();
    }
    xSoundManager::getInstance()->slideBackgroundMusicVolume(1.0f, savedMusicVolume);
  }
  gameOverMenu->update(kMenuStep);
  menuCursor->update();
}

void xSystem::retryStage() {
  // An empty stage name re-enters the stage state without loading a script.
  changeState(STATE_STG, true, stageScriptName);
  if (hooks.enemyBulletsActive) hooks.enemyBulletsActive(false);
  if (hooks.retryStage) hooks.retryStage();
}

void xSystem::quitToTitle() {
  changeState(STATE_TITLE, true, "");
  if (hooks.clearShots) hooks.clearShots();
}

void xSystem::commonTail() {
  shakeStep();
  if (logoFrame != -1) stepLogo();
  if (magicParticles) magicParticles->Update(kFrameSeconds);
}

void xSystem::shakeStep() {
  if (shakeMode == -1) return;
  ++shakeCount;
  // Drawn with the offsets of the previous step.
  hge->Gfx_SetTransform(kScreenCentreX, kScreenCentreY, shakeDx, shakeDy, 0, 1, 1);
  if (shakeCount > shakeFrames) {
    shakeMode = -1;
    hge->Gfx_SetTransform(kScreenCentreX, kScreenCentreY, 0, 0, 0, 0, 0);  // zero scale clears it
  }
  if (shakeMode == 2) swing(shakeDx, shakeTurnX, shakeAmplitude);
  if (shakeMode == 1) swing(shakeDy, shakeTurnY, shakeAmplitude);
}
