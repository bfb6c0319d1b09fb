// The resident memory of text whose font size changes every frame: a zoomed floating text, a text box remade, a script font, one huge text.
//
// Usage: font_sizes PATTERN [FRAMES]   (FRAMES defaults to 1200)
// PATTERN is "floating" (one floating text a frame, each a pixel larger),
// "box" (a text box deleted and made again a pixel larger each frame),
// "script" (a bitmap font created a pixel larger each frame and drawn),
// "huge" (one 4,096-pixel floating text) or "huge-script" (one 4,096-pixel
// text of a bitmap font). Runs headless from a folder
// holding the game's data/ (the source tree's will do) and prints the
// resident peak and its growth over the run in MiB.
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/hge.h"
#include "engine/options.h"
#include "gfx/GfxFont.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xFloatingText.h"
#include "gfx/xFontManager.h"
#include "gfx/xTextBox.h"

namespace {

long peakKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

void frame(HGE* hge, const std::string& pattern, int i) {
  int size = 16 + i;
  if (pattern == "floating") {
    xFloatingTextManager::getInstance()->addText("Bonus 12345", "DFGirl.ttf", size, 0xFFFFFFFF, 400, 300, 400, 300,
                                                 1, 0, 0);
  } else if (pattern == "box") {
    static int box = -1;
    xTextBoxManager* boxes = xTextBoxManager::getInstance();
    boxes->deleteTextBox(box);
    box = boxes->createTextBox("DFGirl.ttf", {0, 0, 800, 600}, size);
    boxes->getTextBox(box)->setText(L"Stage 1 \x4E2D\x6587");
  } else if (pattern == "huge" && i == 0) {
    xFloatingTextManager::getInstance()->addText("Stage Clear", "DFGirl.ttf", 4096, 0xFFFFFFFF, 0, 0, 0, 0, 100000, 0,
                                                 0);
  }
  xFloatingTextManager::getInstance()->update();
  xTextBoxManager::getInstance()->update();
  hge->Gfx_BeginScene();
  xFontManager* fonts = xFontManager::getInstance();
  if (pattern == "script") {
    fonts->getFont(fonts->createFont(L"SimHei", size, 0xFFFFFFFF, {}))->Render(0, 0, L"Stage 1 \x4E2D\x6587");
  } else if (pattern == "huge-script") {
    static int font = fonts->createFont(L"SimHei", 4096, 0xFFFFFFFF, {});
    fonts->getFont(font)->Render(0, 0, L"Stage Clear");
  }
  xFloatingTextManager::getInstance()->render();
  xTextBoxManager::getInstance()->render();
  hge->Gfx_EndScene();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: font_sizes floating|box|script|huge|huge-script [FRAMES]\n");
    return 2;
  }
  std::string pattern = argv[1];
  int frames = argc > 2 ? std::stoi(argv[2]) : 1200;
  engine::options().backend = engine::Backend::Headless;
  HGE* hge = hgeCreate(HGE_VERSION);
  if (!hge->System_Initiate()) return 1;
  long before = 0;
  {
    TTFontManager fonts(hge);
    for (int i = 0; i < frames; ++i) {
      frame(hge, pattern, i);
      if (i == 0) before = peakKiB();
    }
    long peak = peakKiB();
    std::printf("%s, %d frames: peak %.1f MiB, grown %.1f MiB after the first frame\n", pattern.c_str(), frames,
                double(peak) / 1024, double(peak - before) / 1024);
    xTextBoxManager::resetForTests();
    xFloatingTextManager::resetForTests();
    xFontManager::resetForTests();
  }
  hge->System_Shutdown();
  hge->Release();
  return 0;
}
