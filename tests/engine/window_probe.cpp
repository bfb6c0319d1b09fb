// Opens the real window backend, draws known quads, takes a --screenshot and checks its pixels.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <SDL.h>

#include "engine/headless/headless.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "engine/textures.h"
#include "tests/support/temp_dir.h"

namespace {

// Over a second, so Timer_GetFPS has counted one whole second.
constexpr int kFrames = 75;
constexpr int kShotFrame = 15;

HGE* gHge = nullptr;
HTEXTURE gBlue = 0;
HTEXTURE gYellow = 0;
HTEXTURE gSwap = 0;  // repainted in the middle of each scene
// Three loads of one file: one GL texture for the first two, the first freed
// after it was drawn; the third written, so it has pixels of its own.
constexpr DWORD kFileColour = 0xFF808000;
HTEXTURE gShared = 0;
HTEXTURE gSharedFreed = 0;
HTEXTURE gSharedWritten = 0;
// More textures in a row than one draw has texture units.
constexpr int kRowTextures = 11;
HTEXTURE gRow[kRowTextures] = {};

DWORD rowColour(int i) {
  return 0xFF000000u | (static_cast<DWORD>(i * 23) << 16) | (static_cast<DWORD>(250 - i * 20) << 8) | 0x40u;
}
int gFailures = 0;
int gChecks = 0;
int gFrame = 0;
int gLastFps = 0;
int gQuitFrames = 0;

void check(bool ok, const std::string& what) {
  ++gChecks;
  if (!ok) {
    ++gFailures;
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
  }
}

hgeQuad quad(float x1, float y1, float x2, float y2, DWORD col, HTEXTURE tex, int blend) {
  hgeQuad q{};
  const float xs[4] = {x1, x2, x2, x1};
  const float ys[4] = {y1, y1, y2, y2};
  for (int i = 0; i < 4; ++i) {
    q.v[i] = hgeVertex{xs[i], ys[i], 0.5f, col, (i == 1 || i == 2) ? 1.0f : 0.0f, i >= 2 ? 1.0f : 0.0f};
  }
  q.tex = tex;
  q.blend = blend;
  return q;
}

bool frameFunc() {
  if (++gFrame == kFrames) gLastFps = gHge->Timer_GetFPS();
  return false;
}

void paint(HTEXTURE tex, DWORD colour) {
  if (DWORD* p = gHge->Texture_Lock(tex, false)) {
    for (int i = 0; i < 4; ++i) p[i] = colour;
    gHge->Texture_Unlock(tex);
  }
}

bool renderFunc() {
  gHge->Gfx_Clear(0xFF000000);
  paint(gSwap, 0xFFFF0000);
  gHge->Gfx_BeginScene(0);
  // Untextured: the vertex colour.
  hgeQuad green = quad(100, 100, 300, 200, 0xFF20C040, 0, BLEND_DEFAULT);
  // Textured, colour multiply: blue texel x white vertex.
  hgeQuad blue = quad(400, 300, 500, 400, 0xFFFFFFFF, gBlue, BLEND_DEFAULT);
  // Half-transparent red, alpha blended over black.
  hgeQuad red = quad(600, 50, 700, 150, 0x80FF0000, 0, BLEND_DEFAULT);
  // Colour add: blue texel + red vertex = magenta.
  hgeQuad magenta = quad(100, 400, 200, 500, 0xFFFF0000, gBlue, BLEND_DEFAULT | BLEND_COLORADD);
  // Textures alternating within one blend share a draw: each must still
  // show its own pixels.
  hgeQuad yellow = quad(550, 300, 600, 350, 0xFFFFFFFF, gYellow, BLEND_DEFAULT);
  hgeQuad blueAgain = quad(650, 300, 700, 350, 0xFFFFFFFF, gBlue, BLEND_DEFAULT);
  gHge->Gfx_RenderQuad(&green);
  gHge->Gfx_RenderQuad(&blue);
  gHge->Gfx_RenderQuad(&yellow);
  gHge->Gfx_RenderQuad(&blueAgain);
  gHge->Gfx_RenderQuad(&red);
  gHge->Gfx_RenderQuad(&magenta);
  for (int i = 0; i < kRowTextures; ++i) {
    float x = 250.0f + i * 40.0f;
    hgeQuad q = quad(x, 540, x + 30, 570, 0xFFFFFFFF, gRow[i], BLEND_DEFAULT);
    gHge->Gfx_RenderQuad(&q);
  }
  // Quads drawn before a texture is repainted keep its old pixels.
  hgeQuad before = quad(300, 450, 350, 500, 0xFFFFFFFF, gSwap, BLEND_DEFAULT);
  hgeQuad after = quad(400, 450, 450, 500, 0xFFFFFFFF, gSwap, BLEND_DEFAULT);
  gHge->Gfx_RenderQuad(&before);
  paint(gSwap, 0xFFFFFF00);
  gHge->Gfx_RenderQuad(&after);
  hgeQuad shared = quad(50, 250, 90, 290, 0xFFFFFFFF, gShared, BLEND_DEFAULT);
  hgeQuad written = quad(150, 250, 190, 290, 0xFFFFFFFF, gSharedWritten, BLEND_DEFAULT);
  gHge->Gfx_RenderQuad(&shared);
  gHge->Gfx_RenderQuad(&written);
  if (gFrame < 5) {
    hgeQuad freed = quad(250, 250, 290, 290, 0xFFFFFFFF, gSharedFreed, BLEND_DEFAULT);
    gHge->Gfx_RenderQuad(&freed);
  } else if (gFrame == 5) {
    gHge->Texture_Free(gSharedFreed);
  }
  // Made, drawn and freed within the scene: the queued draw still shows it.
  HTEXTURE brief = gHge->Texture_Create(2, 2);
  paint(brief, 0xFF00FFFF);
  hgeQuad cyan = quad(700, 450, 750, 500, 0xFFFFFFFF, brief, BLEND_DEFAULT);
  gHge->Gfx_RenderQuad(&cyan);
  gHge->Texture_Free(brief);
  gHge->Gfx_EndScene();
  return false;
}

bool near(DWORD actual, DWORD expected) {
  for (int shift = 0; shift < 24; shift += 8) {
    int a = (actual >> shift) & 0xFF;
    int e = (expected >> shift) & 0xFF;
    if (a - e > 3 || e - a > 3) return false;
  }
  return true;
}

void checkPixel(const engine::Texture& shot, int x, int y, DWORD expected, const char* what) {
  DWORD actual = shot.pixels[static_cast<size_t>(y) * shot.width + x] & 0xFFFFFF;
  char text[160];
  std::snprintf(text, sizeof text, "%s at (%d, %d): 0x%06X, expected 0x%06X", what, x, y, actual,
                expected & 0xFFFFFF);
  check(near(actual, expected & 0xFFFFFF), text);
}

void checkScreenshot(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
  }
  engine::Texture shot;
  std::string error;
  check(engine::decodePng(bytes.data(), bytes.size(), shot, error), "screenshot is a PNG: " + error);
  if (shot.width != 800 || shot.height != 600) {
    check(false, "screenshot is 800 x 600, got " + std::to_string(shot.width) + " x " +
                     std::to_string(shot.height));
    return;
  }
  checkPixel(shot, 200, 150, 0x20C040, "green quad");
  checkPixel(shot, 100, 100, 0x20C040, "green quad's top-left pixel");
  checkPixel(shot, 300, 150, 0x000000, "just right of the green quad");
  checkPixel(shot, 99, 150, 0x000000, "just left of the green quad");
  checkPixel(shot, 450, 350, 0x0000FF, "textured quad");
  checkPixel(shot, 575, 325, 0xFFFF00, "second texture in the same draw");
  for (int i = 0; i < kRowTextures; ++i) checkPixel(shot, 265 + i * 40, 555, rowColour(i), "row of textures");
  checkPixel(shot, 675, 325, 0x0000FF, "first texture again in the same draw");
  checkPixel(shot, 650, 100, 0x800000, "alpha-blended quad");
  checkPixel(shot, 150, 450, 0xFF00FF, "colour-add quad");
  checkPixel(shot, 10, 590, 0x000000, "cleared background");
  checkPixel(shot, 325, 475, 0xFF0000, "quad drawn before its texture was repainted");
  checkPixel(shot, 425, 475, 0xFFFF00, "quad drawn after its texture was repainted");
  checkPixel(shot, 725, 475, 0x00FFFF, "quad whose texture was freed before the scene ended");
  checkPixel(shot, 70, 270, kFileColour, "picture whose other load was freed");
  checkPixel(shot, 170, 270, 0xFFFF8000, "written load of a shared picture");
  checkPixel(shot, 270, 270, 0x000000, "freed load, no longer drawn");
}

