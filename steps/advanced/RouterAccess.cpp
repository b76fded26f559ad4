#include "steps/advanced/RouterAccess.h"

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

}  // namespace kelvane
