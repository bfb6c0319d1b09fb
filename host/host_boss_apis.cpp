// Registration of the boss host functions: create, animate, arm with attack scripts, start, move and end the one boss.
//
// Bad group ids are silent; without a boss the operations do nothing and
// the getters give 0.
#include <cstdint>
#include <iterator>
#include <string>

#include "host/host_call.h"
#include "host/host_registration.h"
#include "stg/xBoss.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

xBoss* boss() { return xBoss::getInstance(); }

// "htGetBossX"() -> float: the boss's x; 0.0 without a boss.
void host_GetBossX(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!call.checkGroup(BadGroup::Silent)) return;
  float x = 0, y = 0;
  boss()->position(x, y);
  call.returnFloat(x);
}

// "htGetBossY"() -> float: the boss's y; 0.0 without a boss.
void host_GetBossY(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!call.checkGroup(BadGroup::Silent)) return;
  float x = 0, y = 0;
  boss()->position(x, y);
  call.returnFloat(y);
}

// "htCreateBoss"(name: string, spare: int, image: string, x, y, w, h: float, frames: int): makes
// the boss named name from the picture image, its idle animation frames cells from (x, y, w, h);
// the spare is read, never used.
void host_CreateBoss(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 8);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string name = call.stringArg(0);
  (void)call.intArg(1);
  std::string image = call.stringArg(2);
  boss()->create(name, image, call.floatArg(3), call.floatArg(4), call.floatArg(5), call.floatArg(6),
                 call.intArg(7));
}

// "htSetBossMovementRect"(x1, y1, w1, h1: float, frames1: int, x2, y2, w2, h2: float, frames2:
// int): the boss's left and right movement animations: frames1 cells from (x1, y1, w1, h1), frames2
// cells from (x2, y2, w2, h2).
void host_SetBossMovementRect(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 10);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->setMovementRect(call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3), call.intArg(4),
                          call.floatArg(5), call.floatArg(6), call.floatArg(7), call.floatArg(8), call.intArg(9));
}

// "htAddBossAnim"(anim: int, x, y, w, h: float, frames: int): adds animation anim of frames cells
// from (x, y, w, h).
void host_AddBossAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->addAnim(call.intArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3), call.floatArg(4),
                  call.intArg(5));
}

// "htPlayBossAnimEx"(anim: int, duration: int, loop: int): plays animation anim for duration
// frames, looped when loop > 0; otherwise the idle animation comes back after it.
void host_PlayBossAnimEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->playAnim(call.intArg(0), call.intArg(1), call.intArg(2));
}

// "htPlayBossAnim" and "htPlayBossAnimWithDuration"(anim: int, duration: int): plays animation anim
// once for duration frames, then the idle animation again.
void host_PlayBossAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->playAnim(call.intArg(0), call.intArg(1), 0);
}

// "htAddBossAttackScript"(file: string, life: int, spare: int, bonus: int, spellCard: int): adds an
// attack: the attack script file (its "init", "update" and "render"), its life, the bonus scored
// when it is beaten, a spell card when spellCard >= 1; spare is not used.
void host_AddBossAttackScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string file = call.stringArg(0);
  boss()->addAttackScript(file, static_cast<std::uint32_t>(call.intArg(1)), call.intArg(2), call.intArg(3),
                          call.intArg(4) >= 1);
}

// "htBossStart"(): starts the boss's first attack.
void host_BossStart(ThreadIndex t, GroupId g) {
  if (HostCall(t, g, 0).checkGroup(BadGroup::Silent)) boss()->start();
}

// "htPlayBossEnergyAnim"(frames: int): plays the boss's energy effect for frames frames.
void host_PlayBossEnergyAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) boss()->playEnergyAnim(call.intArg(0));
}

// "htSetBossMagicCircleColor"(r, g, b, a: float): colours the magic circle (components 0..1).
void host_SetBossMagicCircleColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->setMagicCircleColor(call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3));
}

