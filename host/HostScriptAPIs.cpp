// Registration of the script-group host functions, and the scripts' own script group.
#include "core/xLogFile.h"
#include "host/HostRegistration.h"
#include "script/xScriptManager.h"

void RegisterHostScriptAPIs() {
  activeScriptGroupID = xScriptManager::getInstance()->addScriptGroup();
  if (activeScriptGroupID == script::kNoGroup) {
    ShowErrorBox("RegisterHostScriptAPIs: Error adding script group");
  }
}
