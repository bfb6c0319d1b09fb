// The scripts' global variable store and its four host functions.
//
// Keys and values are 8-bit text compared byte by byte (keys are
// case-sensitive). The store lives for the whole process: it is never saved
// and nothing clears it between stages, scenes or returns to the title.
#pragma once

#include <map>
#include <string>

#include "script/runtime/script_ids.h"

extern std::map<std::string, std::string> globalVariableMap;

// "htStoreVariable"(value, key): inserts the key or replaces its value.
void host_StoreVariable(script::ThreadIndex thread, script::GroupId group);
// "htGetVariableAsInt"(key): the value as atoi reads it; 0 when absent.
void host_GetVariableAsInt(script::ThreadIndex thread, script::GroupId group);
// "htGetVariableAsFloat"(key): the value as atof reads it; 0.0 when absent.
void host_GetVariableAsFloat(script::ThreadIndex thread, script::GroupId group);
// "htGetVariableAsString"(key): the value; "" when absent.
void host_GetVariableAsString(script::ThreadIndex thread, script::GroupId group);