// SDL turns SIGINT into the same quit event as closing the window.
bool quittingFrameFunc() {
  if (++gQuitFrames == 3) std::raise(SIGINT);
  return gQuitFrames >= 30;  // a safety stop if the quit is ignored
}

// A second engine without --frames: closing the window must end the loop.
void checkCloseEndsLoop() {
  engine::options().frames = -1;
  engine::options().screenshotFrame = -1;
  gHge = hgeCreate(HGE_VERSION);
  gHge->System_SetState(HGE_FRAMEFUNC, quittingFrameFunc);
  gHge->System_SetState(HGE_RENDERFUNC, renderFunc);
  gHge->System_SetState(HGE_USESOUND, false);
  gHge->System_SetState(HGE_WINDOWED, true);
  gHge->System_SetState(HGE_FPS, 60);
  gHge->System_SetState(HGE_DONTSUSPEND, true);  // X servers without a window manager may never focus it
  check(gHge->System_Initiate(), "second System_Initiate");
  gSwap = gHge->Texture_Create(2, 2);
  check(gHge->System_Start(), "second System_Start returns true");
  check(gQuitFrames >= 3 && gQuitFrames <= 5, "a close ends the loop at the next frame, ran " +
                                                   std::to_string(gQuitFrames));
  gHge->System_Shutdown();
  gHge->Release();
}

