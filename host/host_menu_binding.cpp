// The menu-binding host function, which start-up registers on its own after every group.
#include <string>

#include "base/xLogFile.h"
#include "core/xMenu.h"
#include "host/host_call.h"
#include "host/host_registration.h"
#include "script/manager/xScriptManager.h"

using host::BadGroup;
using host::HostCall;

// "bindScriptToMenuItem"(menu: int, item: int, file: string): loads the script file into the menu's
// own group and runs its "init" now; choosing item of menu later focuses it.
void host_BindScriptToMenuItem(script::ThreadIndex t, script::GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::ErrorLoading, "BindScriptToMenuItem")) return;
  int menu = call.intArg(0);
  int item = call.intArg(1);
  std::string file = call.stringArg(2);
  xMenuManager* menus = xMenuManager::getInstance();
  script::GroupId group = menus->getScriptManagerID(menu);
  xScriptManager* scripts = xScriptManager::getInstance();
  script::ThreadIndex thread = scripts->loadScript(group, file);
  if (thread == script::kNoThread) {
    WriteLog("BindScriptToMenuItem: Error adding script %s to script group", file.c_str());
    return;
  }
  scripts->callFunc("init", group, thread);
  // By index again: the script's "init" may have changed the menus.
  menus->bindScript(menu, item, thread);
  WriteLog("BindScriptToMenuItem: binded script to menu item: %d, %d, %d", menu, item, script::toInt(thread));
}
