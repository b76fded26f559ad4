#include "steps/advanced/RouterMove.h"

#include "net/HttpClient.h"
#include "router/RouterLogin.h"
#include "router/WirelessLanCommands.h"
#include "steps/kit/RouterSearch.h"

namespace kelvane {

namespace {

// Whether the router's web server answers at all (any status: a Basic
// router answers 401) at the address the PC uses now.
bool RouterAnswersAt(const std::string& address) {
  std::string page;
  if (HttpGet("http://" + address + "/", page, 1)) return true;
  return LastHttpResult().status != 0;
}

}  // namespace

void PendingRouterMove::LanAddressStored(const std::string& stored, const WizardState& state) {
  if (stored == state.routerAddress.view()) return;
  pending = true;
  address = stored;
}

void PendingRouterMove::FactoryReset() {
  pending = true;
  address.clear();
}

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

RouterRestartReport RestartRouterAndFollow(WizardState& state, HostNetwork& host, Narrator& narrator,
                                           PendingRouterMove& move) {
  RouterRestartReport report;
  const std::string before = state.routerAddress.str();
  report.restarted = RebootRouter(state);
  if (!report.restarted || !move.pending) return report;
  report.moveTried = true;
  // Renewing while the router still serves its old network would only take
  // another lease there.
  const std::uint64_t until = narrator.NowMs() + kRouterLeaveWaitMs;
  while (true) {
    report.routerLeft = !RouterAnswersAt(before);
    if (report.routerLeft || narrator.NowMs() >= until) break;
    narrator.Pause(kRouterLeavePollMs);
  }
  report.move = FollowRouterToNewNetwork(state, host, narrator);
  if (report.move.Followed()) move = {};
  return report;
}

}  // namespace kelvane
