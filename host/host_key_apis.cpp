// Registration of the key host function: scripts test input actions, not keys.
#include <iterator>

#include "core/xInputManager.h"
#include "host/host_call.h"
#include "host/host_registration.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

// "htTestKey"(action: int) -> int: 1 when input action action (1 confirm, 2-5 up, down, left,
// right, 6 shoot, 7 bomb, 8 slow, 9 cancel, 10-19 the digits, 20 Tab, 21 Space, 22 Ctrl, 23 P) was
// pressed, with its repeat while held, as this frame's poll left it; 0 otherwise.
void host_TestKey(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  bool pressed = xInputManager::getInstance()->isActionPressed(call.intArg(0));
  call.returnInt(pressed ? 1 : 0, 1);
}

constexpr host::HostEntry kKeyAPIs[] = {
    {"htTestKey", host_TestKey},
};
static_assert(std::size(kKeyAPIs) == 1);

}  // namespace

void RegisterHostKeyAPIs() { host::registerHostTable(kKeyAPIs); }
