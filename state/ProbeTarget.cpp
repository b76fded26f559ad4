#include "state/ProbeTarget.h"

namespace kelvane {

ProbeTarget& ProbeTarget::Instance() {
  static ProbeTarget target;
  return target;
}

}  // namespace kelvane
