// The run's score: the hit combo and its multiplier, the high-score file and the score board that closes a stage.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/hge.h"
#include "gfx/hgeSprite.h"
#include "gfx/xFloatingText.h"
#include "gfx/xFrameCounter.h"
#include "gfx/xSprite.h"

namespace stg {

// What a retry returns to: taken when a stage script starts.
struct StageStart {
  std::uint32_t score = 0;
  std::int32_t stage = 1;
  std::uint32_t runHits = 0;
};

// The board sequence's moment of the stage clear.
struct ClearSnapshot {
  std::uint32_t stageHits = 0;
  std::int32_t stage = 1;
  std::uint32_t runHits = 0;
};

}  // namespace stg

// Single instance (getInstance), never destroyed in a run. Every hit extends
// the combo, whose whole count is added to the score on each hit; the combo
// ends when its window runs out without a hit. The multiplier follows the
// combo's count through the [Extra] HitX2..HitX6 thresholds and doubles
// while a "Hit X2" item runs. Score additions stop at 0xFFFFFFFF.
//
// updateScoreBoard() runs once per frame in the stage and score-board
// states; the board sequence runs 391 frames after stageClear(), then
// returns to the stage, adds the stage score and calls the focused script's
// "onScoreBoardEnd".
class xScoreManager {
 public:
  static constexpr std::uint32_t kMaxScore = 0xFFFFFFFF;
  static constexpr std::int32_t kIdle = -1;
  static constexpr std::int32_t kBoardEndFrame = 391;
  static constexpr std::int32_t kBaseComboWindow = 180;

  static xScoreManager* getInstance();
  // Tests: destroy the instance so the next getInstance builds a fresh one.
  static void resetForTests();

  // Start-up: the high score from "score.dat"; 0 (and one log line unless
  // the file is simply missing) when it is not a well-formed file.
  void LoadScore();
  // Keeps the better of the score and the high score, and stores it.
  void WriteScore();

  // [n] hits, weighted by the multiplier.
  void addHit(int n);
  void endCombo();
  // A fresh combo whose window follows the player's power.
  void resetCombo();
  // The stage score by the defeat rate, added to the score.
  void addStageScore();
  // Ends the stage: the stage-clear text and jingle, then the board.
  void stageClear();
  void updateScoreBoard();
  // The combo bar under the player; the board in the score-board state.
  void render();

  // New game: every per-game value back to its start; the high score stays.
  void resetForNewGame();
  // A stage script starts: what a retry will return to.
  void saveStageStart();
  // Retry from the pause or game-over menu: score, stage and run hits of
  // the stage's start, no stage hits, no combo.
  void restoreStageStart();
  // The "Hit X2" item: the multiplier doubles until the bonus time is out.
  void startHitX2();
  // Adds [points] to the score, stopping at kMaxScore; negative adds nothing.
  void addScore(std::int64_t points);

  std::uint32_t highScore = 0;
  std::uint32_t score = 0;
  std::uint32_t previousStageScore = 0;
  std::uint32_t runHits = 0;
  std::uint32_t stageHits = 0;
  std::uint32_t comboHits = 0;
  std::int32_t stage = 1;
  stg::ClearSnapshot clearSnapshot;
  stg::StageStart stageStart;
  std::int32_t comboWindow = kBaseComboWindow;  // frames
  std::int32_t multiplier = 1;
  xFrameCounter comboCounter;
  std::int32_t comboRemaining = kBaseComboWindow;
  std::unique_ptr<hgeSprite> comboBar;
  gfx::FloatingTextId hitText = gfx::kNoFloatingText;
  gfx::FloatingTextId multiplierText = gfx::kNoFloatingText;
  std::int32_t boardFrame = kIdle;
  std::unique_ptr<xSprite> board;
  std::uint32_t hitX2 = 0, hitX3 = 0, hitX4 = 0, hitX5 = 0, hitX6 = 0;
  std::int32_t hitX2Time = 0;
  std::int32_t hitX2Timer = kIdle;
  HGE* hge;

 private:
  xScoreManager();
  ~xScoreManager();
  void showComboTexts();
  void updateMultiplier();
  void stepCombo();
  void stepBoard();
  void stepHitX2();
  void setBarWidth(float width);
  void endBoard();
};
