// Plays a visual-novel scene in the game, full screen or over a running stage, for manual checks and screenshots.
//
// Usage: scene_view SCENE [--stage SCRIPT] [--skip N] [engine options]   (SCENE first)
// Run it from a folder holding the game's data/, config.ini and defines.txt
// (tools/run.sh's build/run/ does). The game starts up as usual; in its first
// frame a faded switch begins: to the scene (full screen), or with --stage to
// the stage SCRIPT, where the ship enters and, 60 frames after the switch,
// SCENE plays over the running stage and hands back to it at its end.
// --skip N moves on N orders as soon as the scene has started, as Ctrl would
// over N frames (a choice stops it), to look at a later part of a scene.
// Engine options are the game's: --headless, --frames N, --input FILE,
// --screenshot F:FILE.png. Keys: Enter or Z go on, Up and Down choose, Ctrl skips.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/game_loop.h"
#include "avg/xAVG.h"
#include "base/xLogFile.h"
#include "core/xSystem.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "host/host_script_apis.h"
#include "stg/xPlayer.h"

namespace {

std::string gScene;
std::string gStage;
long gFrame = 0;
int gSkip = 0;

// What "htRunAVGScriptInSTG" does for scripts.
void playSceneInStage() {
  if (!host::runSceneInStage(gScene)) std::fprintf(stderr, "scene_view: cannot read %s\n", gScene.c_str());
}

bool frame() {
  const long now = gFrame++;
  xSystem* system = xSystem::getInstance();
  if (now == 0) {
    if (gStage.empty()) system->changeState(STATE_AVG, true, gScene);
    else system->changeState(STATE_STG, true, gStage);
  }
  if (!gStage.empty() && now == xSystem::kSwitchFrame) xPlayer::getInstance()->create();
  const long sceneStart = gStage.empty() ? xSystem::kSwitchFrame : 2 * xSystem::kSwitchFrame;
  if (!gStage.empty() && now == sceneStart) playSceneInStage();
  if (now == sceneStart + 1) {
    xAVG* player = xAVG::getInstance();
    for (int i = 0; i < gSkip; ++i) {
      const xAVGOrder* order = player->currentOrder();
      if (order && order->waitState <= -3) break;
      player->nextOrder();
    }
  }
  return FrameFunc();
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!engine::parseCommandLine(argc, argv, error)) {
    std::fprintf(stderr, "scene_view: %s\n", error.c_str());
    return 2;
  }
  // A viewer asked for pictures is done once the last is written.
  engine::endAfterLastScreenshot();
  if (argc > 1 && argv[1][0] != '-') gScene = argv[1];
  for (int i = 2; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--stage") gStage = argv[i + 1];
    if (std::string(argv[i]) == "--skip") gSkip = std::atoi(argv[i + 1]);
  }
  if (gScene.empty()) {
    std::fprintf(stderr, "usage: scene_view SCENE [--stage SCRIPT] [engine options]\n");
    return 2;
  }
  hge = hgeCreate(HGE_VERSION);
  hge->System_SetState(HGE_INIFILE, "config.ini");
  hge->System_SetState(HGE_FRAMEFUNC, frame);
  hge->System_SetState(HGE_RENDERFUNC, RenderFunc);
  hge->System_SetState(HGE_TITLE, "Velmora scenes");
  hge->System_SetState(HGE_SCREENWIDTH, 800);
  hge->System_SetState(HGE_SCREENHEIGHT, 600);
  hge->System_SetState(HGE_WINDOWED, true);
  hge->System_SetState(HGE_FPS, 60);
  if (!hge->System_Initiate()) {
    std::fprintf(stderr, "scene_view: %s\n", hge->System_GetErrorMessage());
    return 1;
  }
  GameStartUp();
  hge->System_Start();
  hge->System_Shutdown();
  hge->Release();
  return 0;
}
