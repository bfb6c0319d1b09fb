// The host-function registry: the names under which scripts call host functions.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "script/runtime/script_ids.h"

// A host function, called with the calling script thread's index and its
// group's id. Arguments are read and the result stored through the group
// (vm::getParamAs*, vm::return*FromHost).
using HostAPIFunc = void (*)(script::ThreadIndex thread, script::GroupId group);

// Single instance, created on first use and kept until the process ends.
// Names are matched without regard to ASCII case; a later registration of a
// name replaces the earlier one.
class xHostAPIManager {
 public:
  static xHostAPIManager* getInstance();

  // Registers [func] under the upper-cased [name]; replaces an existing entry.
  void addFunc(std::string_view name, HostAPIFunc func);
  // Calls the function named [name] (any case) as func(thread, group) and
  // returns 1; returns -1 and calls nothing when the name is unknown.
  int callFunc(std::string_view name, script::GroupId group, script::ThreadIndex thread);

  // The function registered under [name] (any case), nullptr when none.
  HostAPIFunc find(std::string_view name) const;
  // Changes whenever the table changes; callers that cache lookups compare it.
  std::uint32_t version() const { return version_; }
  std::size_t size() const { return table_.size(); }
  // The registered (upper-case) names in the order of their last
  // registration: the order start-up must keep.
  std::vector<std::string> namesInOrder() const;

  // Tests: empties the table.
  static void resetForTests();

 private:
  struct Record {
    std::string name;  // upper case
    HostAPIFunc func;
    std::uint32_t sequence;  // when it was registered
  };
  xHostAPIManager() = default;

  std::map<std::string, Record, std::less<>> table_;
  std::uint32_t version_ = 1;
  std::uint32_t registrations_ = 0;
};
