// Headless loop, clock, shutdown, stop signals, reference counting, scripted input; the window without a display.
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/engine/child_fixture.h"
#include "tests/engine/hge_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

// Callbacks are plain function pointers: they talk to the test through these.
struct LoopLog {
  HGE* hge = nullptr;
  int frames = 0;
  int renders = 0;
  int stopAtFrame = -1;      // the frame function returns true on this frame
  int shutdownAtFrame = -1;  // the frame function calls System_Shutdown on this frame
  std::vector<float> deltas;
  std::vector<float> times;
  std::vector<int> fps;
  std::vector<int> keys;        // Input_GetKey, asked twice per frame (both recorded)
  std::vector<bool> heldA;      // Input_GetKeyState('A')
  std::vector<bool> pressedA;   // Input_KeyDown('A')
  std::vector<bool> releasedA;  // Input_KeyUp('A')
  std::vector<hgePadState> pad1;
  bool outOfRangeKeySeen = false;
  std::vector<int> signalAtFrame;  // the frame function raises [signal] on these frames
  int signal = 0;
  int exitCalls = 0;
  int acceptExitAtCall = 1;  // the exit function refuses the calls before this one
};
LoopLog gLog;

bool frameFunc() {
  HGE* h = gLog.hge;
  int frame = gLog.frames++;
  gLog.deltas.push_back(h->Timer_GetDelta());
  gLog.times.push_back(h->Timer_GetTime());
  gLog.fps.push_back(h->Timer_GetFPS());
  gLog.keys.push_back(h->Input_GetKey());
  gLog.keys.push_back(h->Input_GetKey());
  gLog.heldA.push_back(h->Input_GetKeyState('A'));
  gLog.pressedA.push_back(h->Input_KeyDown('A'));
  gLog.releasedA.push_back(h->Input_KeyUp('A'));
  gLog.pad1.push_back(h->Input_GetPadState(1));
  gLog.outOfRangeKeySeen |= h->Input_GetKeyState(-1) || h->Input_GetKeyState(256) || h->Input_GetKeyState(1000);
  if (frame == gLog.shutdownAtFrame) {
    h->System_Shutdown();
    // Calls after shutdown, from the callback, must be harmless.
    hgeQuad q = makeQuad(0, 0, 1, 1);
    h->Gfx_RenderQuad(&q);
    h->Gfx_EndScene();
    EXPECT_EQ(h->Effect_Load("nothing.wav"), 0u);
    EXPECT_EQ(h->Effect_Play(1), 0u);
  }
  for (int at : gLog.signalAtFrame) {
    if (frame == at) std::raise(gLog.signal);
  }
  return frame == gLog.stopAtFrame;
}

bool countingExitFunc() {
  return ++gLog.exitCalls >= gLog.acceptExitAtCall;
}

void markingHandler(int) {}

bool renderFunc() {
  ++gLog.renders;
  return false;
}

class HgeLoopTest : public HgeTest {
 protected:
  void SetUp() override {
    HgeTest::SetUp();
    gLog = LoopLog{};
    gLog.hge = hge_;
    hge_->System_SetState(HGE_FRAMEFUNC, frameFunc);
    hge_->System_SetState(HGE_RENDERFUNC, renderFunc);
    hge_->System_SetState(HGE_FPS, 60);
  }
  // Re-creates the engine with [frames] as --frames and the callbacks set.
  void withFrames(long frames) {
    engine::options().frames = frames;
    recreate();
    gLog.hge = hge_;
    hge_->System_SetState(HGE_FRAMEFUNC, frameFunc);
    hge_->System_SetState(HGE_RENDERFUNC, renderFunc);
  }
};

TEST_F(HgeLoopTest, FrameFunctionReturningTrueEndsTheLoopWithoutRendering) {
  gLog.stopAtFrame = 3;
  initiate();
  EXPECT_TRUE(hge_->System_Start());
  EXPECT_EQ(gLog.frames, 4);
  EXPECT_EQ(gLog.renders, 3);
  EXPECT_EQ(engine::headless::frameCount(), 4);
}

TEST_F(HgeLoopTest, FramesOptionEndsTheLoopAndTheClockIsFixed) {
  withFrames(5);
  initiate();
  EXPECT_TRUE(hge_->System_Start());
  EXPECT_EQ(gLog.frames, 5);
  EXPECT_EQ(gLog.renders, 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_FLOAT_EQ(gLog.deltas[i], 1.0f / 60);
    EXPECT_FLOAT_EQ(gLog.times[i], (i + 1) / 60.0f);
    EXPECT_EQ(gLog.fps[i], 60);
  }

  withFrames(0);
  gLog = LoopLog{};
  gLog.hge = hge_;
  initiate();
  EXPECT_TRUE(hge_->System_Start());
  EXPECT_EQ(gLog.frames, 0) << "--frames 0 runs no frame";
}

