// The script manager: groups, the source-to-thread pipeline, the focused script and calls by name.
#include "script/manager/xScriptManager.h"

#include <new>

#include "base/xLogFile.h"
#include "engine/hge.h"
#include "engine/platform.h"
#include "script/assembler/xScriptAssembler.h"

using script::GroupId;
using script::ThreadIndex;

GroupId activeScriptGroupID = script::kNoGroup;

namespace {

xScriptManager* gManager = nullptr;

constexpr unsigned kErrorIconStyle = 0x10;  // no owner window, error icon
constexpr const char* kListingSuffix = ".vkasm";
constexpr const char* kAssembledSuffix = ".vkasmb";

void fatalBox(const char* text) { engine::messageBox(text, "Fatal Error", kErrorIconStyle); }

}  // namespace

xScriptManager* xScriptManager::getInstance() {
  if (gManager == nullptr) gManager = new xScriptManager();
  return gManager;
}

void xScriptManager::resetForTests() {
  delete gManager;
  gManager = nullptr;
  activeScriptGroupID = script::kNoGroup;
}

xScriptManager::xScriptManager()
    : diagnosticHandler_(script::reportCompilerDiagnostic), hge_(hgeCreate(HGE_VERSION)) {}

xScriptManager::~xScriptManager() {
  groups_.clear();
  hge_->Release();
}

GroupId xScriptManager::addScriptGroup() {
  GroupId id{static_cast<int>(groups_.size())};
  try {
    groups_.push_back(script::GroupPtr(new vm(id)));
  } catch (const std::bad_alloc&) {
    return script::kNoGroup;
  }
  return id;
}

void xScriptManager::resetScriptGroup(GroupId group) {
  if (!isGroupValid(group)) return;
  // The old group is retired, not deleted: a host function of one of its
  // threads may be what asked for the reset.
  groups_[static_cast<std::size_t>(script::toInt(group))].reset(new vm(group));
}

vm* xScriptManager::getScriptGroup(GroupId group) const {
  int i = script::toInt(group);
  if (i < 0 || i >= groupCount()) return nullptr;
  return groups_[static_cast<std::size_t>(i)].get();
}

bool xScriptManager::deleteAssembledScript() {
  if (!deleteAssembledScript_) {
    deleteAssembledScript_ = hge_->Ini_GetInt("Extra", "DeleteAssembledScript", 1) > 0;
  }
  return *deleteAssembledScript_;
}

ThreadIndex xScriptManager::loadScript(GroupId group, const std::string& name) {
  vm* target = getScriptGroup(group);
  if (target == nullptr) return script::kNoThread;
  if (name.find(".vasmb") != std::string::npos) {
    fatalBox("Error Compiling script file");
    return script::kNoThread;
  }
  // Memory running out at any step fails the load like a script that
  // cannot be read.
  try {
    return buildAndLoad(*target, name);
  } catch (const std::bad_alloc&) {
    try {
      fatalBox("Error Assembling script file");
    } catch (const std::bad_alloc&) {
    }
    return script::kNoThread;
  }
}

namespace {

// The two files a load writes, removed when it ends however it ends. When
// even that finds no memory they stay: every load removes stale ones first.
struct IntermediateFiles {
  const std::string& listing;
  const std::string& assembled;
  bool keepListing;
  ~IntermediateFiles() {
    try {
      if (!keepListing) engine::deleteFile(listing);
      engine::deleteFile(assembled);
    } catch (const std::bad_alloc&) {
    }
  }
};

}  // namespace

ThreadIndex xScriptManager::buildAndLoad(vm& target, const std::string& name) {
  // One report for the name, before any of its three files is touched.
  if (!engine::checkGamePath(name)) return script::kNoThread;
  const std::string listing = name + kListingSuffix;
  const std::string assembled = name + kAssembledSuffix;
  // Files left by an earlier run must never be assembled or loaded instead.
  engine::deleteFile(listing);
  engine::deleteFile(assembled);
  IntermediateFiles files{listing, assembled, !deleteAssembledScript()};
  script::AssembledScript script;
  if (!buildAssembledFile(name, listing, assembled, script)) return script::kNoThread;
  return target.loadAssembled(script);
}

