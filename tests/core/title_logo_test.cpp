// The logo's timeline, its restart with the title, and what the shell draws over a scene, in order.
#include <cmath>
#include <map>

#include "tests/core/shell_fixture.h"
#include "tests/core/sound_fixture.h"

namespace {

class LogoTest : public ShellTest {};

TEST_F(LogoTest, TheTimelinePlaysItsSoundOnceAtFrame110AndRestartsWithTheTitle) {
  xSystem* system = makeShell();
  ScopedRecorder recorder(system->hge);
  RecordingHge& rec = *recorder;
  auto& cells = system->logoCells;
  std::vector<int> soundFrames;
  std::map<int, float> swing;
  auto observe = [&] {
    for (const SoundCall& c : rec.named("Effect_PlayEx")) {
      if (c.handle == system->logoSound) soundFrames.push_back(system->logoFrame);
    }
    rec.calls.clear();
    swing[system->logoFrame] = cells[7]->rotation;
  };
  run(351, observe);
  EXPECT_EQ(soundFrames, std::vector<int>{110});
  EXPECT_FLOAT_EQ(cells[6]->x, 325);
  EXPECT_FLOAT_EQ(cells[5]->x, 330);
  // Sixty turns of a tenth of a circle: the tall cell lands upright.
  EXPECT_NEAR(std::remainder(cells[6]->rotation, 2 * 3.1415927f), 0, 1e-3);
  EXPECT_NEAR(swing[290], 0.785398f + 0.5235988f, 1e-4);
  EXPECT_NEAR(swing[350], 0.785398f, 1e-4) << "one swing there and back";
  EXPECT_GT(system->magicParticles->GetParticlesAlive(), 0) << "fired in the second swing phase";

  // It runs on outside the title, and the title starts it again.
  system->changeState(STATE_STG, false, "");
  system->changeState(STATE_TITLE, true, "");
  soundFrames.clear();
  run(60 + 111, observe);
  EXPECT_EQ(soundFrames, std::vector<int>{110});
  EXPECT_FLOAT_EQ(cells[7]->rotation, 0.785398f) << "the swing of the first run stopped";
  EXPECT_FLOAT_EQ(cells[0]->rotation, -0.00872665f * 10) << "no tilt carried over";
}

TEST_F(LogoTest, TheShellDrawsCoversTitleLogoCursorMenusThenTheTransitionCovers) {
  xSystem* system = makeShell();
  run(305);  // sparks alive
  system->darkCover->setColor(0x80FFFFFF);
  system->changeState(STATE_STG, true, "");
  system->update();
  const std::map<HTEXTURE, std::string> names = {
      {system->darkCover->sprite->GetTexture(), "dark"},   {system->titlePicture->sprite->GetTexture(), "title"},
      {system->logoTexture.get(), "logo"},                 {system->particleTexture.get(), "sparks"},
      {system->menuCursor->sprite->GetTexture(), "cursor"}, {system->blackCover->sprite->GetTexture(), "black"},
      {system->loadingEmblem->sprite->GetTexture(), "emblem"},
  };
  // Runs of one texture counted once; text is any other texture.
  auto drawn = [&] {
    hge_->Gfx_BeginScene(0);
    system->render();
    hge_->Gfx_EndScene();
    std::vector<std::string> order;
    for (const hgeQuad& q : engine::headless::recordedQuads()) {
      auto found = names.find(q.tex);
      std::string name = found != names.end() ? found->second : "text";
      if (order.empty() || order.back() != name) order.push_back(name);
    }
    return order;
  };
  EXPECT_EQ(drawn(), (std::vector<std::string>{"dark", "title", "logo", "sparks", "logo", "cursor", "text",
                                               "black", "emblem"}));
  system->setState(STATE_PAUSE);
  EXPECT_EQ(drawn(), (std::vector<std::string>{"dark", "cursor", "text", "black", "emblem"}));
  system->setState(STATE_STG);
  EXPECT_EQ(drawn(), (std::vector<std::string>{"dark", "black", "emblem"}));
}

}  // namespace
