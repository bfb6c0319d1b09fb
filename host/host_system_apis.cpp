// Registration of the system host functions: log and message box, exit, backgrounds, fog and sea, the title and
// the ending, difficulty, screen shake, timers, config.ini, floating texts, hits, the score file and items.
//
// Bad group ids are silent for the whole group.
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "base/xLogFile.h"
#include "core/process_exit.h"
#include "core/xSystem.h"
#include "core/xTimer.h"
#include "engine/platform.h"
#include "gfx/hgeColor.h"
#include "gfx/xFloatingText.h"
#include "host/globalVariableMap.h"
#include "host/host_call.h"
#include "host/host_registration.h"
#include "stg/xBackgroundManager.h"
#include "stg/xItemManager.h"
#include "stg/xScoreManager.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

xBackgroundManager* background() { return xBackgroundManager::getInstance(); }
xSystem* sys() { return xSystem::getInstance(); }

// ---- log, message box, exit ----

// "htLog"(text: string): writes text to log.txt as one line, taken literally (never as a format);
// texts shorter than 2 characters are dropped and the log cuts what is too long.
void host_Log(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  WriteLog("%s", call.stringArg(0).c_str());
}

// Code page 936 for the box; bytes that are not show escaped rather than
// losing the whole text.
std::string boxText(const std::string& text) {
  bool ok = true;
  std::string utf8 = engine::cp936ToUtf8(text, &ok);
  return ok ? utf8 : engine::displayPath(text);
}

// "htMessagebox"(text: string, caption: string): shows a message box captioned caption; the window
// backend holds the script until it is closed.
void host_Messagebox(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string text = call.stringArg(0);
  std::string caption = call.stringArg(1);
  engine::messageBox(boxText(text), boxText(caption), 0);
}

// "htExit"(): shuts the engine down and ends the game at once (exit status 0).
void host_Exit(ThreadIndex, GroupId) { core::exitAtOnce(); }

// ---- backgrounds, fog, sea ----

// "htSet2DBackground"(image: string, speed: float, mode: int): sets the 2D background picture: mode
// 0 scrolls at speed, 1 stands still, 2 turns at speed; speed 0 gives a still picture.
void host_Set2DBackground(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string image = call.stringArg(0);
  background()->set2DBackground(image.c_str(), call.floatArg(1), call.intArg(2));
}

// "htEnable2DFog1"(on: int, speed: float): switches the fog layer (fog.png) on (on > 0) or off,
// drifting at speed.
void host_Enable2DFog1(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  bool on = call.intArg(0) > 0;
  background()->fogSpeed = call.floatArg(1);
  background()->fogEnabled = on;
}

// "htSetFogSpeed"(speed: float): sets the fog's drift speed.
void host_SetFogSpeed(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) background()->fogSpeed = call.floatArg(0);
}

// "htSetBackgroundSpeed"(speed: float): sets the 2D background's scroll speed.
void host_SetBackgroundSpeed(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) background()->speed = call.floatArg(0);
}

// "htSetBackgroundAlpha"(alpha: float): sets the 2D background's opacity (0..1).
void host_SetBackgroundAlpha(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) background()->setBackgroundAlpha(call.floatArg(0));
}

// "htEnableSeaSimulation"(): starts the sea simulation background.
void host_EnableSeaSimulation(ThreadIndex, GroupId) {
  background()->seaEnabled = true;
  background()->sea.enableSeaSimulation();
}

// "htStopSeaSimulation"(): stops drawing the sea simulation.
void host_StopSeaSimulation(ThreadIndex, GroupId) { background()->seaEnabled = false; }

// "htSetSCBackground"(image: string, w: float, h: float, frames: int): sets the animated spell-card
// background: a picture of frames cells of w x h.
void host_SetSCBackground(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string image = call.stringArg(0);
  background()->setSCBackground(image.c_str(), call.floatArg(1), call.floatArg(2), call.intArg(3));
}

// "htSetSCBackgroundAlpha"(alpha: float): fades the spell-card background to alpha (0..1).
void host_SetSCBackgroundAlpha(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) background()->setSCBackgroundAlpha(call.floatArg(0));
}

// "htStopSCBackground"(): fades the spell-card background out, when one is set.
void host_StopSCBackground(ThreadIndex, GroupId) {
  if (background()->scBackground) background()->setSCBackgroundAlpha(0.0f);
}

// "htAddBackgroundCover"(image: string, speed, x, y: float, fadeFrames: int, mode: int): adds one
// more cover layer over the background: the picture at (x, y), scrolling at speed, fading in over
// fadeFrames frames; mode as for htSet2DBackground.
void host_AddBackgroundCover(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string image = call.stringArg(0);
  background()->addBackgroundCover(image.c_str(), call.floatArg(1), call.floatArg(2), call.floatArg(3),
                                   call.intArg(4), call.intArg(5));
}

