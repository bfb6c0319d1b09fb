// The status numbers over the shooting scene's interface frame.
#include "app/status_numbers.h"

#include "gfx/hgeTTFont.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"

hgeTTFont* scoreFont = nullptr;
hgeTTFont* statusFont = nullptr;

namespace {

constexpr int kLeft = 0;
constexpr int kCentred = 2;

// Percent, truncated toward zero; a value no int holds shows 0.
int percentOf(float chance) {
  float percent = chance * 100;
  return percent > -2e9f && percent < 2e9f ? static_cast<int>(percent) : 0;
}

}  // namespace

StatusNumbers currentStatusNumbers() {
  StatusNumbers numbers;
  const xScoreManager* score = xScoreManager::getInstance();
  numbers.highScore = score->highScore;
  numbers.score = score->score;
  const xPlayer* player = xPlayer::getInstance();
  numbers.lives = player->lives;
  numbers.bombs = player->bombs;
  numbers.power = player->power;
  numbers.criticalChance = player->criticalProb;
  numbers.criticalDouble = player->criticalX2Count != -1;
  return numbers;
}

void renderStatusNumbers(const StatusNumbers& numbers) {
  if (scoreFont != nullptr) {
    scoreFont->SetKerningWidth(0);
    scoreFont->colour = 0xFFFFFFFF;
    // Unsigned: a score past 2^31 must not show as negative.
    scoreFont->Print(661, 38, kLeft, L"%.9u", numbers.highScore);
    scoreFont->Print(640, 120, kLeft, L"%.9u", numbers.score);
  }
  if (statusFont == nullptr) return;
  statusFont->colour = 0xFFFF0000;
  statusFont->Print(40, 255, kCentred, L"%d", numbers.lives);
  statusFont->colour = 0xFF0050DD;
  statusFont->Print(56, 495, kCentred, L"%d", numbers.bombs);
  statusFont->colour = 0xFF10AADD;
  statusFont->Print(88, 358, kCentred, "%.2f", numbers.power);
  float chance = numbers.criticalDouble ? numbers.criticalChance * 2 : numbers.criticalChance;
  statusFont->colour = 0xFFFF8000;
  statusFont->Print(690, 545, kCentred, "%d%%", percentOf(chance));
}
