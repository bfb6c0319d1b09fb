// What the scene player asks of the shooting game, which it may not include: the player's stock and the background.
#pragma once

#include <functional>
#include <string>

namespace avg {

// app/ installs these at start-up, so avg/ never includes stg/. An empty
// member does nothing (the order is carried out all the same).
struct StageLink {
  // SETBG: the still 2D background [name] (a scene inside a stage replaces
  // the stage's background too).
  std::function<void(const std::string& name)> setBackground;
  // ADDPOWER and DECPOWER (a negative [amount]); the player caps power.
  std::function<void(float amount)> addPower;
  // SETPOWER: no cap.
  std::function<void(float power)> setPower;
  // ADDBOMB / DECBOMB and ADDLIFE / DECLIFE: a signed change.
  std::function<void(int amount)> addBombs;
  std::function<void(int amount)> addLives;
  std::function<void(int bombs)> setBombs;
  std::function<void(int lives)> setLives;
  // PLAYERTYPE: both of the player's type fields.
  std::function<void(int type)> setPlayerType;
};

}  // namespace avg
