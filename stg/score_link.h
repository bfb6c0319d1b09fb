// What enemies, the player and the boss ask of the score: hits, the hit multiplier, points and the combo.
#pragma once

#include <functional>

namespace stg {

// The score manager fills these in when it is made; tests install fakes.
// An empty member means no score is kept: calls do nothing, the multiplier
// reads 1.
struct ScoreLink {
  // xScoreManager::addHit: [hits] more hits for the combo.
  std::function<void(int hits)> addHit;
  // The factor the hit combo has reached.
  std::function<int()> hitMultiplier;
  // The running score grows by [points].
  std::function<void(int points)> addScore;
  // The combo starts over (the player is made, or loses a life).
  std::function<void()> restartCombo;
};

// The process-wide link.
ScoreLink& scoreLink();

// The calls, each doing nothing when its member is empty.
void addScoreHit(int hits);
int scoreHitMultiplier();
void addScorePoints(int points);
void restartScoreCombo();

}  // namespace stg