// "htDisplayBossTitle"(image: string, frames: int): shows the title picture image, fading in over
// frames frames.
void host_DisplayBossTitle(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string image = call.stringArg(0);
  boss()->displayTitle(image, call.intArg(1));
}

// "htEnableBossMagicCircle"(image: string, on: int): shows (on > 0) or hides the magic circle
// picture image under the boss.
void host_EnableBossMagicCircle(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string image = call.stringArg(0);
  boss()->enableMagicCircle(image, call.intArg(1) > 0);
}

// "htSetBossMagicRotationSpeed"(speed: float): turns the magic circle by speed radians a frame.
void host_SetBossMagicRotationSpeed(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) boss()->setMagicCircleRotation(call.floatArg(0));
}

// "htSetBossDieAnim"(x, y, w, h: float, frames: int): the boss's death animation: frames cells from
// (x, y, w, h).
void host_SetBossDieAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->setDieAnim(call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3), call.intArg(4));
}

// "htMoveBossTo"(x, y: float, frames: int): moves the boss to (x, y) over frames frames, with its
// left, right or idle animation.
void host_MoveBossTo(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  float x = call.floatArg(0), y = call.floatArg(1);
  boss()->moveTo(call.intArg(2), x, y);
}

// "htSetBossPos"(x, y: float): places the boss at (x, y) at once.
void host_SetBossPos(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (call.checkGroup(BadGroup::Silent)) boss()->setPos(call.floatArg(0), call.floatArg(1));
}

// "htGetBossLife"() -> float: the life left of the current attack; 0.0 when no attack runs.
void host_GetBossLife(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (call.checkGroup(BadGroup::Silent)) call.returnFloat(boss()->currentLife());
}

// "htSetBossImmortal"(on: int): the boss ignores hits while on > 0.
void host_SetBossImmortal(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) boss()->immortal = call.intArg(0) > 0;
}

// "htSetBossNameboxColor"(r, g, b, a: float): colours the boss's name box (components 0..1).
void host_SetBossNameboxColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->setNameboxColor(call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3));
}

// "htEndBoss"(): ends the boss at once.
// No group check: any script may end the boss.
void host_EndBoss(ThreadIndex, GroupId) { boss()->end(); }

// DO NOT REORDER: registration order; a later group registering one of
// these names would replace it.
constexpr host::HostEntry kBossAPIs[] = {
    {"htGetBossX", host_GetBossX},
    {"htGetBossY", host_GetBossY},
    {"htCreateBoss", host_CreateBoss},
    {"htSetBossMovementRect", host_SetBossMovementRect},
    {"htAddBossAnim", host_AddBossAnim},
    {"htPlayBossAnimEx", host_PlayBossAnimEx},
    {"htPlayBossAnim", host_PlayBossAnim},
    {"htAddBossAttackScript", host_AddBossAttackScript},
    {"htBossStart", host_BossStart},
    {"htPlayBossAnimWithDuration", host_PlayBossAnim},
    {"htPlayBossEnergyAnim", host_PlayBossEnergyAnim},
    {"htSetBossMagicCircleColor", host_SetBossMagicCircleColor},
    {"htDisplayBossTitle", host_DisplayBossTitle},
    {"htEnableBossMagicCircle", host_EnableBossMagicCircle},
    {"htSetBossMagicRotationSpeed", host_SetBossMagicRotationSpeed},
    {"htSetBossDieAnim", host_SetBossDieAnim},
    {"htMoveBossTo", host_MoveBossTo},
    {"htSetBossPos", host_SetBossPos},
    {"htGetBossLife", host_GetBossLife},
    {"htSetBossImmortal", host_SetBossImmortal},
    {"htSetBossNameboxColor", host_SetBossNameboxColor},
    {"htEndBoss", host_EndBoss},
};
static_assert(std::size(kBossAPIs) == 22);

}  // namespace

void RegisterHostBossAPIs() { host::registerHostTable(kBossAPIs); }
