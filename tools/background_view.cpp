// Shows the backgrounds on their own, in the window or headless, for manual checks and screenshots.
//
// Usage: background_view [--sea HOURS] [--image NAME SPEED MODE] [--fog SPEED]
//                        [--cover NAME SPEED X Y MODE] [--frame] [engine options]
// Run it from a folder holding the game's data/ (tools/run.sh's build/run/
// does). The stage state is set, so 2D backgrounds sit on the play field.
// Engine options are the game's: --headless, --frames N, --screenshot F:FILE.png.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/xSystem.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "stg/xBackgroundManager.h"

namespace {

HGE* hge = nullptr;

bool frame() {
  xBackgroundManager::getInstance()->update();
  xBackgroundManager::getInstance()->update();  // a stage steps it twice
  return false;
}

bool render() {
  hge->Gfx_Clear(0);
  hge->Gfx_BeginScene(0);
  xBackgroundManager::getInstance()->render();
  xBackgroundManager::getInstance()->renderUIFrame();
  hge->Gfx_EndScene();
  return false;
}

float number(const char* text) { return std::strtof(text, nullptr); }

// Applies one option at argv[i]; returns how many arguments it took, 0 if unknown.
int apply(int argc, char** argv, int i, xBackgroundManager* bg) {
  std::string option = argv[i];
  int left = argc - i - 1;
  if (option == "--sea" && left >= 1) {
    bg->seaEnabled = true;
    bg->sea.enableSeaSimulation();
    bg->sea.time = stg::wrapHours(number(argv[i + 1]));
    return 2;
  }
  if (option == "--image" && left >= 3) {
    bg->set2DBackground(argv[i + 1], number(argv[i + 2]), std::atoi(argv[i + 3]));
    return 4;
  }
  if (option == "--fog" && left >= 1) {
    bg->fogEnabled = true;
    bg->fogSpeed = number(argv[i + 1]);
    return 2;
  }
  if (option == "--cover" && left >= 5) {
    bg->addBackgroundCover(argv[i + 1], number(argv[i + 2]), number(argv[i + 3]), number(argv[i + 4]), 0,
                           std::atoi(argv[i + 5]));
    return 6;
  }
  if (option == "--frame") {
    bg->setUIFrame("ui.png");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!engine::parseCommandLine(argc, argv, error)) {
    std::fprintf(stderr, "background_view: %s\n", error.c_str());
    return 2;
  }
  // A viewer asked for pictures is done once the last is written.
  engine::endAfterLastScreenshot();
  hge = hgeCreate(HGE_VERSION);
  hge->System_SetState(HGE_INIFILE, "config.ini");
  hge->System_SetState(HGE_FRAMEFUNC, frame);
  hge->System_SetState(HGE_RENDERFUNC, render);
  hge->System_SetState(HGE_TITLE, "Velmora backgrounds");
  hge->System_SetState(HGE_SCREENWIDTH, 800);
  hge->System_SetState(HGE_SCREENHEIGHT, 600);
  hge->System_SetState(HGE_WINDOWED, true);
  hge->System_SetState(HGE_FPS, 60);
  if (!hge->System_Initiate()) {
    std::fprintf(stderr, "background_view: %s\n", hge->System_GetErrorMessage());
    return 1;
  }
  xSystem::getInstance()->setState(STATE_STG);
  xBackgroundManager* bg = xBackgroundManager::getInstance();
  for (int i = 1; i < argc;) {
    int used = apply(argc, argv, i, bg);
    i += used > 0 ? used : 1;  // engine options were read above
  }
  hge->System_Start();
  hge->System_Shutdown();
  hge->Release();
  return 0;
}
