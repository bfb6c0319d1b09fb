// A script group: a table of script threads with an id, and the host-call convention.
//
// Host functions reach their calling thread through the group by thread
// index: arguments are read by position counted from the last pushed
// (position 0 is the script call's last argument), and at most one result is
// handed back with return*FromHost.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/runtime/bytecode_file.h"
#include "script/runtime/script_ids.h"
#include "script/runtime/vm_script.h"

class vm {
 public:
  explicit vm(script::GroupId id);
  vm(const vm&) = delete;
  vm& operator=(const vm&) = delete;

  // Destroys [group] now, or, when a call runs on one of its threads (a host
  // function resetting the group it runs in), unloads its threads at once and
  // frees the group when that call unwinds. Use it instead of delete.
  static void retire(vm* group);
  struct Retire {
    void operator()(vm* group) const { vm::retire(group); }
  };

  script::GroupId id() const { return id_; }

  // Index of the first empty thread not busy with a call; appends one when
  // none is free. Threads never move in memory.
  script::ThreadIndex findFreeThread();
  // Loads an assembled file into a free thread: its index, or kNoThread
  // (logging "Invalid Script File\n").
  script::ThreadIndex loadScript(const std::string& fileName);
  // Same from a script in memory.
  script::ThreadIndex loadAssembled(const script::AssembledScript& script);
  bool isThreadValid(script::ThreadIndex thread) const;
  void unloadScript(script::ThreadIndex thread);
  // The thread, nullptr when [thread] is not valid.
  vm_script* getThread(script::ThreadIndex thread);
  script::ThreadIndex lastLoadedThread() const { return lastLoaded_; }

  std::int32_t getParamAsInt(script::ThreadIndex thread, int position);
  float getParamAsFloat(script::ThreadIndex thread, int position);
  std::string getParamAsString(script::ThreadIndex thread, int position);
  // [declared] is the number of arguments the host function takes.
  void returnIntFromHost(script::ThreadIndex thread, int declared, std::int32_t value);
  void returnFloatFromHost(script::ThreadIndex thread, int declared, float value);
  void returnStringFromHost(script::ThreadIndex thread, int declared, const char* value);
  // Ends the script's call on [thread] with the VM error box showing [what]
  // once the host function in progress returns (vm_script::failHostCall).
  void failHostCall(script::ThreadIndex thread, const char* what);

  // Calls a script function by name (any case). May free this group when it
  // was retired during the call: do not touch the group afterwards.
  bool callFunc(script::ThreadIndex thread, std::string_view name);
  bool hasRenderFunc(script::ThreadIndex thread) const;
  // Arguments for the next callFunc, pushed in the script's source order.
  void pushIntParam(script::ThreadIndex thread, std::int32_t value);
  void pushFloatParam(script::ThreadIndex thread, float value);

  // Call bookkeeping of the threads (vm_script::callFunc).
  void enterCall() { ++activeCalls_; }
  // True when this was the last running call of a retired group: the caller
  // must then delete the group.
  bool leaveCall() { return --activeCalls_ == 0 && retired_; }

 private:
  friend class vm_script;  // deletes a retired group when its last call unwinds
  ~vm();
  vm_script* validThread(script::ThreadIndex thread) const;
  // Loads into a free thread with [load] (returns a LoadResult): loadScript
  // and loadAssembled.
  template <class Load>
  script::ThreadIndex loadInto(Load load);

  script::ThreadIndex lastLoaded_ = script::kNoThread;
  script::GroupId id_;
  std::vector<std::unique_ptr<vm_script>> threads_;
  int activeCalls_ = 0;
  bool retired_ = false;
};

namespace script {
// Owning pointer to a group that retires it on destruction.
using GroupPtr = std::unique_ptr<vm, vm::Retire>;
}  // namespace script
