// Registration of the system host functions.
#include <iterator>

#include "host/host_call.h"
#include "host/host_registration.h"
#include "host/globalVariableMap.h"

namespace {

// Registration order; the variable store sits between "htGetDifficulty" and
// "htShakeScreen" once those exist.
constexpr host::HostEntry kSystemAPIs[] = {
    {"htStoreVariable", host_StoreVariable},
    {"htGetVariableAsInt", host_GetVariableAsInt},
    {"htGetVariableAsFloat", host_GetVariableAsFloat},
    {"htGetVariableAsString", host_GetVariableAsString},
};

}  // namespace

void RegisterHostSystemAPIs() { host::registerHostTable(kSystemAPIs); }
