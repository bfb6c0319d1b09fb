// The host-function registration routines, one per group, called in order by RegisterHostAPIs.
//
// DO NOT REORDER the calls in RegisterHostAPIs: a name registered by two
// groups ends up with the later one.
#pragma once

// The sprite functions (25 names).
void RegisterHostSpriteAPIs();
// The system group (36 names, the variable store's four among them).
void RegisterHostSystemAPIs();
// The bullet and enemy functions; makes the enemy bullet manager first.
void RegisterHostBulletAPIs();
// The script-group functions; makes the scripts' own group
// (activeScriptGroupID). TODO(script host functions): the nine names join
// with their group; the group creation is already in place.
void RegisterHostScriptAPIs();
// The font and text-box functions (20 names, 19 functions).
void RegisterHostFontAPIs();
// The sound functions (15 names).
void RegisterHostSoundAPIs();
// The boss functions (22 names, 21 functions).
void RegisterHostBossAPIs();
// The player functions.
void RegisterHostPlayerAPIs();
