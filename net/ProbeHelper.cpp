#include "net/ProbeHelper.h"

namespace kelvane {
namespace {

const ProbeHelperRoute*& Route() {
  static const ProbeHelperRoute* route = nullptr;
  return route;
}

}  // namespace

void SetProbeHelperRoute(const ProbeHelperRoute* route) { Route() = route; }

const ProbeHelperRoute* ProbeHelperRouteInUse() { return Route(); }

}  // namespace kelvane
