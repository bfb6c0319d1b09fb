// The engine's frame and render callbacks: the one place the per-frame order is written.
#include "app/game_loop.h"

#include "app/status_numbers.h"
#include "avg/end_theme.h"
#include "avg/xAVG.h"
#include "core/xInputManager.h"
#include "core/xMenu.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "core/xTimer.h"
#include "engine/hge.h"
#include "gfx/xFloatingText.h"
#include "gfx/xSpriteManager.h"
#include "gfx/xTextBox.h"
#include "script/manager/xScriptManager.h"
#include "stg/mBulletManager.h"
#include "stg/xBackgroundManager.h"
#include "stg/xBoss.h"
#include "stg/xItemManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "stg/xSourceManager.h"

std::uint32_t totalFrames = 0;
std::uint32_t slowFrames = 0;

namespace {

void countFrame() {
  ++totalFrames;
  if (hge->Timer_GetFPS() < 59.8) ++slowFrames;
}

// The shooting objects of both stage scenes, from the items to the boss overlay.
void renderShootingObjects() {
  xItemManager::getInstance()->render();
  xSourceManager::getInstance()->render();
  xPlayer* player = xPlayer::getInstance();
  player->render();
  xBoss::getInstance()->render();
  // The player's render has drawn its shots already: they are drawn twice.
  player->shots->render();
  xScoreManager::getInstance()->render();
  mBulletManager::getInstance()->render();
  xBoss::getInstance()->renderOverlay();
}

// Last in both stage scenes, over the frame and the numbers.
void renderBombCutIn() {
  xPlayer* player = xPlayer::getInstance();
  if (player->bombing()) player->renderBombCutIn();
}

}  // namespace

float slowRate(std::uint32_t total, std::uint32_t slow) {
  if (total == 0) return 0.0f;
  return float(double(total - slow) / double(total));
}

bool FrameFunc() {
  xInputManager::getInstance()->update();
  xTextBoxManager::getInstance()->update();
  xSoundManager::getInstance()->update();
  xMenuManager::getInstance()->update(hge->Timer_GetDelta());
  xSpriteManager::getInstance()->update();
  xBackgroundManager* background = xBackgroundManager::getInstance();
  background->update();
  xFloatingTextManager::getInstance()->update();
  countFrame();
  xSystem* system = xSystem::getInstance();
  if (system->getState() == STATE_AVG) {
    xAVG::getInstance()->update();
  } else if (system->getState() == STATE_STG) {
    xScriptManager::getInstance()->callCurrUpdateFunc();
    // A second step: fades, turning and the sea run twice as fast in a stage.
    background->update();
    xItemManager::getInstance()->update();
    xSourceManager::getInstance()->update();
    xPlayer::getInstance()->update();
    mBulletManager::getInstance()->update();
    xBoss::getInstance()->update();
    xScoreManager::getInstance()->updateScoreBoard();
  } else if (system->getState() == STATE_AVG_IN_STG) {
    xBoss::getInstance()->update();
    xPlayer::getInstance()->update();
    xAVG::getInstance()->update();
  } else if (system->getState() == STATE_SCOREBOARD) {
    xBoss::getInstance()->update();
    xPlayer::getInstance()->update();
    xAVG::getInstance()->update();
    xScoreManager::getInstance()->updateScoreBoard();
  } else if (system->getState() == STATE_ENDING) {
    updateEndTheme();
  }
  xTimerManager::getInstance()->update();
  return system->update();
}

bool RenderFunc() {
  hge->Gfx_Clear(0);
  hge->Gfx_BeginScene(0);
  xBackgroundManager::getInstance()->render();
  xSystem* system = xSystem::getInstance();
  switch (system->getState()) {
    case STATE_STG:
    case STATE_GAMEOVER:
      renderSTGScene();
      break;
    case STATE_AVG:
      renderAVGScene();
      break;
    case STATE_AVG_IN_STG:
      renderAVGInSTGScene();
      break;
    case STATE_PAUSE:
      switch (system->getPreviousState()) {
        case STATE_STG: renderSTGScene(); break;
        case STATE_AVG: renderAVGScene(); break;
        case STATE_AVG_IN_STG: renderAVGInSTGScene(); break;
        default: break;
      }
      break;
    case STATE_ENDING:
      renderEndTheme();
      xFloatingTextManager::getInstance()->render();
      break;
    case STATE_SCOREBOARD:
      renderSTGScene();
      // The board again, over the scene's floating texts and frame.
      xScoreManager::getInstance()->render();
      xFloatingTextManager::getInstance()->render();
      break;
    default:
      break;
  }
  system->render();
  hge->Gfx_EndScene();
  return false;
}

void renderSTGScene() {
  xTextBoxManager::getInstance()->render();
  xMenuManager::getInstance()->render();
  xScriptManager::getInstance()->callCurrRenderFunc();
  renderShootingObjects();
  xFloatingTextManager::getInstance()->render();
  xBackgroundManager::getInstance()->renderUIFrame();
  renderStatusNumbers(currentStatusNumbers());
  renderBombCutIn();
}

void renderAVGScene() {
  xTextBoxManager::getInstance()->render();
  xFloatingTextManager::getInstance()->render();
  xAVG::getInstance()->render();
  xMenuManager::getInstance()->render();
}

void renderAVGInSTGScene() {
  // The shooting scene's order, with the scene player drawn after the
  // floating texts.
  xTextBoxManager::getInstance()->render();
  xMenuManager::getInstance()->render();
  xScriptManager::getInstance()->callCurrRenderFunc();
  renderShootingObjects();
  xFloatingTextManager::getInstance()->render();
  xAVG::getInstance()->render();
  xBackgroundManager::getInstance()->renderUIFrame();
  renderStatusNumbers(currentStatusNumbers());
  renderBombCutIn();
}
