// Registration of the script-group host functions, and the scripts' own script group.
#include "base/xLogFile.h"
#include "host/host_registration.h"
#include "script/manager/xScriptManager.h"

void RegisterHostScriptAPIs() {
  activeScriptGroupID = xScriptManager::getInstance()->addScriptGroup();
  if (activeScriptGroupID == script::kNoGroup) {
    ShowErrorBox("RegisterHostScriptAPIs: Error adding script group");
  }
}
