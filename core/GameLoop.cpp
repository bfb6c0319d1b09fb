// Engine set-up, start-up, the frame and render callbacks and the shutdown tail.
#include "core/GameLoop.h"

#include <cstdio>
#include <string>

#include "core/xLogFile.h"
#include "core/xSystem.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "host/HostRegistration.h"
#include "script/xHostAPIManager.h"
#include "script/xScriptManager.h"

HGE* hge = nullptr;
std::uint32_t totalFrames = 0;
std::uint32_t slowFrames = 0;

namespace {

constexpr unsigned kSystemModalErrorStyle = 0x1010;

void configureEngine() {
  hge->System_SetState(HGE_FRAMEFUNC, FrameFunc);
  hge->System_SetState(HGE_RENDERFUNC, RenderFunc);
  hge->System_SetState(HGE_TITLE, "Project Velmora");
  hge->System_SetState(HGE_SCREENWIDTH, 800);
  hge->System_SetState(HGE_SCREENHEIGHT, 600);
  hge->System_SetState(HGE_SCREENBPP, 32);
  hge->System_SetState(HGE_WINDOWED, true);
  hge->System_SetState(HGE_FPS, 60);
  hge->System_SetState(HGE_HIDEMOUSE, true);
  hge->System_SetState(HGE_DONTSUSPEND, true);
}

void countFrame() {
  ++totalFrames;
  if (hge->Timer_GetFPS() < 59.8) ++slowFrames;
}

}  // namespace

float slowRate(std::uint32_t total, std::uint32_t slow) {
  if (total == 0) return 0.0f;
  return float(double(total - slow) / double(total));
}

// DO NOT REORDER: a name that two groups register ends up with the later one.
void RegisterHostAPIs() {
  xHostAPIManager::getInstance();
  // TODO(host groups): sprites first, then bullets, keys, fonts, geometry,
  // sound, boss and player join at their places as they are built.
  RegisterHostSystemAPIs();
  RegisterHostScriptAPIs();
  // TODO(menus): "bindScriptToMenuItem" is registered here last.
}

void GameStartUp() {
  RegisterHostAPIs();
  // TODO(fonts): the font manager is made here.
  xSystem::getInstance();
  xSystem::getInstance()->GameStart();
  // TODO(managers): sound, menus, score, sound effects, status fonts and the
  // visual-novel player are made here, in that order.
  xSystem::getInstance()->setupTitleBackground();
  // TODO(background, items): the interface frame image and the item manager.
  xLogFile::getInstance();
  WriteLog("Project Tazrel Log\n");
  WriteLog("Current Time: %s\n", GetCurrentTimeString().c_str());
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

int runGame(int argc, char** argv) {
  std::string error;
  if (!engine::parseCommandLine(argc, argv, error)) {
    std::fprintf(stderr, "velmora: %s\n", error.c_str());
    return 2;
  }
  hge = hgeCreate(HGE_VERSION);
  // Set early so configuration read during host registration is honoured.
  hge->System_SetState(HGE_INIFILE, "config.ini");
  configureEngine();

  int status = 0;
  if (hge->System_Initiate()) {
    GameStartUp();
    hge->System_Start();
  } else {
    const char* message = hge->System_GetErrorMessage();
    std::fprintf(stderr, "velmora: %s\n", message);
    engine::messageBox(message, "Error", kSystemModalErrorStyle);
    status = 1;
  }

  WriteLog("SlowRate: %f(Total Run Frame: %u, Slow Frame: %u)", double(slowRate(totalFrames, slowFrames)),
           totalFrames, slowFrames);
  hge->System_Shutdown();
  hge->Release();
  hge = nullptr;
  return status;
}
