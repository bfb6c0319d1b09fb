// Registration of the player host functions: create the player, read and set its lives, bombs, power and position.
#include <cstdint>
#include <iterator>

#include "base/saturating.h"
#include "host/host_call.h"
#include "host/host_registration.h"
#include "stg/xPlayer.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

xPlayer* player() { return xPlayer::getInstance(); }

// The frame of every player function: the group is checked first, logging [logName].
bool checked(const HostCall& call, const char* logName) { return call.checkGroup(BadGroup::ErrorLoading, logName); }

// "htCreatePlayer"(): makes the player's ship for a stage: without it the ship, its shots and the
// enemy bullets are not updated.
void host_CreatePlayer(ThreadIndex t, GroupId g) {
  if (checked(HostCall(t, g, 0), "host_CreatePlayer")) player()->create();
}

// "htDestroyPlayer"(): does nothing beyond the group check: the ship stays.
void host_DestroyPlayer(ThreadIndex t, GroupId g) { (void)checked(HostCall(t, g, 0), "host_DestroyPlayer"); }

// "htSetPlayerLife"(lives: int): the number of lives.
void host_SetPlayerLife(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (checked(call, "host_SetPlayerLife")) player()->lives = call.intArg(0);
}

// "htSetPlayerBomb"(bombs: int): the number of bombs.
void host_SetPlayerBomb(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (checked(call, "host_SetPlayerBomb")) player()->bombs = call.intArg(0);
}

// "htSetPlayerPower"(power: int): the power.
// Uncapped, unlike the items' power.
void host_SetPlayerPower(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (checked(call, "host_SetPlayerItem")) player()->power = static_cast<float>(call.intArg(0));
}

// "htGetPlayerLife"() -> int: the number of lives.
void host_GetPlayerLife(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (checked(call, "host_GetPlayerLife")) call.returnInt(player()->lives);
}

// "htGetPlayerBomb"() -> int: the number of bombs.
void host_GetPlayerBomb(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (checked(call, "host_GetPlayerBomb")) call.returnInt(player()->bombs);
}

// "htGetPlayerPower"() -> int: the power, truncated toward zero; a power no int holds reads 0.
void host_GetPlayerPower(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!checked(call, "host_GetPlayerItem")) return;
  float power = player()->power;
  call.returnInt(power > -2e9f && power < 2e9f ? static_cast<std::int32_t>(power) : 0);
}

// "htAddPlayerLife"(): one more life.
void host_AddPlayerLife(ThreadIndex t, GroupId g) {
  if (checked(HostCall(t, g, 0), "host_AddPlayerLife")) player()->lives = base::addSaturated(player()->lives, 1);
}

// "htAddPlayerBomb"(): one more bomb.
void host_AddPlayerBomb(ThreadIndex t, GroupId g) {
  if (checked(HostCall(t, g, 0), "host_AddPlayerBomb")) player()->bombs = base::addSaturated(player()->bombs, 1);
}

// "htAddPlayerPower"(): power + 1.0, with no cap.
void host_AddPlayerPower(ThreadIndex t, GroupId g) {
  if (checked(HostCall(t, g, 0), "host_AddPlayerItem")) player()->power += 1.0f;
}

// "htGetPlayerX"() -> float: the ship's x; 400.0 without a ship.
void host_GetPlayerX(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (checked(call, "host_GetPlayerX")) call.returnFloat(player()->getX());
}

// "htGetPlayerY"() -> float: the ship's y; 300.0 without a ship.
void host_GetPlayerY(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (checked(call, "host_GetPlayerY")) call.returnFloat(player()->getY());
}

// DO NOT REORDER: registration order; a later group registering one of
// these names would replace it.
constexpr host::HostEntry kPlayerAPIs[] = {
    {"htCreatePlayer", host_CreatePlayer},       {"htDestroyPlayer", host_DestroyPlayer},
    {"htSetPlayerLife", host_SetPlayerLife},     {"htSetPlayerBomb", host_SetPlayerBomb},
    {"htSetPlayerPower", host_SetPlayerPower},   {"htGetPlayerLife", host_GetPlayerLife},
    {"htGetPlayerBomb", host_GetPlayerBomb},     {"htGetPlayerPower", host_GetPlayerPower},
    {"htAddPlayerLife", host_AddPlayerLife},     {"htAddPlayerBomb", host_AddPlayerBomb},
    {"htAddPlayerPower", host_AddPlayerPower},   {"htGetPlayerX", host_GetPlayerX},
    {"htGetPlayerY", host_GetPlayerY},
};
static_assert(std::size(kPlayerAPIs) == 13);

}  // namespace

void RegisterHostPlayerAPIs() { host::registerHostTable(kPlayerAPIs); }
