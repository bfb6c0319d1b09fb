// The status numbers over the shooting scene's interface frame: high score, score, lives, bombs, power, critical chance.
#pragma once

#include <cstdint>

class hgeTTFont;

// The status fonts, made at start-up from the font registry; null when not
// found, and then their numbers are not drawn. The renderers set colour and
// kerning before each use, since other users share the fonts.
extern hgeTTFont* scoreFont;   // "Consolab.ttf", 18 pixels
extern hgeTTFont* statusFont;  // "DFGirl.ttf", 35 pixels

struct StatusNumbers {
  std::uint32_t highScore = 0;
  std::uint32_t score = 0;
  int lives = 0;
  int bombs = 0;
  double power = 0;
  float criticalChance = 0;     // 0..1
  bool criticalDouble = false;  // the chance counts twice while it lasts
};

// The values of the running game.
StatusNumbers currentStatusNumbers();
// Draws them at their fixed places in their fixed colours.
void renderStatusNumbers(const StatusNumbers& numbers);
