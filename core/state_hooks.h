// What the shooter, the scene player and the ending do at the state machine's fixed points.
#pragma once

#include <functional>
#include <string>

namespace core {

// app/ installs these at start-up, so core/ never includes stg/ or avg/.
// An empty member does nothing.
struct StateHooks {
  // Stage set-up, before the stage script loads: reset the player and the
  // boss, clear enemies, sources, bullets, background covers, timers, items.
  std::function<void()> resetStage;
  // New game, after "initScript": wake the enemy bullets, drop the
  // spell-card background, reset the score's per-game values.
  std::function<void()> newGame;
  // Scene set-up: read the scene file [name] and start the scene player.
  std::function<void(const std::string& name)> startScene;
};

}  // namespace core
