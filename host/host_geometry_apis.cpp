// Registration of the geometry host function: the direction between two points in the degrees bullets take.
#include <cmath>
#include <iterator>

#include "host/host_call.h"
#include "host/host_registration.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

constexpr float kPi = 3.1415927f;

// "GetDegreeBetweenTwoPoints"(x1, y1, x2, y2: float) -> float: the angle from (x1, y1) to (x2, y2)
// in degrees, in (-180, 180], 0 along +x and 90 down the screen.
void host_GetDegreeBetweenTwoPoints(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::ErrorLoading, "host_GetDegreeBetweenTwoPoints")) return;
  float x1 = call.floatArg(0), y1 = call.floatArg(1), x2 = call.floatArg(2), y2 = call.floatArg(3);
  call.returnFloat(std::atan2(y2 - y1, x2 - x1) * 180.0f / kPi, 4);
}

constexpr host::HostEntry kMathAPIs[] = {
    {"GetDegreeBetweenTwoPoints", host_GetDegreeBetweenTwoPoints},
};
static_assert(std::size(kMathAPIs) == 1);

}  // namespace

void RegisterHostMathAPIs() { host::registerHostTable(kMathAPIs); }
