// An order's parameters read as the player carries the order out: count check, numbers, clamps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avg/xAVGOrder.h"

namespace avg {

// What the player needs of one order. Fields an order kind does not use stay
// at their defaults. Frame counts are never negative.
struct OrderArgs {
  // False when the parameter count is wrong: the player logs [countMessage]
  // and goes on to the next order. XAVG_SELECT (a name, N >= 0, N texts)
  // instead shows no menu and waits for confirm; it still records its name
  // as unchosen when it has one, and leaves the selection table alone when not.
  bool countOk = true;
  std::string countMessage;
  // Text, or the picture, sound, music, voice, talker or selection name.
  std::string name;
  float x = 0.0f;
  float y = 0.0f;
  // IMGIN/IMGOUT fade length (255 / speed; 0, at once, for a speed <= 0),
  // IMGMOVE, DELAY, SCREENMOVE and screen-effect frames.
  int frames = 0;
  int shakeMode = -1;
  // SCREENMOVE amplitude; 0 written gives 5.
  float amplitude = 0.0f;
  // Power for ADDPOWER, DECPOWER and SETPOWER.
  float power = 0.0f;
  // Bombs, lives, player type, or the option count of XAVG_SELECT.
  int amount = 0;
  // SETRGBA: the 0xAARRGGBB word, each channel clamped to 0..255.
  std::uint32_t colour = 0;
  std::vector<std::string> options;
};

OrderArgs readOrderArgs(const xAVGOrder& order);

// The leading decimal number of [text] (leading blanks skipped, an optional
// sign); 0 when it starts with none. Independent of the locale; values
// beyond the type's range are pinned to it.
int readIntParam(const std::string& text);
// As readIntParam, with an optional fraction and no exponent.
float readFloatParam(const std::string& text);

}  // namespace avg
