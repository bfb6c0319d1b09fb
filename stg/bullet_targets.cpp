// The process-wide targets of the bullets.
#include "stg/bullet_targets.h"

namespace stg {

BulletTargets& bulletTargets() {
  static BulletTargets targets;
  return targets;
}

}  // namespace stg
