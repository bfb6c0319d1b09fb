// The script manager: the game's one entry to the script system (groups, loading, focus, calls by name).
//
// Loading runs the whole pipeline: source -> listing "<name>.vkasm" ->
// assembled file "<name>.vkasmb" -> a thread of the group; the intermediate
// files are deleted afterwards ("<name>.vkasm" only when [Extra]
// DeleteAssembledScript is above 0). The focused script is the pair
// (focused group, focused thread) that receives "Update", "Render" and the
// game's event calls.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/runtime/script_ids.h"
#include "script/runtime/vm.h"
#include "script/compiler/xScriptCompiler.h"

class HGE;

// Single instance, created by getInstance on first use and never destroyed.
// Group ids are indices into the group table and are never reused.
class xScriptManager {
 public:
  static xScriptManager* getInstance();
  // Tests: drop the instance and every group it holds; forget activeScriptGroupID.
  static void resetForTests();

  // A new empty group: its id (the previous group count), or kNoGroup.
  script::GroupId addScriptGroup();
  // Replaces the group by a new empty one with the same id (its threads are
  // gone, safely even while one of them runs). Bad ids do nothing.
  void resetScriptGroup(script::GroupId group);
  // The group, nullptr for a bad id.
  vm* getScriptGroup(script::GroupId group) const;
  bool isGroupValid(script::GroupId group) const { return getScriptGroup(group) != nullptr; }
  int groupCount() const { return static_cast<int>(groups_.size()); }

  // Compiles, assembles and loads the source [name] into [group]: the thread,
  // or kNoThread. Any failed step loads nothing, and stale intermediate files
  // of an earlier run are removed first, so they can never be loaded instead.
  script::ThreadIndex loadScript(script::GroupId group, const std::string& name);
  // Loads the assembled file [name] (no compile step) into the scripts' own
  // group and runs its "_main" to the end; the thread stays loaded.
  void runScript(const std::string& name);
  // Calls [name] (any case) on a thread; false (and a log line) when the
  // group, the thread or the function is not there.
  bool callFunc(std::string_view name, script::GroupId group, script::ThreadIndex thread);

  // Unloads the focused thread unless it is the one asked for, focuses the
  // pair and calls its "init".
  void setCurrFocusScript(script::GroupId group, script::ThreadIndex thread);
  void callCurrFunc(std::string_view name);
  void callCurrUpdateFunc();
  void callCurrRenderFunc();
  // A float argument for the next call on the focused script.
  void pushCurrFloatParam(float value);

  // Tests: what compile errors do (by default the game's policy, where a
  // parser error ends the process).
  void setDiagnosticHandler(xScriptCompiler::DiagnosticHandler handler) {
    diagnosticHandler_ = std::move(handler);
  }

  script::GroupId focusedGroup() const { return focusedGroup_; }
  script::ThreadIndex focusedThread() const { return focusedThread_; }

 private:
  xScriptManager();
  ~xScriptManager();
  bool deleteAssembledScript();
  script::ThreadIndex buildAndLoad(vm& target, const std::string& name);
  // Compile and assemble steps, writing both files; [out] gets the
  // assembled script. False when a step failed.
  bool buildAssembledFile(const std::string& name, const std::string& listing, const std::string& assembled,
                          script::AssembledScript& out);
  // Compiles [name] and writes its listing, which [text] receives.
  bool compileToListing(const std::string& name, const std::string& listing, std::string& text);
  void callFocused(std::string_view name, const char* badGroupMessage);

  script::ThreadIndex focusedThread_ = script::kNoThread;
  script::GroupId focusedGroup_ = script::kNoGroup;
  std::vector<script::GroupPtr> groups_;
  // Read at the first load, so the INI file set after start-up is honoured.
  std::optional<bool> deleteAssembledScript_;
  xScriptCompiler::DiagnosticHandler diagnosticHandler_;
  HGE* hge_;
};

// The id of the scripts' own group (stage scripts, "htLoadScript",
// "htRunScript"); kNoGroup until host registration makes it.
extern script::GroupId activeScriptGroupID;
