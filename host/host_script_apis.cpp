// Registration of the script-group host functions: loading, focusing, running and removing scripts, and the
// switches between stage, scene, scene inside a stage and the stage's end; then the scripts' own script group.
//
// A focused script may hand the focus over or unload itself from inside its
// own call: the runtime keeps the running code alive until the call unwinds
// and ends the call at the host function's return.
#include "host/host_script_apis.h"

#include <iterator>
#include <string>

#include "avg/xAVG.h"
#include "avg/xAVGScriptReader.h"
#include "base/xLogFile.h"
#include "core/xSystem.h"
#include "host/host_call.h"
#include "host/host_registration.h"
#include "script/manager/xScriptManager.h"
#include "stg/mBulletManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

xScriptManager* scripts() { return xScriptManager::getInstance(); }

// The ship stands still and every enemy bullet goes, immortal ones too.
void calmStage() {
  xPlayer* player = xPlayer::getInstance();
  if (player->sprite) player->sprite->setPose(0);
  mBulletManager::getInstance()->clearBullets(true);
}

// "htLoadScript"(file) -> thread, or -1
void host_LoadScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_loadScript")) return;
  std::string file = call.stringArg(0);
  call.returnInt(script::toInt(scripts()->loadScript(activeScriptGroupID, file)), 1);
}

// "htRemoveScript"(thread)
void host_RemoveScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_RemoveScript")) return;
  ThreadIndex thread{call.intArg(0)};
  if (vm* group = scripts()->getScriptGroup(activeScriptGroupID)) group->unloadScript(thread);
}

// "htSetCurrActiveScript"(thread): the focused script is unloaded, [thread]'s "init" runs.
void host_SetCurrActiveScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_SetCurrActiveScript")) return;
  ThreadIndex thread{call.intArg(0)};
  if (!scripts()->isGroupValid(activeScriptGroupID)) return;
  scripts()->setCurrFocusScript(activeScriptGroupID, thread);
}

// "htRemoveCurrActiveScript"(): the focus itself stays where it was.
void host_RemoveCurrActiveScript(ThreadIndex, GroupId) {
  xScriptManager* manager = scripts();
  if (vm* group = manager->getScriptGroup(manager->focusedGroup())) group->unloadScript(manager->focusedThread());
}

// "htRunScript"(file): an assembled file, not a source; its thread stays loaded.
void host_RunScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  scripts()->runScript(call.stringArg(0));
}

// "htRunAVGScript"(file): the scene starts under the fade.
void host_RunAVGScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_RunAVGScript")) return;
  std::string file = call.stringArg(0);
  WriteLog("%s", file.c_str());
  xSystem::getInstance()->changeState(STATE_AVG, true, file);
}

// "htRunSTGScript"(file): what a retry returns to is taken now, before the fade.
void host_RunSTGScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_RunSTGScript")) return;
  std::string file = call.stringArg(0);
  xPlayer::getInstance()->saveStageStartValues();
  xScoreManager::getInstance()->saveStageStart();
  xSystem* system = xSystem::getInstance();
  system->stageScriptName = file;
  system->changeState(STATE_STG, true, file);
}

// "htRunAVGScriptInSTG"(file)
void host_RunAVGScriptInSTG(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_RunAVGScript_STG")) return;
  host::runSceneInStage(call.stringArg(0));
}

// "htStageEnd"(): the stage-clear text and music, then the score board.
void host_StageEnd(ThreadIndex, GroupId) { xScoreManager::getInstance()->stageClear(); }

// DO NOT REORDER: registration order decides which of two groups keeps a name.
constexpr host::HostEntry kScriptAPIs[] = {
    {"htLoadScript", host_LoadScript},
    {"htRemoveScript", host_RemoveScript},
    {"htSetCurrActiveScript", host_SetCurrActiveScript},
    {"htRemoveCurrActiveScript", host_RemoveCurrActiveScript},
    {"htRunScript", host_RunScript},
    {"htRunAVGScript", host_RunAVGScript},
    {"htRunSTGScript", host_RunSTGScript},
    {"htRunAVGScriptInSTG", host_RunAVGScriptInSTG},
    {"htStageEnd", host_StageEnd},
};
static_assert(std::size(kScriptAPIs) == 9);

}  // namespace

namespace host {

bool runSceneInStage(const std::string& file) {
  if (!xAVGScriptReader::getInstance()->readFile(file)) {
    WriteLog("host_RunAVGScript_STG: invalid script file %s", file.c_str());
    return false;
  }
  calmStage();
  // Written directly, without the state machine's own scene-in-stage step.
  xSystem* system = xSystem::getInstance();
  system->setState(STATE_AVG_IN_STG);
  calmStage();
  system->scriptName = file;
  xAVG* player = xAVG::getInstance();
  player->buildOrders();
  player->start();
  return true;
}

}  // namespace host

void RegisterHostScriptAPIs() {
  host::registerHostTable(kScriptAPIs);
  activeScriptGroupID = scripts()->addScriptGroup();
  if (activeScriptGroupID == script::kNoGroup) {
    ShowErrorBox("RegisterHostScriptAPIs: Error adding script group");
  }
}
