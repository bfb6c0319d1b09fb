// The engine's frame and render callbacks: the one place the per-frame order is written.
#include "app/game_loop.h"

#include "core/xSystem.h"
#include "engine/hge.h"
#include "script/manager/xScriptManager.h"

std::uint32_t totalFrames = 0;
std::uint32_t slowFrames = 0;

namespace {

void countFrame() {
  ++totalFrames;
  if (hge->Timer_GetFPS() < 59.8) ++slowFrames;
}

}  // namespace

float slowRate(std::uint32_t total, std::uint32_t slow) {
  if (total == 0) return 0.0f;
  return float(double(total - slow) / double(total));
}

bool FrameFunc() {
  // TODO(managers): input, text boxes, sound, menus, sprites, background and
  // floating texts step here, and each state's managers below, as they join.
  countFrame();
  xSystem* system = xSystem::getInstance();
  if (system->getState() == STATE_STG) {
    xScriptManager::getInstance()->callCurrUpdateFunc();
  }
  // TODO(timers): the timer manager steps here.
  return system->update();
}

bool RenderFunc() {
  hge->Gfx_Clear(0);
  hge->Gfx_BeginScene(0);
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
    default:
      break;
  }
  system->render();
  hge->Gfx_EndScene();
  return false;
}

// TODO(subsystems): each scene draws its objects here as they are built.
void renderSTGScene() {
  // TODO(text boxes, menus): drawn before the script's "Render".
  xScriptManager::getInstance()->callCurrRenderFunc();
}
void renderAVGScene() {}

void renderAVGInSTGScene() {
  // TODO(subsystems): the shooting scene's order, with the scene player
  // drawn after the floating texts.
  xScriptManager::getInstance()->callCurrRenderFunc();
}
