// The process-wide score link.
#include "stg/score_link.h"

namespace stg {

ScoreLink& scoreLink() {
  static ScoreLink link;
  return link;
}

void addScoreHit(int hits) {
  if (scoreLink().addHit) scoreLink().addHit(hits);
}

int scoreHitMultiplier() { return scoreLink().hitMultiplier ? scoreLink().hitMultiplier() : 1; }

void addScorePoints(int points) {
  if (scoreLink().addScore) scoreLink().addScore(points);
}

void restartScoreCombo() {
  if (scoreLink().restartCombo) scoreLink().restartCombo();
}

}  // namespace stg
