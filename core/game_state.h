// The game's states. DO NOT RENUMBER: scripts and host functions pass these values.
#pragma once

enum GameState : int {
  STATE_TITLE = 0,
  STATE_STG = 1,
  STATE_AVG = 2,
  STATE_PAUSE = 3,
  // 4 is not used.
  STATE_GAMEOVER = 5,
  STATE_AVG_IN_STG = 6,
  STATE_ENDING = 7,
  STATE_SCOREBOARD = 8,
};