// A signal raised during a frame ends the loop at the start of the next one,
// through the exit function as a window close does; the handlers in place
// before the loop are back after it.
TEST_F(HgeLoopTest, SigintAndSigtermEndTheLoopAtTheNextFrame) {
  struct sigaction marking = {}, saved[2] = {}, now = {};
  marking.sa_handler = markingHandler;
  sigaction(SIGTERM, &marking, &saved[0]);
  sigaction(SIGINT, &marking, &saved[1]);

  gLog.signal = SIGTERM;
  gLog.signalAtFrame = {2};
  gLog.stopAtFrame = 20;  // a safety stop if the signals are ignored
  initiate();
  EXPECT_TRUE(hge_->System_Start());
  EXPECT_EQ(gLog.frames, 3);
  EXPECT_EQ(gLog.renders, 3) << "the frame that caught the signal is drawn";

  gLog = LoopLog{};
  gLog.hge = hge_;
  gLog.signal = SIGINT;
  gLog.signalAtFrame = {1, 4};
  gLog.stopAtFrame = 20;
  gLog.acceptExitAtCall = 2;
  hge_->System_SetState(HGE_EXITFUNC, countingExitFunc);
  EXPECT_TRUE(hge_->System_Start());
  EXPECT_EQ(gLog.exitCalls, 2);
  EXPECT_EQ(gLog.frames, 5) << "the first signal was refused by the exit function";

  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, markingHandler);
  sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, markingHandler);
  sigaction(SIGTERM, &saved[0], nullptr);
  sigaction(SIGINT, &saved[1], nullptr);
}

TEST_F(HgeLoopTest, StartNeedsInitiateAndAFrameFunction) {
  EXPECT_FALSE(hge_->System_Start());
  initiate();
  hge_->System_SetState(HGE_FRAMEFUNC, static_cast<hgeCallback>(nullptr));
  EXPECT_FALSE(hge_->System_Start());
  EXPECT_NE(std::string(hge_->System_GetErrorMessage()), "");
}

TEST_F(HgeLoopTest, ShutdownInsideACallbackEndsTheLoopAndLeavesIniWorking) {
  ScopedTempDir dir;
  hge_->System_SetState(HGE_INIFILE, "test.ini");
  gLog.shutdownAtFrame = 2;
  initiate();
  EXPECT_TRUE(hge_->System_Start());
  EXPECT_EQ(gLog.frames, 3);
  EXPECT_EQ(gLog.renders, 2);
  // After shutdown: texture, sound and drawing calls are harmless, INI works.
  EXPECT_EQ(hge_->Stream_Play(1, false, 100), 0u);
  hge_->Channel_SetVolume(1, 50);
  EXPECT_FALSE(hge_->Gfx_BeginScene(0));
  hge_->Gfx_Clear(0);
  hge_->Ini_SetInt("Sound", "Volume", 42);
  EXPECT_EQ(hge_->Ini_GetInt("Sound", "Volume", 0), 42);
  EXPECT_NE(dir.read("test.ini").find("42"), std::string::npos);
  hge_->System_Shutdown();  // a second time
}

TEST_F(HgeLoopTest, FailedInitiateThenShutdownAndRelease) {
  engine::options().inputFile = "/nonexistent/velmora-input.txt";
  recreate();
  EXPECT_FALSE(hge_->System_Initiate());
  EXPECT_NE(std::string(hge_->System_GetErrorMessage()), "");
  hge_->System_Shutdown();
  hge_->System_Shutdown();
  EXPECT_EQ(hge_->Texture_Load(VELMORA_TEST_DATA "/missing.png"), 0u);
}

TEST_F(HgeLoopTest, EngineIsOneReferenceCountedObject) {
  EXPECT_EQ(hgeCreate(0x170), nullptr);
  HGE* second = hgeCreate(HGE_VERSION);
  EXPECT_EQ(second, hge_);
  hge_->System_SetState(HGE_TITLE, "kept");
  second->Release();
  // Still alive: the fixture holds the first reference.
  EXPECT_STREQ(hge_->System_GetState(HGE_TITLE), "kept");
  initiate();
  hge_->System_Shutdown();
  initiate();  // a shut-down engine can start again
}