int gExitCalls = 0;

// Refuses the close, but shuts the engine down first: the loop must end there.
bool shuttingExitFunc() {
  ++gExitCalls;
  gHge->System_Shutdown();
  return false;
}

void checkShutdownInExitFunc() {
  engine::options().frames = -1;
  engine::options().screenshotFrame = -1;
  gQuitFrames = 0;
  gHge = hgeCreate(HGE_VERSION);
  gHge->System_SetState(HGE_FRAMEFUNC, quittingFrameFunc);
  gHge->System_SetState(HGE_EXITFUNC, shuttingExitFunc);
  gHge->System_SetState(HGE_USESOUND, false);
  gHge->System_SetState(HGE_WINDOWED, true);
  gHge->System_SetState(HGE_FPS, 60);
  gHge->System_SetState(HGE_DONTSUSPEND, true);
  check(gHge->System_Initiate(), "third System_Initiate");
  check(gHge->System_Start(), "System_Start returns after a shutdown in the exit function");
  check(gExitCalls == 1 && gQuitFrames == 3, "the loop ends at the shutdown, exit calls " +
                                                 std::to_string(gExitCalls) + ", frames " +
                                                 std::to_string(gQuitFrames));
  gHge->System_Shutdown();
  gHge->Release();
}

// What each frame of the unpaced run saw.
struct PadFrame {
  float delta = 0;
  float time = 0;
  int fps = 0;
  hgePadState pads[2] = {};
};
std::vector<PadFrame> gPadFrames;
SDL_Joystick* gVirtualPad = nullptr;

bool padFrameFunc() {
  PadFrame f;
  f.delta = gHge->Timer_GetDelta();
  f.time = gHge->Timer_GetTime();
  f.fps = gHge->Timer_GetFPS();
  for (int slot = 0; slot < 2; ++slot) f.pads[slot] = gHge->Input_GetPadState(slot);
  gPadFrames.push_back(f);
  // Seen by the next frame's poll.
  if (gPadFrames.size() == 4 && gVirtualPad) SDL_JoystickSetVirtualButton(gVirtualPad, SDL_CONTROLLER_BUTTON_A, 1);
  return false;
}

// Unpaced, the window's clock steps exactly 1/60 s a frame; the input file's pad lines hold
// their slot against SDL's controllers, which keep the slots the file leaves alone.
void checkUnpacedScriptedPads() {
  constexpr int kPadFrames = 12;
  engine::options().frames = kPadFrames;
  engine::options().unpaced = true;
  engine::options().screenshotFrame = -1;
  engine::headless::clearInput();
  engine::headless::padState(2, 1, true, HGEPAD_START | HGEPAD_A);
  engine::headless::padState(6, 1, true, HGEPAD_DPAD_UP);
  engine::headless::padState(9, 1, false, 0);
  gHge = hgeCreate(HGE_VERSION);
  gHge->System_SetState(HGE_FRAMEFUNC, padFrameFunc);
  gHge->System_SetState(HGE_USESOUND, false);
  gHge->System_SetState(HGE_FPS, 60);
  gHge->System_SetState(HGE_DONTSUSPEND, true);
  check(gHge->System_Initiate(), "unpaced System_Initiate");
  int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 0, SDL_CONTROLLER_BUTTON_MAX, 0);
  gVirtualPad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  check(gVirtualPad != nullptr, std::string("a virtual game controller: ") + SDL_GetError());
  check(gHge->System_Start(), "unpaced System_Start");
  if (gVirtualPad) SDL_JoystickClose(gVirtualPad);
  if (index >= 0) SDL_JoystickDetachVirtual(index);
  gHge->System_Shutdown();
  gHge->Release();
  engine::headless::clearInput();
  engine::options().unpaced = false;

  check(gPadFrames.size() == kPadFrames, "unpaced frames run: " + std::to_string(gPadFrames.size()));
  for (std::size_t i = 0; i < gPadFrames.size(); ++i) {
    const PadFrame& f = gPadFrames[i];
    const std::string at = " at frame " + std::to_string(i);
    check(f.delta == static_cast<float>(1.0 / 60.0) && f.fps == 60,
          "unpaced delta " + std::to_string(f.delta) + ", fps " + std::to_string(f.fps) + at);
    check(f.time == static_cast<float>((i + 1) / 60.0), "unpaced time " + std::to_string(f.time) + at);
    unsigned scripted = i < 2 || i >= 9 ? 0u : i < 6 ? unsigned{HGEPAD_START | HGEPAD_A} : unsigned{HGEPAD_DPAD_UP};
    check(f.pads[1].connected == (i >= 2 && i < 9) && f.pads[1].buttons == scripted,
          "scripted pad 1: " + std::to_string(f.pads[1].connected) + ", " + std::to_string(f.pads[1].buttons) + at);
    if (gVirtualPad) {
      check(f.pads[0].connected && f.pads[0].buttons == (i >= 4 ? HGEPAD_A : 0u),
            "controller in pad 0: " + std::to_string(f.pads[0].connected) + ", " +
                std::to_string(f.pads[0].buttons) + at);
    }
  }
}

}  // namespace

