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

// "htLoadScript"(file: string) -> int: compiles, assembles and loads the script source file into
// the scripts' group; its thread, or -1.
void host_LoadScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_loadScript")) return;
  std::string file = call.stringArg(0);
  call.returnInt(script::toInt(scripts()->loadScript(activeScriptGroupID, file)), 1);
}

// "htRemoveScript"(thread: int): unloads that thread of the scripts' group.
void host_RemoveScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_RemoveScript")) return;
  ThreadIndex thread{call.intArg(0)};
  if (vm* group = scripts()->getScriptGroup(activeScriptGroupID)) group->unloadScript(thread);
}

// "htSetCurrActiveScript"(thread: int): focuses that thread: the focused script is unloaded,
// thread's "init" runs, and its "Update" and "Render" are called every frame of a stage.
void host_SetCurrActiveScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_SetCurrActiveScript")) return;
  ThreadIndex thread{call.intArg(0)};
  if (!scripts()->isGroupValid(activeScriptGroupID)) return;
  scripts()->setCurrFocusScript(activeScriptGroupID, thread);
}

// "htRemoveCurrActiveScript"(): unloads the focused thread; the focus itself stays where it was.
void host_RemoveCurrActiveScript(ThreadIndex, GroupId) {
  xScriptManager* manager = scripts();
  if (vm* group = manager->getScriptGroup(manager->focusedGroup())) group->unloadScript(manager->focusedThread());
}

// "htRunScript"(file: string): loads an assembled file (.vkasmb, not a source) and runs its
// "_main"; its thread stays loaded.
void host_RunScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  scripts()->runScript(call.stringArg(0));
}

// "htRunAVGScript"(file: string): plays the scene file full screen after a fade; at its end the
// focused script's "onAVGEnd" is called.
void host_RunAVGScript(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_RunAVGScript")) return;
  std::string file = call.stringArg(0);
  WriteLog("%s", file.c_str());
  xSystem::getInstance()->changeState(STATE_AVG, true, file);
}

// "htRunSTGScript"(file: string): starts the stage script file after a fade (it becomes the focused
// script and a retry returns to this point, taken now).
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

// "htRunAVGScriptInSTG"(file: string): plays the scene file over the running stage; the stage goes
// on when it ends.
void host_RunAVGScriptInSTG(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::InvalidGroup, "host_RunAVGScript_STG")) return;
  host::runSceneInStage(call.stringArg(0));
}

// "htStageEnd"(): ends the stage: the stage-clear text and music, then the score board, then the
// focused script's "onScoreBoardEnd".
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
