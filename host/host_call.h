// The frame every host function shares: the calling group's check, typed argument reads and one result.
//
// A host function of n arguments builds a HostCall for n, checks the group
// (which logs its family's message when the group is bad), reads its
// arguments in script order with intArg(0) ... and hands back at most one
// result. Reads are by script order; the runtime's positions count from the
// last argument, so argument k is position n - 1 - k. A missing argument
// reads as 0, 0.0 or "".
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "script/runtime/script_ids.h"
#include "script/runtime/xHostAPIManager.h"

class vm;

namespace host {

// What a host function writes to the log when its calling group is bad.
enum class BadGroup {
  Silent,        // boss, system, fonts and text boxes, sprites, key, variables
  ErrorLoading,  // "<log name>: Error loading script manager <id>"
  InvalidGroup,  // "<log name>: invalid script group id"
};

class HostCall {
 public:
  // Finds the calling group through the script manager.
  HostCall(script::ThreadIndex thread, script::GroupId group, int argCount);

  // True when the calling group exists; otherwise logs [family]'s message
  // naming [logName] and nothing may be read or returned.
  [[nodiscard]] bool checkGroup(BadGroup family, const char* logName = nullptr) const;

  // Argument [k] in script order (0 = first). Strings come back as copies.
  std::int32_t intArg(int k) const;
  float floatArg(int k) const;
  std::string stringArg(int k) const;

  // The one result. [declared] defaults to the argument count; the tables of
  // a few functions declare another.
  void returnInt(std::int32_t value) const { returnInt(value, argCount_); }
  void returnInt(std::int32_t value, int declared) const;
  void returnFloat(float value) const { returnFloat(value, argCount_); }
  void returnFloat(float value, int declared) const;
  void returnString(const std::string& value) const { returnString(value, argCount_); }
  void returnString(const std::string& value, int declared) const;

  // Ends the script's call with the VM error box showing [what], once the
  // host function returns (vm::failHostCall).
  void fail(const char* what) const;

  vm* group() const { return group_; }
  script::ThreadIndex thread() const { return thread_; }

 private:
  int position(int k) const { return argCount_ - 1 - k; }

  script::ThreadIndex thread_;
  script::GroupId groupId_;
  int argCount_;
  vm* group_;
};

// One row of a registration table.
struct HostEntry {
  const char* name;
  HostAPIFunc func;
};

// Adds [entries] to the registry in table order (a later name replaces an
// earlier one).
void registerHostTable(std::span<const HostEntry> entries);

}  // namespace host
