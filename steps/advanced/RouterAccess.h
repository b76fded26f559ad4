// Reaching the router before an action of the router sheet: the PC has an
// address, the router answers the discovery probe, and the login with the
// stored credentials works. When the login is refused the page asks for the
// login word and tries once more with it (RetryLoginWithWord); a router that
// did not answer the login, or answered it with an error, refused nothing,
// and the word is not asked for.
#pragma once

#include "language/StringIds.h"
#include "net/host/HostNetwork.h"
#include "steps/kit/OutcomeTable.h"
#include "state/WizardState.h"

namespace kelvane {

enum class RouterAccessOutcome {
  kReady,
  kNoPcAddress,
  kNoRouter,
  kLoginRefused,  // the router refused the login (the word is worth asking for)
  kRouterSilent,  // the login got no usable answer
  kRouterError,   // the router answered the login with an error (e.g. status 500)
};

// Why the last login failed, as an outcome (after LoginToRouter).
RouterAccessOutcome FailedLoginOutcome();

// PC check (one attempt), router search, login.
RouterAccessOutcome ReachRouter(WizardState& state, HostNetwork& host);

// Stores `word` by the credential convention (the user name for a router that
// asks for Basic credentials, else the password) and logs in again.
bool RetryLoginWithWord(const std::string& word, WizardState& state);

// What a tab's result line says when the router could not be reached or
// logged in to (any outcome but kReady): the PC's network, no router found,
// the login refused, no answer, an error answer.
StringId AccessFailureText(RouterAccessOutcome outcome);

// Why a read of the router's pages failed, judged by its last request: no
// answer (nothing, or a cut answer), the login lost (the router asked for it
// again), an error status, or a page that did not hold what was looked for.
enum class RouterReadFailure { kNoAnswer, kLoginLost, kRouterError, kPageNotUnderstood };
RouterReadFailure LastReadFailure();
// What the result line says about it, and what to do next.
inline constexpr OutcomeMessage<RouterReadFailure> kReadFailureMessages[] = {
    {RouterReadFailure::kNoAnswer, kIdRouterDidNotAnswer},
    {RouterReadFailure::kLoginLost, kIdRouterRefusedLogin},
    {RouterReadFailure::kRouterError, kIdRouterReportedError},
    {RouterReadFailure::kPageNotUnderstood, kIdRouterPageNotUnderstood},
};

}  // namespace kelvane
