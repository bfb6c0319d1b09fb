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

void host_GetBossX(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!call.checkGroup(BadGroup::Silent)) return;
  float x = 0, y = 0;
  boss()->position(x, y);
  call.returnFloat(x);
}

void host_GetBossY(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!call.checkGroup(BadGroup::Silent)) return;
  float x = 0, y = 0;
  boss()->position(x, y);
  call.returnFloat(y);
}

// "htCreateBoss"(name, spare, image, x, y, w, h, frames); the spare is read, never used.
void host_CreateBoss(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 8);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string name = call.stringArg(0);
  (void)call.intArg(1);
  std::string image = call.stringArg(2);
  boss()->create(name, image, call.floatArg(3), call.floatArg(4), call.floatArg(5), call.floatArg(6),
                 call.intArg(7));
}

// "htSetBossMovementRect"(x1, y1, w1, h1, frames1, x2, y2, w2, h2, frames2)
void host_SetBossMovementRect(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 10);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->setMovementRect(call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3), call.intArg(4),
                          call.floatArg(5), call.floatArg(6), call.floatArg(7), call.floatArg(8), call.intArg(9));
}

// "htAddBossAnim"(anim, x, y, w, h, frames)
void host_AddBossAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->addAnim(call.intArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3), call.floatArg(4),
                  call.intArg(5));
}

// "htPlayBossAnimEx"(anim, duration, loop)
void host_PlayBossAnimEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->playAnim(call.intArg(0), call.intArg(1), call.intArg(2));
}

// "htPlayBossAnim" and "htPlayBossAnimWithDuration"(anim, duration): once,
// then the idle animation again.
void host_PlayBossAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->playAnim(call.intArg(0), call.intArg(1), 0);
}

// "htAddBossAttackScript"(file, life, spare, bonus, spellCard)
void host_AddBossAttackScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string file = call.stringArg(0);
  boss()->addAttackScript(file, static_cast<std::uint32_t>(call.intArg(1)), call.intArg(2), call.intArg(3),
                          call.intArg(4) >= 1);
}

void host_BossStart(ThreadIndex t, GroupId g) {
  if (HostCall(t, g, 0).checkGroup(BadGroup::Silent)) boss()->start();
}

void host_PlayBossEnergyAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) boss()->playEnergyAnim(call.intArg(0));
}

void host_SetBossMagicCircleColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->setMagicCircleColor(call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3));
}

// "htDisplayBossTitle"(image, frames)
void host_DisplayBossTitle(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string image = call.stringArg(0);
  boss()->displayTitle(image, call.intArg(1));
}

// "htEnableBossMagicCircle"(image, on)
void host_EnableBossMagicCircle(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string image = call.stringArg(0);
  boss()->enableMagicCircle(image, call.intArg(1) > 0);
}

// Radians per frame, turning without end.
void host_SetBossMagicRotationSpeed(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) boss()->setMagicCircleRotation(call.floatArg(0));
}

// "htSetBossDieAnim"(x, y, w, h, frames)
void host_SetBossDieAnim(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->setDieAnim(call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3), call.intArg(4));
}

// "htMoveBossTo"(x, y, frames)
void host_MoveBossTo(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  float x = call.floatArg(0), y = call.floatArg(1);
  boss()->moveTo(call.intArg(2), x, y);
}

void host_SetBossPos(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (call.checkGroup(BadGroup::Silent)) boss()->setPos(call.floatArg(0), call.floatArg(1));
}

void host_GetBossLife(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (call.checkGroup(BadGroup::Silent)) call.returnFloat(boss()->currentLife());
}

void host_SetBossImmortal(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) boss()->immortal = call.intArg(0) > 0;
}

void host_SetBossNameboxColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::Silent)) return;
  boss()->setNameboxColor(call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3));
}

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