// [argv 1], when given, receives a copy of the screenshot to look at.
int main(int argc, char** argv) {
  ScopedTempDir dir;
  std::string shot = (dir.path() / "probe.png").string();
  std::string frames = std::to_string(kFrames);
  std::string shotArg = std::to_string(kShotFrame) + ":" + shot;
  const char* args[] = {"window_probe", "--frames", frames.c_str(), "--screenshot", shotArg.c_str()};
  unsetenv("VELMORA_BACKEND");
  std::string error;
  if (!engine::parseCommandLine(5, const_cast<char**>(args), error)) {
    std::fprintf(stderr, "window probe: %s\n", error.c_str());
    return 1;
  }
  gHge = hgeCreate(HGE_VERSION);
  gHge->System_SetState(HGE_FRAMEFUNC, frameFunc);
  gHge->System_SetState(HGE_RENDERFUNC, renderFunc);
  gHge->System_SetState(HGE_TITLE, "Project Velmora");
  gHge->System_SetState(HGE_WINDOWED, true);
  gHge->System_SetState(HGE_USESOUND, false);
  gHge->System_SetState(HGE_FPS, 60);
  gHge->System_SetState(HGE_DONTSUSPEND, true);
  if (!gHge->System_Initiate()) {
    std::fprintf(stderr, "window probe: %s\n", gHge->System_GetErrorMessage());
    gHge->Release();
    return 1;
  }
  check(gHge->System_GetState(HGE_HWND) != nullptr, "the window backend has a window");
  gBlue = gHge->Texture_Create(2, 2);
  paint(gBlue, 0xFF0000FF);
  for (int i = 0; i < kRowTextures; ++i) {
    gRow[i] = gHge->Texture_Create(2, 2);
    paint(gRow[i], rowColour(i));
  }
  gYellow = gHge->Texture_Create(2, 2);
  paint(gYellow, 0xFFFFFF00);
  gSwap = gHge->Texture_Create(2, 2);
  const std::vector<DWORD> filePixels(4, kFileColour);
  check(engine::writePng("shared.png", 2, 2, filePixels.data(), error), "shared.png written: " + error);
  gShared = gHge->Texture_Load("shared.png");
  gSharedFreed = gHge->Texture_Load("shared.png");
  gSharedWritten = gHge->Texture_Load("shared.png");
  paint(gSharedWritten, 0xFFFF8000);
  check(gShared != 0 && gSharedFreed != 0 && gSharedWritten != 0, "three loads of shared.png");
  auto start = std::chrono::steady_clock::now();
  check(gHge->System_Start(), "System_Start returns true");
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The loop sleeps to 60 fps frame boundaries.
  check(seconds >= (kFrames - 1) / 60.0, "75 frames take at least 74/60 s, took " + std::to_string(seconds));
  // Never above 60; a loaded machine may fall behind, so only a loose floor.
  check(gLastFps >= 20 && gLastFps <= 61, "Timer_GetFPS counts up to 60, got " + std::to_string(gLastFps));
  gHge->System_Shutdown();
  gHge->Release();
  checkScreenshot(shot);
  checkCloseEndsLoop();
  checkShutdownInExitFunc();
  checkUnpacedScriptedPads();
  if (argc > 1) std::filesystem::copy_file(shot, argv[1], std::filesystem::copy_options::overwrite_existing);
  std::printf("window probe: %d passed, %d failed\n", gChecks - gFailures, gFailures);
  return gFailures == 0 ? 0 : 1;
}
