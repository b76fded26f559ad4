#include "steps/advanced/RouterMove.h"

#include "steps/kit/RouterSearch.h"
#include "router/RouterLogin.h"

namespace kelvane {

RouterMoveReport FollowRouterToNewNetwork(WizardState& state, HostNetwork& host, Narrator& narrator) {
  RouterMoveReport report;
  report.released = host.ReleaseAllAdapters();
  report.renewed = host.RenewAllAdapters();
  if (report.renewed) narrator.Pause(kAfterRenewPauseMs);
  bool dhcp = false;
  report.pcAddress = host.FindLocalAddress(1, dhcp, state);
  if (!report.pcAddress) return report;
  report.routerFound = FindRouter(state);
  if (!report.routerFound) return report;
  report.loggedIn = LoginToRouter(state);
  return report;
}

}  // namespace kelvane
