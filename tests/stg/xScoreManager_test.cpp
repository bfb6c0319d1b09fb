// The score: combo sequences pinned by hand, the multiplier and its voice, the combo window and bar, the Hit X2 bonus, the score board, new game and retry, the score file.
#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/stg/score_fixture.h"

namespace {

using stg::test::ScoreTest;

class ComboTest : public ScoreTest {
 protected:
  std::string config() const override {
    return "[Extra]\nHitX2=5\nHitX3=12\nHitX4=30\nHitX5=1000\nHitX6=2000\n[STG]\nHitX2Time=10\n";
  }
  // The text a handle names, "" once it is gone.
  static std::wstring textOf(gfx::FloatingTextId id) {
    xFloatingText* text = xFloatingTextManager::getInstance()->get(id);
    return text && text->alive ? text->text : L"";
  }
  void steps(int n) {
    for (int i = 0; i < n; ++i) score_->updateScoreBoard();
  }
  // The combo bar as drawn: its width and where it stands.
  hgeQuad barQuad() {
    std::vector<hgeQuad> quads = capture([&] { score_->render(); });
    EXPECT_EQ(quads.size(), 1u);
    return quads.empty() ? hgeQuad{} : quads[0];
  }
};

TEST_F(ComboTest, HitsFeedTheWholeComboToTheScoreAndTheMultiplierFollowsItsThresholds) {
  for (int i = 0; i < 4; ++i) score_->addHit(1);
  EXPECT_EQ(score_->comboHits, 4u);
  EXPECT_EQ(score_->score, 1u + 2 + 3 + 4);
  EXPECT_EQ(voices(), 0);
  score_->addHit(1);  // exactly HitX2
  EXPECT_EQ(score_->multiplier, 2);
  EXPECT_EQ(voices(), 1);
  EXPECT_EQ(textOf(score_->multiplierText), L"x 1") << "the multiplier this hit was weighted with";
  score_->addHit(1);  // weighted by 2
  EXPECT_EQ(score_->comboHits, 7u);
  EXPECT_EQ(score_->score, 15u + 7);
  EXPECT_EQ(textOf(score_->hitText), L"7 Hit!");
  EXPECT_EQ(textOf(score_->multiplierText), L"x 2");
  score_->addHit(3);  // 7 + 6 = 13 passes HitX3 = 12 without meeting it
  EXPECT_EQ(score_->comboHits, 13u);
  EXPECT_EQ(score_->multiplier, 3);
  EXPECT_EQ(voices(), 1);
  EXPECT_EQ(score_->runHits, 13u);
  EXPECT_EQ(score_->stageHits, 13u);
  EXPECT_EQ(score_->score, 22u + 13);

  // A new combo's first hit still counts with the multiplier reached.
  score_->endCombo();
  score_->addHit(1);
  EXPECT_EQ(score_->comboHits, 3u);
  EXPECT_EQ(score_->multiplier, 1);
  EXPECT_EQ(score_->runHits, 16u);
}

TEST_F(ComboTest, OnlyTheLatestComboTextsAreEndedEvenWhenTheirSlotsAreReused) {
  score_->addHit(1);
  const gfx::FloatingTextId firstHit = score_->hitText;
  score_->addHit(1);
  xFloatingTextManager* texts = xFloatingTextManager::getInstance();
  texts->update();  // the ended texts go
  EXPECT_EQ(texts->get(firstHit), nullptr);
  for (int i = 0; i < 200; ++i) texts->update();  // the combo's texts run out
  ASSERT_EQ(texts->size(), 0u);
  // Someone else's texts take the freed slots; the next hit must not end them.
  gfx::FloatingTextId a = texts->addText("a", "x.ttf", 10, 0xFFFFFFFF, 0, 0, 0, 0, 100, 0, 0);
  gfx::FloatingTextId b = texts->addText("b", "x.ttf", 10, 0xFFFFFFFF, 0, 0, 0, 0, 100, 0, 0);
  score_->addHit(1);
  EXPECT_TRUE(texts->get(a)->alive);
  EXPECT_TRUE(texts->get(b)->alive);
}

TEST_F(ComboTest, TheWindowRunsOnlyWhileThePlayerIsInPlayAndTheBarShowsWhatIsLeft) {
  score_->addHit(1);
  steps(300);  // no player in the stage: the window stands still
  EXPECT_EQ(score_->comboHits, 1u);

  xPlayer* player = playerAt(300, 400);
  score_->addHit(1);  // the player's arrival restarted the combo
  EXPECT_EQ(score_->comboHits, 1u);
  steps(90);
  hgeQuad bar = barQuad();
  EXPECT_FLOAT_EQ(bar.v[0].x, 275);
  EXPECT_FLOAT_EQ(bar.v[0].y, 420);
  EXPECT_FLOAT_EQ(bar.v[1].x - bar.v[0].x, 25) << "half of 180 frames left";
  EXPECT_FLOAT_EQ(bar.v[2].y - bar.v[1].y, 3);
  steps(90);
  EXPECT_EQ(score_->comboHits, 1u) << "the window holds 180 frames";
  steps(1);
  EXPECT_EQ(score_->comboHits, 0u);
  EXPECT_FLOAT_EQ(barQuad().v[1].x - barQuad().v[0].x, 2);

  // A dying player holds the window too.
  score_->addHit(1);
  player->hit();
  steps(400);
  EXPECT_EQ(score_->comboHits, 1u);
}

TEST_F(ComboTest, TheComboWindowGrowsWithPowerAndTheBarNeverTurnsOver) {
  xPlayer* player = playerAt(300, 400);
  player->power = 6;
  score_->resetCombo();
  EXPECT_EQ(score_->comboWindow, 300);
  // Power 2 and one power item: 2.0999999f, whose window is 222 frames as
  // the power is held (a float), 221 if worked out wider.
  player->power = 2;
  player->addPower(0.1f);
  score_->resetCombo();
  EXPECT_EQ(score_->comboWindow, 222);
  player->power = std::nanf("");  // config.ini's DefaultPower may say "nan"
  score_->resetCombo();
  EXPECT_EQ(score_->comboWindow, 180);
  player->power = 6;
  score_->resetCombo();
  score_->addHit(1);
  steps(250);
  // Power lost since the hit: the bar is measured against the new window.
  player->power = 0;
  steps(1);
  EXPECT_FLOAT_EQ(barQuad().v[1].x - barQuad().v[0].x, 0);
  EXPECT_EQ(score_->comboHits, 1u);
}

TEST_F(ComboTest, TheHitX2BonusDoublesForItsTimeAndSurvivesRecomputing) {
  score_->startHitX2();
  EXPECT_EQ(score_->multiplier, 2);
  score_->addHit(1);
  EXPECT_EQ(score_->comboHits, 2u);
  EXPECT_EQ(score_->multiplier, 2) << "recomputed to 1, then doubled";
  steps(10);
  EXPECT_EQ(score_->multiplier, 2);
  steps(1);
  EXPECT_EQ(score_->multiplier, 1);
  EXPECT_EQ(score_->hitX2Timer, xScoreManager::kIdle);
  // Stacked bonuses double again without overflowing.
  for (int i = 0; i < 40; ++i) score_->startHitX2();
  EXPECT_EQ(score_->multiplier, 0x7FFFFFFF);
}

TEST_F(ComboTest, TheScoreStopsAtItsLargestValue) {
  score_->score = 0xFFFFFFF0u;
  for (int i = 0; i < 10; ++i) score_->addHit(1);
  EXPECT_EQ(score_->score, 0xFFFFFFFFu);
  score_->stage = 0x7FFFFFFF;
  score_->stageHits = 0xFFFFFFFFu;
  score_->score = 0;
  score_->addStageScore();
  EXPECT_EQ(score_->previousStageScore, 0xFFFFFFFFu);
  EXPECT_EQ(score_->score, 0xFFFFFFFFu);
}

class BoardTest : public ScoreTest {
 protected:
  void SetUp() override {
    ScoreTest::SetUp();
    focusScript("host htRecord(tag, a, b, c, d);\nfunc onScoreBoardEnd() { htRecord(\"end\", 0, 0, 0, 0); }\n");
  }
};

TEST_F(BoardTest, TheBoardRuns391FramesThenAddsTheStageScoreAndCallsTheScript) {
  xSourceManager* enemies = xSourceManager::getInstance();
  enemies->created = 4;
  enemies->killed = 1;
  score_->addHit(10);  // 10 stage hits, score 10
  score_->previousStageScore = 777;
  std::filesystem::create_directories("data/music");
  std::filesystem::copy_file(VELMORA_SOURCE_DIR "/data/music/Ka01.mp3", "data/music/x.mp3");
  engine::clearPathCache();
  xSoundManager::getInstance()->setBackgroundMusic("x.mp3", true);
  const HCHANNEL music = xSoundManager::getInstance()->musicChannel;
  ASSERT_NE(music, 0u);
  sounds_->calls.clear();

  score_->stageClear();
  EXPECT_EQ(xSystem::getInstance()->getState(), STATE_SCOREBOARD);
  EXPECT_EQ(sounds_->ops(),
            (std::vector<std::string>{"Channel_Stop", "Effect_Load data/se/StageClear.mp3", "Effect_PlayEx"}));
  EXPECT_EQ(sounds_->calls[0].handle, music);
  EXPECT_EQ(sounds_->named("Effect_PlayEx")[0].volume, 100);

  xFloatingTextManager* texts = xFloatingTextManager::getInstance();
  const std::size_t before = texts->size();
  for (int frame = 1; frame <= 249; ++frame) score_->updateScoreBoard();
  EXPECT_EQ(texts->size(), before + 9) << "four labels with values and the total's label";
  EXPECT_EQ(score_->previousStageScore, 777u) << "the board shows the last stage's score until frame 250";
  score_->updateScoreBoard();
  EXPECT_EQ(score_->previousStageScore, 125012u) << "(100000 + 10) x 125%";
  EXPECT_EQ(texts->size(), before + 10);
  for (int frame = 251; frame <= 390; ++frame) score_->updateScoreBoard();
  EXPECT_EQ(xSystem::getInstance()->getState(), STATE_SCOREBOARD);
  EXPECT_TRUE(recorded("end").empty());
  score_->updateScoreBoard();
  EXPECT_EQ(xSystem::getInstance()->getState(), STATE_STG);
  EXPECT_EQ(recorded("end").size(), 1u);
  EXPECT_EQ(score_->score, 10u + 125012);
  EXPECT_EQ(score_->stage, 2);
  EXPECT_EQ(score_->stageHits, 0u);
  EXPECT_EQ(score_->runHits, 10u);
  EXPECT_EQ(score_->comboHits, 0u);
  EXPECT_EQ(score_->boardFrame, xScoreManager::kIdle);
  score_->updateScoreBoard();
  EXPECT_EQ(recorded("end").size(), 1u);
}

// The rates a float holds short of their value (0.7f x 100 is 69.99...)
// still show and score as worked out by hand.
TEST_F(BoardTest, TheDefeatRateCountsAsAnExactFraction) {
  struct Case {
    std::int32_t killed, created;
    std::uint32_t stageScore;
    std::wstring rate, formula;
  };
  const Case cases[] = {
      {7, 10, 170000, L"70% ", L"100000 * 170% = 170000"},
      {9, 10, 190000, L"90% ", L"100000 * 190% = 190000"},
      {3, 10, 130000, L"30% ", L"100000 * 130% = 130000"},
      {1, 3, 133333, L"33% ", L"100000 * 133% = 133333"},
      {0, 0, 100000, L"0% ", L"100000 * 100% = 100000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.killed);
    xFloatingTextManager::resetForTests();
    xSourceManager::getInstance()->created = c.created;
    xSourceManager::getInstance()->killed = c.killed;
    score_->stage = 1;
    score_->stageHits = 0;
    score_->score = 0;
    score_->stageClear();
    for (int frame = 1; frame <= 250; ++frame) score_->updateScoreBoard();
    // Nothing was freed, so the texts hold the first slots in creation
    // order: the clear text, then label and value of each row.
    std::vector<std::wstring> shown;
    for (std::uint64_t slot = 0; slot < 64; ++slot) {
      if (xFloatingText* text = xFloatingTextManager::getInstance()->get(gfx::FloatingTextId{1ull << 32 | slot}))
        shown.push_back(text->text);
    }
    ASSERT_EQ(shown.size(), 11u);
    EXPECT_EQ(shown[3], L"Enemy Defeat Rate: ");
    EXPECT_EQ(shown[4], c.rate);
    EXPECT_EQ(shown[10], c.formula);
    EXPECT_EQ(score_->previousStageScore, c.stageScore);
    for (int frame = 251; frame <= 391; ++frame) score_->updateScoreBoard();
    EXPECT_EQ(score_->score, c.stageScore);
  }
}

TEST_F(ScoreTest, NewGameAndRetryRestoreTheirValues) {
  score_->highScore = 99;
  score_->score = 1000;
  score_->stage = 3;
  score_->runHits = 40;
  score_->saveStageStart();
  score_->addHit(5);
  score_->stageClear();
  for (int i = 0; i < 100; ++i) score_->updateScoreBoard();
  score_->startHitX2();

  score_->restoreStageStart();
  EXPECT_EQ(score_->score, 1000u);
  EXPECT_EQ(score_->stage, 3);
  EXPECT_EQ(score_->runHits, 40u);
  EXPECT_EQ(score_->stageHits, 0u);
  EXPECT_EQ(score_->comboHits, 0u);
  EXPECT_EQ(score_->comboCounter.limit, 0u);

  score_->resetForNewGame();
  xSystem::getInstance()->setState(STATE_STG);
  EXPECT_EQ(score_->highScore, 99u);
  EXPECT_EQ(score_->score, 0u);
  EXPECT_EQ(score_->stage, 1);
  EXPECT_EQ(score_->runHits + score_->stageHits + score_->comboHits + score_->previousStageScore, 0u);
  EXPECT_EQ(score_->multiplier, 1);
  EXPECT_EQ(score_->comboWindow, 180);
  EXPECT_EQ(score_->comboCounter.limit, 180u);
  EXPECT_EQ(score_->boardFrame, xScoreManager::kIdle);
  EXPECT_EQ(score_->hitX2Timer, xScoreManager::kIdle);
  // The bonus timer stopped with it: nothing halves the multiplier later.
  for (int i = 0; i < 400; ++i) score_->updateScoreBoard();
  EXPECT_EQ(score_->multiplier, 1);
}

TEST_F(ScoreTest, TheHighScoreFileIsReadDefensivelyAndTheBetterScoreIsKept) {
  score_->highScore = 5;
  score_->LoadScore();
  EXPECT_EQ(score_->highScore, 0u);
  EXPECT_EQ(log().find("LoadScore"), std::string::npos) << "a first run has no file and says nothing";

  score_->score = 3000000000u;
  score_->WriteScore();
  score_->score = 12;
  score_->WriteScore();
  score_->highScore = 0;
  score_->score = 40;
  score_->LoadScore();
  EXPECT_EQ(score_->highScore, 3000000000u);
  EXPECT_EQ(score_->score, 0u);

  const std::pair<std::string, std::string> bad[] = {
      {std::string("qlmx\x01\x07\x00\x00\x00", 9), "LoadScore: Invalid Data Header"},
      {std::string("qlmr\x02\x07\x00\x00\x00", 9), "LoadScore: Invalid Score Data"},
  };
  for (const auto& [bytes, line] : bad) {
    dir_.write("score.dat", bytes);
    score_->highScore = 5;
    score_->LoadScore();
    EXPECT_EQ(score_->highScore, 0u);
    EXPECT_NE(log().find(line), std::string::npos) << line;
  }

  std::filesystem::create_directory("score.dat.tmp");
  score_->WriteScore();
  EXPECT_NE(log().find("WriteScore: Cannot open data file to write."), std::string::npos);
}

}  // namespace
