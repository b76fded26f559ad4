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

// The factory word, stored as the router's login takes it; the credentials
// held before come back when the router refuses it too.
bool LogInWithFactoryWord(WizardState& state) {
  const std::string user = state.loginUser.str();
  const std::string password = state.loginPassword.str();
  StoreLoginWord(kDefaultLoginWord, state);
  if (state.loginUser.str() == user && state.loginPassword.str() == password) return false;  // nothing new to try
  if (LoginToRouter(state)) return true;
  SetLoginUser(user, state);
  SetLoginPassword(password, state);
  return false;
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

RouterMoveReport FollowRouterToNewNetwork(WizardState& state, HostNetwork& host, Narrator& narrator,
                                          bool factoryReset) {
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
  // A reset router no longer knows a word the user gave it: without the
  // factory word the user would be shut out of it.
  if (!report.loggedIn && factoryReset && LastLoginRefused()) {
    report.factoryWord = report.loggedIn = LogInWithFactoryWord(state);
  }
  return report;
}

StringId MoveFailureText(const RouterMoveReport& report) {
  if (!report.renewed || !report.pcAddress) return kIdPcNetworkNotWorking;
  if (!report.routerFound) return kIdNoRouterFound;
  return kIdRouterRefusedLogin;
}

RouterRestartReport RestartRouterAndFollow(WizardState& state, HostNetwork& host, Narrator& narrator,
                                           PendingRouterMove& move) {
  RouterRestartReport report;
  const std::string before = state.routerAddress.str();
  report.restarted = RebootRouter(state);
  if (!report.restarted) return report;
  // A real router serves its old network for a moment after it answered the
  // command: renewing then would only take another lease there, and a router
  // seen answering then has not restarted yet.
  const std::uint64_t leaveBy = narrator.NowMs() + kRouterLeaveWaitMs;
  while (true) {
    report.routerLeft = !RouterAnswersAt(before);
    if (report.routerLeft || narrator.NowMs() >= leaveBy) break;
    narrator.Pause(kRouterLeavePollMs);
  }
  if (move.pending) {
    report.moveTried = true;
    report.move = FollowRouterToNewNetwork(state, host, narrator, move.IsFactoryReset());
    if (report.move.Followed()) move = {};
    return report;
  }
  // Still answering after the bound: the command was thrown away.
  if (!report.routerLeft) return report;
  const std::uint64_t backBy = narrator.NowMs() + kRouterBackWaitMs;
  while (!report.routerBack) {
    narrator.Pause(kRouterLeavePollMs);
    report.routerBack = RouterAnswersAt(before);
    if (narrator.NowMs() >= backBy) break;
  }
  return report;
}

}  // namespace kelvane