// Both files are written where the game always wrote them, but each stage
// takes what the one before made from memory rather than reading it back,
// and each stage's tables are gone before the next one builds its own.
bool xScriptManager::buildAssembledFile(const std::string& name, const std::string& listing,
                                        const std::string& assembled, script::AssembledScript& out) {
  std::string text;
  if (!compileToListing(name, listing, text)) return false;
  xScriptAssembler assembler;
  assembler.loadText(std::move(text), listing);
  if (!assembler.assemble() || !assembler.writeBinary(assembled)) return false;
  out = assembler.takeOutput();
  return true;
}

bool xScriptManager::compileToListing(const std::string& name, const std::string& listing, std::string& text) {
  xScriptCompiler compiler;
  compiler.setDiagnosticHandler(diagnosticHandler_);
  if (compiler.loadSource(name) != 1) {
    fatalBox("Error Assembling script file");
    return false;
  }
  // Every reported error stops the load: a script with a lexer error or a
  // missing include would otherwise run with pieces missing. A file included
  // twice loses nothing.
  if (!compiler.compile() || compiler.hasErrors()) return false;
  return compiler.emitAssembly(listing, &text);
}

void xScriptManager::runScript(const std::string& name) {
  vm* group = getScriptGroup(activeScriptGroupID);
  if (group == nullptr) return;
  ThreadIndex thread = group->loadScript(name);
  if (thread != script::kNoThread) group->callFunc(thread, "_main");
}

bool xScriptManager::callFunc(std::string_view name, GroupId group, ThreadIndex thread) {
  vm* target = getScriptGroup(group);
  if (target == nullptr) {
    WriteLog("xScriptManager::callFunc: invalid script manager id");
    return false;
  }
  if (!target->callFunc(thread, name)) {
    // A call refused for nesting too deep has been reported by the runtime.
    if (!script::nestedCallRefused()) {
      WriteLog("xScriptManager::callFunc: invalid func name %.*s", int(name.size()), name.data());
    }
    return false;
  }
  return true;
}

void xScriptManager::setCurrFocusScript(GroupId group, ThreadIndex thread) {
  // Refocusing the focused thread reruns its "init" instead of unloading it.
  bool same = group == focusedGroup_ && thread == focusedThread_;
  if (!same && focusedThread_ != script::kNoThread) {
    if (vm* old = getScriptGroup(focusedGroup_)) old->unloadScript(focusedThread_);
  }
  focusedThread_ = thread;
  focusedGroup_ = group;
  callFunc("init", group, thread);
  WriteLog("xScriptManager::setCurrFocusScript %d, %d", script::toInt(thread), script::toInt(group));
}

void xScriptManager::callFocused(std::string_view name, const char* badGroupMessage) {
  vm* group = getScriptGroup(focusedGroup_);
  if (group == nullptr) {
    WriteLog("%s", badGroupMessage);
    return;
  }
  group->callFunc(focusedThread_, name);
}

void xScriptManager::callCurrFunc(std::string_view name) {
  callFocused(name, "xScriptManager::callCurrFunc: invalid focused script manager id");
}

// Both name the render call in their message, as the game's log always has.
void xScriptManager::callCurrUpdateFunc() {
  callFocused("Update", "xScriptManager::callCurrRenderFunc: invalid focused script manager id");
}

void xScriptManager::callCurrRenderFunc() {
  callFocused("Render", "xScriptManager::callCurrRenderFunc: invalid focused script manager id");
}

void xScriptManager::pushCurrFloatParam(float value) {
  if (vm* group = getScriptGroup(focusedGroup_)) group->pushFloatParam(focusedThread_, value);
}