TEST_F(HgeLoopTest, HeadlessRandomNumbersRepeatFromRunToRun) {
  std::vector<int> first;
  for (int i = 0; i < 8; ++i) first.push_back(hge_->Random_Int(0, 1000000));
  recreate();
  for (int i = 0; i < 8; ++i) EXPECT_EQ(hge_->Random_Int(0, 1000000), first[i]);
  engine::options().seed = 77;
  recreate();
  std::vector<int> seeded;
  for (int i = 0; i < 8; ++i) seeded.push_back(hge_->Random_Int(0, 1000000));
  EXPECT_NE(seeded, first);
}

TEST_F(HgeLoopTest, ScriptedKeysAreStableWithinAFrame) {
  using namespace engine::headless;
  keyDown(1, 'A');
  keyDown(1, 'B');  // the last key down in frame 1
  keyDown(2, 'A');  // already held: an auto-repeat, not a press
  keyUp(3, 'A');
  keyUp(3, 'B');
  keyDown(4, 300);  // outside the key range: ignored
  padState(2, 1, true, 0x1001);
  padState(4, 1, false, 0x1001);
  withFrames(5);
  initiate();
  ASSERT_TRUE(hge_->System_Start());
  const std::vector<int> keys = {0, 0, 'B', 'B', 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(gLog.keys, keys);
  EXPECT_EQ(gLog.heldA, (std::vector<bool>{false, true, true, false, false}));
  EXPECT_EQ(gLog.pressedA, (std::vector<bool>{false, true, false, false, false}));
  EXPECT_EQ(gLog.releasedA, (std::vector<bool>{false, false, false, true, false}));
  EXPECT_FALSE(gLog.outOfRangeKeySeen);
  EXPECT_FALSE(gLog.pad1[1].connected);
  EXPECT_TRUE(gLog.pad1[2].connected);
  EXPECT_EQ(gLog.pad1[3].buttons, 0x1001u);
  EXPECT_FALSE(gLog.pad1[4].connected);
  EXPECT_EQ(gLog.pad1[4].buttons, 0u);
}

TEST_F(HgeLoopTest, InputScriptFileFeedsTheLoop) {
  ScopedTempDir dir;
  dir.write("input.txt", "# a scripted run\n0 down 38\n1 up 38   # release\n1 pad 0 1 0x2000\n");
  dir.write("bad.txt", "0 down 38\n1 sideways 38\n");
  std::string error;
  EXPECT_FALSE(engine::headless::loadInputScript("bad.txt", error));
  EXPECT_NE(error.find("bad.txt:2"), std::string::npos) << error;
  EXPECT_FALSE(engine::headless::loadInputScript(dir.path().string(), error)) << "a folder is no input script";
  EXPECT_NE(error.find("cannot open: Is a directory"), std::string::npos) << error;
  engine::options().inputFile = "input.txt";
  withFrames(2);
  initiate();
  ASSERT_TRUE(hge_->System_Start());
  EXPECT_EQ(gLog.keys[0], 38) << "nothing from the bad file was queued";
  EXPECT_EQ(gLog.keys[2], 0);
  EXPECT_EQ(gLog.pad1.size(), 2u);
  EXPECT_EQ(hge_->Input_GetPadState(0).buttons, 0x2000u);
}

// SDL falls back to an invisible video driver when there is no display; the
// window backend must then fail to start, unless that driver was chosen.
TEST(WindowBackend, RefusesToRunUnseenUnlessTheVideoDriverWasChosen) {
  auto attempt = [](const char* driver) {
    return runChild([driver] {
      for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "VELMORA_BACKEND", "SDL_VIDEODRIVER"}) ::unsetenv(name);
      if (driver) ::setenv("SDL_VIDEODRIVER", driver, 1);
      engine::options() = engine::Options{};
      HGE* hge = hgeCreate(HGE_VERSION);
      hge->System_SetState(HGE_USESOUND, false);
      bool started = hge->System_Initiate();
      std::fprintf(stderr, "[%s]", hge->System_GetErrorMessage());
      hge->System_Shutdown();
      return started ? 0 : 1;
    });
  };
  ChildResult unseen = attempt(nullptr);
  EXPECT_EQ(unseen.status, 1) << unseen.err;
  EXPECT_NE(unseen.err.find("[System_Initiate: no display to show the window on"), std::string::npos) << unseen.err;
  ChildResult chosen = attempt("offscreen");
  EXPECT_EQ(chosen.err.find("no display"), std::string::npos) << chosen.err;
}

}  // namespace
