// Shows text on its own: a revealing text box with frame and wait indicator, both font renderers, the status fonts.
//
// Usage: text_view [--text TEXT] [engine options]
// Run it from a folder holding the game's data/ (tools/run.sh's build/run/
// does). TEXT is UTF-8. Engine options are the game's: --headless,
// --frames N, --screenshot F:FILE.png.
#include <cstdio>
#include <memory>
#include <string>

#include "engine/hge.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "gfx/GfxFont.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xFontManager.h"
#include "gfx/xTextBox.h"

namespace {

HGE* hge = nullptr;
xTextBox* box = nullptr;
GfxFont* bitmapFont = nullptr;
hgeTTFont* statusFont = nullptr;
hgeTTFont* scoreFont = nullptr;

constexpr const wchar_t* kDefaultText =
    L"\x591C\x7A7A\x306E\x4E0B\x3001the text box reveals one character every six frames, "
    L"wraps at its right edge and fades each character in.\n\x300C\x6D77\x3078\x884C\x3053\x3046\x300D";

bool frame() {
  box->Update(0);
  return false;
}

bool render() {
  hge->Gfx_Clear(0xFF202838);
  hge->Gfx_BeginScene(0);
  bitmapFont->Render(40, 40, L"GfxFont: DejaVu Sans 24 \x4E2D\x6587\nsecond line");
  if (statusFont != nullptr) {
    statusFont->colour = 0xFFFF8000;
    statusFont->Print(400, 150, 2, "%d%%", 12);
  }
  if (scoreFont != nullptr) {
    scoreFont->colour = 0xFFFFFFFF;
    scoreFont->Print(40, 160, 0, L"%.9d", 12345);
  }
  box->Render();
  hge->Gfx_EndScene();
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!engine::parseCommandLine(argc, argv, error)) {
    std::fprintf(stderr, "text_view: %s\n", error.c_str());
    return 2;
  }
  std::wstring text = kDefaultText;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--text") text = engine::cp936ToWide(engine::utf8ToCp936(argv[i + 1]));

  hge = hgeCreate(HGE_VERSION);
  hge->System_SetState(HGE_FRAMEFUNC, frame);
  hge->System_SetState(HGE_RENDERFUNC, render);
  hge->System_SetState(HGE_TITLE, "text_view");
  hge->System_SetState(HGE_SCREENWIDTH, 800);
  hge->System_SetState(HGE_SCREENHEIGHT, 600);
  hge->System_SetState(HGE_WINDOWED, true);
  hge->System_SetState(HGE_FPS, 60);
  if (!hge->System_Initiate()) {
    std::fprintf(stderr, "text_view: %s\n", hge->System_GetErrorMessage());
    hge->Release();
    return 1;
  }
  {
    TTFontManager fonts(hge);
    statusFont = xFontManager::getInstance()->getTTFont("DFGirl.ttf", 35);
    scoreFont = xFontManager::getInstance()->getTTFont("Consolab.ttf", 18);
    auto font = std::make_unique<GfxFont>(L"DejaVu Sans", 24, gfx::FontStyle{});
    font->SetColor(0xFFE0E8FF);
    bitmapFont = font.get();
    xTextBox textBox({120, 400, 540, 100}, "simhei.ttf", 22);
    textBox.setFrame("UI/mainMenuBG.png", 20, 12);
    textBox.setIndicator("particles.png", 32, 32);
    textBox.revealOn = true;
    textBox.fadeInOn = true;
    textBox.setText(text);
    textBox.setGradient(0xFFFFFFFF, 0xFF80C0FF);
    box = &textBox;
    hge->System_Start();
    box = nullptr;
  }
  hge->System_Shutdown();
  hge->Release();
  return 0;
}
