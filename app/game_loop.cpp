// Engine set-up, the loop and the shutdown tail.
#include "app/game_loop.h"

#include <cstdio>
#include <string>

#include "app/status_numbers.h"
#include "base/resource_path.h"
#include "base/xLogFile.h"
#include "core/xSoundManager.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "gfx/hgeTTFont.h"

HGE* hge = nullptr;

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

}  // namespace

int runGame(int argc, char** argv) {
  std::string error;
  if (!engine::parseCommandLine(argc, argv, error)) {
    std::fprintf(stderr, "velmora: %s\n", error.c_str());
    return 2;
  }
  if (engine::options().help) {
    std::fputs("usage: velmora [options]\n", stdout);
    std::fputs(engine::helpText(), stdout);
    return 0;
  }
  // The game takes no options of its own: a mistyped one would go unnoticed.
  if (std::string unknown = engine::firstUnknownOption(argc, argv); !unknown.empty()) {
    std::fprintf(stderr, "velmora: unknown option %s (see velmora --help)\n", unknown.c_str());
    return 2;
  }
  // Names from scripts, scenes, the define file and config.ini stay in the
  // run folder; the command line's own paths (--input) are not game paths.
  base::confineGamePathsToRunFolder();
  engine::setGameLogHook([](const std::string& line) { WriteLog("%s", line.c_str()); });
  hge = hgeCreate(HGE_VERSION);
  // Set early so configuration read during host registration is honoured.
  hge->System_SetState(HGE_INIFILE, "config.ini");
  configureEngine();

  int status = 0;
  if (hge->System_Initiate()) {
    GameStartUp();
    hge->System_Start();
  } else {
    // The box, or on stderr its stand-in when it cannot show, says it once.
    const char* message = hge->System_GetErrorMessage();
    WriteLog("%s", message);
    engine::messageBox(message, "Error", kSystemModalErrorStyle);
    status = 1;
  }

  WriteLog("SlowRate: %f(Total Run Frame: %u, Slow Frame: %u)", double(slowRate(totalFrames, slowFrames)),
           totalFrames, slowFrames);
  hge->System_Shutdown();
  xSoundManager::destroy();  // writes the volumes
  delete TTFontManager::getInstance();
  scoreFont = statusFont = nullptr;
  hge->Release();
  hge = nullptr;
  engine::setGameLogHook(nullptr);
  return status;
}
