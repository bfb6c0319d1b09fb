// The global variable store and its host functions.
#include "host/globalVariableMap.h"

#include "host/host_call.h"
#include "script/runtime/number_text.h"

using host::BadGroup;
using host::HostCall;

std::map<std::string, std::string> globalVariableMap;

namespace {

// The stored value of [key], nullptr when absent; never inserts.
const std::string* lookUp(const std::string& key) {
  auto found = globalVariableMap.find(key);
  return found != globalVariableMap.end() ? &found->second : nullptr;
}

}  // namespace

// "htStoreVariable"(value: string, key: string): stores value under key in the variable store
// shared by every script (the value comes first, the key last); a key keeps its case.
void host_StoreVariable(script::ThreadIndex thread, script::GroupId group) {
  HostCall call(thread, group, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string value = call.stringArg(0);
  std::string key = call.stringArg(1);
  globalVariableMap[key] = std::move(value);
}

// "htGetVariableAsInt"(key: string) -> int: the value under key read as a decimal integer (optional
// sign and leading digits); 0 when the key is absent.
void host_GetVariableAsInt(script::ThreadIndex thread, script::GroupId group) {
  HostCall call(thread, group, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  const std::string* value = lookUp(call.stringArg(0));
  call.returnInt(value != nullptr ? script::textToInt(*value) : 0);
}

// "htGetVariableAsFloat"(key: string) -> float: the value under key read as a number; 0.0 when the
// key is absent.
void host_GetVariableAsFloat(script::ThreadIndex thread, script::GroupId group) {
  HostCall call(thread, group, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  const std::string* value = lookUp(call.stringArg(0));
  call.returnFloat(value != nullptr ? script::textToFloat(*value) : 0.0f);
}

// "htGetVariableAsString"(key: string) -> string: the value under key; "" when the key is absent.
void host_GetVariableAsString(script::ThreadIndex thread, script::GroupId group) {
  HostCall call(thread, group, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  const std::string* value = lookUp(call.stringArg(0));
  call.returnString(value != nullptr ? *value : std::string());
}
