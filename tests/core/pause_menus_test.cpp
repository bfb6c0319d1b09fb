// The pause over a stage and a scene, the game-over menu, and the screen shake frame by frame.
#include "tests/core/shell_fixture.h"
#include "tests/core/sound_fixture.h"

namespace {

class PauseTest : public ShellTest {};

TEST_F(PauseTest, StageAndScenePausesResumeRetryAndQuit) {
  xSystem* system = makeShell();
  system->stageScriptName = "abc";  // too short to load: no script needed
  system->setState(STATE_STG);
  tap(0, HGEK_ESCAPE);
  tap(20, HGEK_ESCAPE);  // cancel resumes
  tap(40, HGEK_ESCAPE);
  tap(60, HGEK_DOWN);  // "重试此关"
  tap(80, HGEK_ENTER);
  run(81);
  EXPECT_FLOAT_EQ(system->menuCursor->y, 306);
  EXPECT_EQ(system->pendingState, STATE_STG);
  EXPECT_EQ(system->scriptName, "abc");
  EXPECT_EQ(calls(), (std::vector<std::string>{"bullets off", "bullets on", "bullets off", "bullets off",
                                               "bullets off", "retry"}));
  run(60);  // the stage set-up replaces the pause
  EXPECT_EQ(system->getState(), STATE_STG);

  calls().clear();
  system->setState(STATE_AVG);
  tap(0, HGEK_ESCAPE);
  tap(20, HGEK_ENTER);  // "返回游戏"
  tap(40, HGEK_ESCAPE);
  tap(60, HGEK_UP);  // wraps to "退出游戏"
  tap(80, HGEK_ENTER);
  run(81);
  EXPECT_EQ(system->getPreviousState(), STATE_AVG);
  EXPECT_FLOAT_EQ(system->menuCursor->y, 326);
  EXPECT_EQ(system->pendingState, STATE_TITLE);
  EXPECT_EQ(calls(), (std::vector<std::string>{"bullets off", "bullets on", "bullets off", "bullets off",
                                               "clear shots"}));
}

// Shoot is held nearly all the time in a stage; its repeated press must not
// resume the game it has just paused.
TEST_F(PauseTest, AShootKeyHeldIntoThePauseConfirmsOnlyAfterARelease) {
  xSystem* system = makeShell();
  system->setState(STATE_STG);
  const long start = engine::headless::frameCount();
  engine::headless::keyDown(start, 'Z');
  tap(60, HGEK_ESCAPE);
  run(61 + 40);  // well past two of the held key's repeats
  EXPECT_EQ(system->getState(), STATE_PAUSE);
  engine::headless::keyUp(engine::headless::frameCount(), 'Z');
  tap(20, 'Z');  // after the binding's hold-off
  run(21);
  EXPECT_EQ(system->getState(), STATE_STG) << "a fresh press of shoot resumes";

  // The scene pause, with a pad's A held as confirm.
  system->setState(STATE_AVG);
  xInputManager::getInstance()->bindKey(128, ACTION_CONFIRM);
  const long scene = engine::headless::frameCount();
  engine::headless::padState(scene, 0, true, HGEPAD_A);
  tap(10, HGEK_ESCAPE);
  run(11 + 40);
  EXPECT_EQ(system->getState(), STATE_PAUSE);
  engine::headless::padState(engine::headless::frameCount(), 0, true, 0);
  engine::headless::padState(engine::headless::frameCount() + 20, 0, true, HGEPAD_A);
  run(21);
  EXPECT_EQ(system->getState(), STATE_AVG);
}

TEST_F(PauseTest, GameOverTakesConfirmOnlyOnceTheCoverHasLanded) {
  xSystem* system = makeShell();
  xSoundManager* sound = xSoundManager::getInstance();
  ScopedRecorder rec(sound->engine);
  sound->bgmVolume = 70;
  system->changeState(STATE_GAMEOVER, false, "");
  tap(29, HGEK_ENTER);  // the cover is still rising
  tap(45, HGEK_ENTER);
  run(29 + 1);
  EXPECT_EQ(system->transitionCounter, xSystem::kNoTransition);
  run(16);
  EXPECT_EQ(system->pendingState, STATE_STG);
  EXPECT_EQ(calls(), (std::vector<std::string>{"bullets off", "bullets off", "retry"}));
  std::vector<SoundCall> slides = rec->named("Channel_SlideTo");
  ASSERT_EQ(slides.size(), 2u);
  EXPECT_EQ(slides[0].volume, 3);
  EXPECT_EQ(slides[1].volume, 70) << "the music comes back";
  run(60);  // an empty stage name re-enters the stage without loading
  EXPECT_EQ(system->getState(), STATE_STG);
}

TEST_F(PauseTest, AShakeDrawsEachFrameWithTheOffsetsOfTheStepBefore) {
  xSystem* system = makeShell();
  system->shakeScreen(120, 2, 8);
  std::vector<float> drawnX;
  run(123, [&] {
    hge_->Gfx_BeginScene(0);
    hgeQuad quad{};
    hge_->Gfx_RenderQuad(&quad);
    hge_->Gfx_EndScene();
    drawnX.push_back(engine::headless::recordedQuads().at(0).v[0].x);
  });
  EXPECT_EQ(std::vector<float>(drawnX.begin(), drawnX.begin() + 14),
            (std::vector<float>{0, 4, 8, 12, 8, 4, 0, -4, -8, -12, -8, -4, 0, 4}));
  // The 121st frame ends it: it and every later one draw unmoved.
  EXPECT_EQ((std::vector<float>{drawnX[119], drawnX[120], drawnX[122]}), (std::vector<float>{-4, 0, 0}));
}

}  // namespace
