// What the shooter, the scene player and the ending do at the state machine's fixed points.
#pragma once

#include <functional>
#include <string>

namespace core {

// app/ installs these at start-up, so core/ never includes stg/ or avg/.
// An empty member does nothing.
struct StateHooks {
  // Stage set-up, before the stage script loads: reset the player and the
  // boss, clear enemies, sources, bullets, background covers, items (the
  // state machine stops the background sound and clears the timers itself).
  std::function<void()> resetStage;
  // New game, after "initScript": wake the enemy bullets, drop the
  // spell-card background, reset the score's per-game values.
  std::function<void()> newGame;
  // Scene set-up: reset the scene player, read the scene file [name],
  // build its orders and start it. False when the file cannot be read (the
  // state machine then reports it and returns to the title).
  std::function<bool(const std::string& name)> startScene;
  // Enemy bullets stand still (false) or move again (true): faded switches,
  // the pause and its menus.
  std::function<void(bool active)> enemyBulletsActive;
  // Title set-up, and the failed scene's way back: reset the boss, the
  // player, the enemy manager, the player's power and the scene player;
  // kill the enemy bullets.
  std::function<void()> resetTitle;
  // Title set-up and start-up: the still title picture [name] as the 2D background.
  std::function<void(const std::string& name)> titleBackground;
  // Scene set-up, whether the file reads or not: the background's sea, fog
  // and covers off, the spell-card background gone.
  std::function<void()> sceneBackground;
  // A switch to the scene state without fade: the background's fog off.
  std::function<void()> fogOff;
  // A switch to a scene inside the stage: the player's ship stands still
  // and its shots are cleared.
  std::function<void()> sceneInStage;
  // Ending set-up: the ending starts from its first frame.
  std::function<void()> startEnding;
  // Retry from the pause or game-over menu: the player's and the score's
  // values go back to the copies taken when the stage started.
  std::function<void()> retryStage;
  // Quitting to the title, and a new game from the difficulty page: the
  // enemy bullets and the player's shots cleared with force.
  std::function<void()> clearShots;
};

}  // namespace core
