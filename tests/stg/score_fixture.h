// The actors' set-up with the real score and item managers, a player in the stage and every sound call recorded.
#pragma once

#include <memory>
#include <string>

#include "stg/xItemManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "tests/core/sound_fixture.h"
#include "tests/stg/actor_fixture.h"

namespace stg::test {

// [config] is written as config.ini before any manager reads it. The
// score manager replaces the actors' fake score. Sounds of the sound
// manager and the score manager are recorded in sounds_.
class ScoreTest : public ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    dir_.write("config.ini", config());
    gfx::test::writePng("data/graphic/items.png", 120, 16);
    gfx::test::writePng("data/graphic/UI/scoreboard.png", 600, 400);
    gfx::test::writePng("data/graphic/player.png", 96, 48);
    engine::clearPathCache();
    xSystem::getInstance()->setState(STATE_STG);
    score_ = xScoreManager::getInstance();
    sounds_ = std::make_unique<RecordingHge>(score_->hge);
    score_->hge = sounds_.get();
    xSoundManager::getInstance()->engine = sounds_.get();
  }
  void resetAll() override {
    xItemManager::resetForTests();
    xScoreManager::resetForTests();
    xPlayer::resetForTests();
    ActorTest::resetAll();
  }
  void TearDown() override {
    resetAll();
    sounds_.reset();
    HeadlessEngineTest::TearDown();
  }
  virtual std::string config() const { return ""; }

  // The player in the stage, at ([x], [y]).
  static xPlayer* playerAt(float x, float y) {
    xPlayer* player = xPlayer::getInstance();
    player->create();
    player->sprite->setPos(x, y);
    return player;
  }
  // How often the combo voice was started.
  int voices() const {
    int n = 0;
    for (const SoundCall& call : sounds_->named("Effect_Load")) n += call.file == "data/voice/wj.wav";
    return n;
  }

  xScoreManager* score_ = nullptr;
  std::unique_ptr<RecordingHge> sounds_;
};

}  // namespace stg::test
