#include "steps/advanced/RouterAccess.h"

#include "net/HttpClient.h"
#include "steps/kit/RouterSearch.h"
#include "router/RouterLogin.h"

namespace kelvane {

RouterAccessOutcome ReachRouter(WizardState& state, HostNetwork& host) {
  bool dhcp = false;
  if (!host.FindLocalAddress(1, dhcp, state)) return RouterAccessOutcome::kNoPcAddress;
  if (!FindRouter(state)) return RouterAccessOutcome::kNoRouter;
  if (!LoginToRouter(state)) return FailedLoginOutcome();
  return RouterAccessOutcome::kReady;
}

RouterAccessOutcome FailedLoginOutcome() {
  if (LastLoginUnanswered()) return RouterAccessOutcome::kRouterSilent;
  if (LastLoginRefused()) return RouterAccessOutcome::kLoginRefused;
  return RouterAccessOutcome::kRouterError;
}

bool RetryLoginWithWord(const std::string& word, WizardState& state) {
  StoreLoginWord(word, state);
  return LoginToRouter(state);
}

StringId AccessFailureText(RouterAccessOutcome outcome) {
  switch (outcome) {
    case RouterAccessOutcome::kNoPcAddress: return kIdPcNetworkNotWorking;
    case RouterAccessOutcome::kNoRouter: return kIdNoRouterFound;
    case RouterAccessOutcome::kLoginRefused: return kIdRouterRefusedLogin;
    case RouterAccessOutcome::kRouterSilent: return kIdRouterDidNotAnswer;
    case RouterAccessOutcome::kRouterError: return kIdRouterReportedError;
    case RouterAccessOutcome::kReady: break;
  }
  return kIdError;
}

RouterReadFailure LastReadFailure() {
  const HttpResult& last = LastHttpResult();
  if (last.failure != HttpFailure::kNone || last.status == 0 || last.cut) return RouterReadFailure::kNoAnswer;
  if (last.loginFalse || last.status == 401) return RouterReadFailure::kLoginLost;
  if (last.status != 200) return RouterReadFailure::kRouterError;
  return RouterReadFailure::kPageNotUnderstood;
}

}  // namespace kelvane