// "htClearBackgroundCover"(): removes every cover layer.
void host_ClearBackgroundCover(ThreadIndex, GroupId) { background()->clearBackgroundCover(); }

// ---- game states, difficulty, shake, timers ----

// "htReturnToMain"(): returns to the title screen, with a fade.
void host_ReturnToMain(ThreadIndex, GroupId) { sys()->changeState(STATE_TITLE, true, ""); }
// "htPlayEndTheme"(): starts the ending and its staff roll, with a fade.
void host_PlayEndTheme(ThreadIndex, GroupId) { sys()->changeState(STATE_ENDING, true, ""); }

// "htGetDifficulty"() -> int: the difficulty chosen: the index of the item selected on the
// difficulty page (seen already by "initScript").
//
// The difficulty page's selection: the page's confirm runs "initScript"
// before it records the choice, and that script must see the new one.
void host_GetDifficulty(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!call.checkGroup(BadGroup::Silent)) return;
  const xSystem* system = sys();
  call.returnInt(system->difficultyMenu ? system->difficultyMenu->selected : system->difficulty);
}

// "htAddDifficultyIdent"(name: string): adds one more item, named name, to the difficulty page.
void host_AddDifficultyIdent(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (call.checkGroup(BadGroup::Silent)) sys()->difficultyNames.push_back(call.stringArg(0));
}

// "htShakeScreen"(mode: int, frames: int, amplitude: float): shakes the screen up and down (mode 1)
// or sideways (mode 2) for frames frames, amplitude pixels far.
void host_ShakeScreen(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::int32_t mode = call.intArg(0);
  sys()->shakeScreen(call.intArg(1), mode, call.floatArg(2));
}

// "htStartTimer"(period: int, times: int, function: string): calls function (no arguments) in the
// caller's own script every period frames, times times (-1: until the timers are cleared; 0: never,
// and the timer goes at the next update).
void host_StartTimer(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  auto timer = std::make_unique<xScriptTimer>();
  std::int32_t period = call.intArg(0);
  std::int32_t times = call.intArg(1);
  if (times != 0) {
    timer->period = static_cast<std::uint32_t>(period);
    timer->repeatLimit = static_cast<std::uint32_t>(times);
  }
  timer->funcName = call.stringArg(2);
  timer->scriptGroupId = g;
  timer->threadIndex = t;
  xTimerManager::getInstance()->add(std::move(timer));
}

// ---- config.ini ----

// "htIni_GetInt"(section: string, key: string, default: int) -> int: the integer of key in section
// of config.ini, default when absent.
void host_Ini_GetInt(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string section = call.stringArg(0);
  std::string key = call.stringArg(1);
  call.returnInt(sys()->getIniInt(section, key, call.intArg(2)));
}

// "htIni_GetFloat"(section: string, key: string, default: float) -> float: the number of key in
// section of config.ini, default when absent.
void host_Ini_GetFloat(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string section = call.stringArg(0);
  std::string key = call.stringArg(1);
  call.returnFloat(sys()->hge->Ini_GetFloat(section.c_str(), key.c_str(), call.floatArg(2)));
}

// "htIni_GetString"(section: string, key: string, default: string) -> string: the text of key in
// section of config.ini, default when absent.
void host_Ini_GetString(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string section = call.stringArg(0);
  std::string key = call.stringArg(1);
  call.returnString(sys()->getIniString(section, key, call.stringArg(2)));
}

