// Start-up: host registration in its fixed order, then the managers and the title.
#include "app/game_loop.h"

#include "base/xLogFile.h"
#include "core/xSystem.h"
#include "host/host_registration.h"
#include "script/runtime/xHostAPIManager.h"

// DO NOT REORDER: a name that two groups register ends up with the later one.
void RegisterHostAPIs() {
  xHostAPIManager::getInstance();
  // TODO(host groups): sprites first, then bullets, keys, fonts, geometry,
  // sound, boss and player join at their places as they are built.
  RegisterHostSystemAPIs();
  RegisterHostScriptAPIs();
  // TODO(menus): "bindScriptToMenuItem" is registered here last.
}

void GameStartUp() {
  RegisterHostAPIs();
  // TODO(fonts): the font manager is made here.
  xSystem::getInstance();
  xSystem::getInstance()->GameStart();
  // TODO(managers): sound, menus, score, sound effects, status fonts and the
  // visual-novel player are made here, in that order.
  xSystem::getInstance()->setupTitleBackground();
  // TODO(background, items): the interface frame image and the item manager.
  xLogFile::getInstance();
  WriteLog("Project Tazrel Log\n");
  WriteLog("Current Time: %s\n", GetCurrentTimeString().c_str());
}
