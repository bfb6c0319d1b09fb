// What bullets meet outside the bullet classes: the player, the boss, the enemies and the score.
#pragma once

#include <functional>

#include "script/runtime/script_ids.h"

namespace stg {

// The player (xPlayer), the boss (xBoss), the enemy manager (xSourceManager)
// and the score manager (xScoreManager) fill these in when they are made
// (enemies meet the player through them too);
// tests install fakes. An empty member means "not there": no player sprite,
// no boss, no enemy hit, no score.
struct BulletTargets {
  // The player sprite's position; false when the player has no sprite.
  std::function<bool(float& x, float& y)> playerPosition;
  // xPlayer::hit: the player ignores it while invincible.
  std::function<void()> hitPlayer;
  // The player is dying (enemy bodies do not hit it again).
  std::function<bool()> playerDying;
  // The chance of a critical hit, 0..1, already doubled while the player's
  // critical-doubling item runs.
  std::function<float()> criticalChance;
  // The boss sprite's position while the boss character is visible (alpha not 0).
  std::function<bool(float& x, float& y)> visibleBossPosition;
  // The boss is active and not dying.
  std::function<bool()> bossFighting;
  // xBoss::hit.
  std::function<void(float damage)> hitBoss;
  // The boss's attack-script thread; asked only while the boss is fighting.
  std::function<bool(script::GroupId& group, script::ThreadIndex& thread)> bossAttackScript;
  // xScoreManager::addHit.
  std::function<void(int hits)> addScoreHits;
  // xSourceManager::testPlayerBulletHit: true when a shot at ([x], [y]) hit an enemy.
  std::function<bool(float x, float y, float damage)> hitEnemyAt;
};

// The process-wide targets.
BulletTargets& bulletTargets();

}  // namespace stg