// Script text for a log line, its line breaks shown rather than breaking the line.
std::string oneLine(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

// A section or key holding a line break, ']' or '=', or a value holding a
// line break, would be read back as other lines than the ones written and
// could spoil config.ini for every later read: refused and logged.
bool iniWritable(const char* logName, const std::string& section, const std::string& key, std::string_view value) {
  constexpr std::string_view kBadName = "\r\n]=";
  bool ok = section.find_first_of(kBadName) == std::string::npos && key.find_first_of(kBadName) == std::string::npos &&
            value.find_first_of("\r\n") == std::string_view::npos;
  if (!ok) WriteLog("%s: refused [%s] %s", logName, oneLine(section).c_str(), oneLine(key).c_str());
  return ok;
}

// "htIni_SetInt"(section: string, key: string, value: int): writes the integer to key in section of
// config.ini.
void host_Ini_SetInt(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string section = call.stringArg(0);
  std::string key = call.stringArg(1);
  std::int32_t value = call.intArg(2);
  if (iniWritable("host_Ini_SetInt", section, key, {})) sys()->setIniInt(section, key, value);
}

// "htIni_SetFloat"(section: string, key: string, value: float): writes the number to key in section
// of config.ini.
void host_Ini_SetFloat(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string section = call.stringArg(0);
  std::string key = call.stringArg(1);
  float value = call.floatArg(2);
  if (iniWritable("host_Ini_SetFloat", section, key, {})) {
    sys()->hge->Ini_SetFloat(section.c_str(), key.c_str(), value);
  }
}

// "htIni_SetString"(section: string, key: string, value: string): writes the text to key in section
// of config.ini.
void host_Ini_SetString(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string section = call.stringArg(0);
  std::string key = call.stringArg(1);
  std::string value = call.stringArg(2);
  if (iniWritable("host_Ini_SetString", section, key, value)) {
    sys()->hge->Ini_SetString(section.c_str(), key.c_str(), value.c_str());
  }
}

// ---- floating texts, score, items ----

// "htAddFloatingText"(text: string, font: string, size: int, r, g, b, a: float, x0, y0, x1, y1:
// float, frames: int, fadeIn: int, fadeOut: int): a text that appears at (x0, y0), floats to (x1,
// y1) over frames frames, fading in and out over fadeIn and fadeOut frames, in the TrueType font
// file font at size, coloured r, g, b, a.
void host_AddFloatingText(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 14);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string text = call.stringArg(0);
  std::string font = call.stringArg(1);
  std::int32_t size = call.intArg(2);
  DWORD colour = GetHWColorFromFloats(call.floatArg(3), call.floatArg(4), call.floatArg(5), call.floatArg(6));
  xFloatingTextManager::getInstance()->addText(text, font, size, colour, call.floatArg(7), call.floatArg(8),
                                               call.floatArg(9), call.floatArg(10), call.intArg(11),
                                               call.intArg(12), call.intArg(13));
}

// "htGetHit"() -> int: the hit count of the current combo.
void host_GetHit(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 0);
  if (!call.checkGroup(BadGroup::Silent)) return;
  call.returnInt(static_cast<std::int32_t>(xScoreManager::getInstance()->comboHits));
}

// "htStoreScore"(): writes the high score to score.dat.
void host_StoreScore(ThreadIndex, GroupId) { xScoreManager::getInstance()->WriteScore(); }

// "htInsertItem"(type: int, x, y: float): drops an item at (x, y): type 1 power +0.1, 2 bomb, 3
// life, 4 hit x2, 5 critical x2.
void host_InsertItem(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  xItemManager::getInstance()->addItem(call.intArg(0), call.floatArg(1), call.floatArg(2));
}

// "htClearAllItems"(): removes every item.
void host_ClearAllItems(ThreadIndex, GroupId) { xItemManager::getInstance()->clear(); }

// DO NOT REORDER: registration order; a later group registering one of
// these names would replace it.
constexpr host::HostEntry kSystemAPIs[] = {
    {"htLog", host_Log},
    {"htMessagebox", host_Messagebox},
    {"htExit", host_Exit},
    {"htSet2DBackground", host_Set2DBackground},
    {"htEnable2DFog1", host_Enable2DFog1},
    {"htSetFogSpeed", host_SetFogSpeed},
    {"htSetBackgroundSpeed", host_SetBackgroundSpeed},
    {"htSetBackgroundAlpha", host_SetBackgroundAlpha},
    {"htEnableSeaSimulation", host_EnableSeaSimulation},
    {"htStopSeaSimulation", host_StopSeaSimulation},
    {"htReturnToMain", host_ReturnToMain},
    {"htGetDifficulty", host_GetDifficulty},
    {"htStoreVariable", host_StoreVariable},
    {"htGetVariableAsInt", host_GetVariableAsInt},
    {"htGetVariableAsFloat", host_GetVariableAsFloat},
    {"htGetVariableAsString", host_GetVariableAsString},
    {"htShakeScreen", host_ShakeScreen},
    {"htPlayEndTheme", host_PlayEndTheme},
    {"htStartTimer", host_StartTimer},
    {"htIni_GetInt", host_Ini_GetInt},
    {"htIni_GetFloat", host_Ini_GetFloat},
    {"htIni_GetString", host_Ini_GetString},
    {"htIni_SetInt", host_Ini_SetInt},
    {"htIni_SetFloat", host_Ini_SetFloat},
    {"htIni_SetString", host_Ini_SetString},
    {"htAddDifficultyIdent", host_AddDifficultyIdent},
    {"htSetSCBackground", host_SetSCBackground},
    {"htSetSCBackgroundAlpha", host_SetSCBackgroundAlpha},
    {"htStopSCBackground", host_StopSCBackground},
    {"htAddFloatingText", host_AddFloatingText},
    {"htGetHit", host_GetHit},
    {"htAddBackgroundCover", host_AddBackgroundCover},
    {"htClearBackgroundCover", host_ClearBackgroundCover},
    {"htStoreScore", host_StoreScore},
    {"htInsertItem", host_InsertItem},
    {"htClearAllItems", host_ClearAllItems},
};
static_assert(std::size(kSystemAPIs) == 36);

}  // namespace

void RegisterHostSystemAPIs() { host::registerHostTable(kSystemAPIs); }
