// The host-function registration routines, one per group, called in order by RegisterHostAPIs.
//
// DO NOT REORDER the calls in RegisterHostAPIs: a name registered by two
// groups ends up with the later one.
#pragma once

#include "script/runtime/script_ids.h"

// The sprite functions (25 names).
void RegisterHostSpriteAPIs();
// The system group (36 names, the variable store's four among them).
void RegisterHostSystemAPIs();
// The bullet and enemy functions; makes the enemy bullet manager first.
void RegisterHostBulletAPIs();
// "htTestKey".
void RegisterHostKeyAPIs();
// The script-group functions (9 names), then the scripts' own group
// (activeScriptGroupID).
void RegisterHostScriptAPIs();
// The font and text-box functions (20 names, 19 functions).
void RegisterHostFontAPIs();
// "GetDegreeBetweenTwoPoints".
void RegisterHostMathAPIs();
// The sound functions (15 names).
void RegisterHostSoundAPIs();
// The boss functions (22 names, 21 functions).
void RegisterHostBossAPIs();
// The player functions.
void RegisterHostPlayerAPIs();

// "bindScriptToMenuItem", registered by RegisterHostAPIs itself, last.
void host_BindScriptToMenuItem(script::ThreadIndex thread, script::GroupId group);
