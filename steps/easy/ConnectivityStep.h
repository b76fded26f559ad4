// The connectivity check of the easy mode, without Qt: the PC's address, the
// router search, the login (the default word, then the word the user typed),
// and for a PC that cannot reach the router the router's DHCP service. Every
// outcome's message is in kConnectivityMessages; the step says it itself, the
// page only turns the outcome into widgets (the login prompt, the flags).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "net/host/HostNetwork.h"
#include "steps/kit/Narrator.h"
#include "steps/kit/OutcomeTable.h"
#include "state/WizardState.h"

namespace kelvane {

enum class ConnectivityOutcome {
  kPassed,        // the router is found and logged in to: the wizard moves on
  kNoPcAddress,   // no usable PC address after 10 attempts
  kNoRouter,      // nobody answered the discovery probe
  kLoginPrompt,   // default and typed word refused: ask for the word
  kDhcpOffer,     // PC outside the router's network, a DHCP server answered
  kNoDhcpServer,  // PC outside the router's network, no DHCP server answered
  kProbeNotSent,  // the DHCP probe could not be sent: nothing more is said
  kRouterSilent,  // the router did not answer the login: try again (no prompt)
  kRouterError,   // the router answered the login with an error: try again (no prompt)
};

inline constexpr OutcomeMessage<ConnectivityOutcome> kConnectivityMessages[] = {
    {ConnectivityOutcome::kPassed, 0},
    {ConnectivityOutcome::kNoPcAddress, kIdPcNetworkNotWorking},
    {ConnectivityOutcome::kNoRouter, kIdNoRouterFound},
    {ConnectivityOutcome::kLoginPrompt, kIdRouterLoginFailed},
    {ConnectivityOutcome::kDhcpOffer, kIdSwitchPcToDhcp},
    {ConnectivityOutcome::kNoDhcpServer, kIdRouterDefaultsChanged},
    {ConnectivityOutcome::kProbeNotSent, 0},
    {ConnectivityOutcome::kRouterSilent, kIdRouterDidNotAnswer},
    {ConnectivityOutcome::kRouterError, kIdRouterReportedError},
};

enum class DhcpSwitchOutcome {
  kSwitched,      // the adapter is a DHCP client with an address now
  kSwitchFailed,  // the switch itself failed: the next Next tries again
  kNoAddress,     // switched, but no address came within the wait
};

inline constexpr OutcomeMessage<DhcpSwitchOutcome> kDhcpSwitchMessages[] = {
    {DhcpSwitchOutcome::kSwitched, 0},
    {DhcpSwitchOutcome::kSwitchFailed, kIdEnableDhcpFailed},
    {DhcpSwitchOutcome::kNoAddress, kIdPcNetworkNotWorking},
};

inline constexpr int kPcAddressAttempts = 10;

class ConnectivityStep {
 public:
  ConnectivityStep(WizardState& state, HostNetwork& host, Narrator& narrator)
      : state_(state), host_(host), narrator_(narrator) {}

  // The whole check. `boxWord` is what the login word box holds (empty unless
  // the user typed in it before); it is tried when the stored credentials are
  // refused.
  ConnectivityOutcome Run(std::string_view boxWord);

  // Switches the PC's adapter to DHCP and waits for its address.
  DhcpSwitchOutcome SwitchToDhcp();

  // The login half of the check, run after a DHCP switch at the router
  // address found before: the login method probe, the login with the stored
  // credentials, then with `boxWord`; the PC check and the router search are
  // not repeated. Without it a router that wants a form login or a changed
  // word would be logged in to by nothing, and every later page would fail.
  ConnectivityOutcome Login(std::string_view boxWord);

  // The word typed at the prompt, stripped of blanks at both ends and stored
  // by the credential convention; answers the stripped word (for the box).
  static std::string TakeTypedWord(std::string_view typed, WizardState& state);

  // Whether the last Run saw the PC's DHCP flag set.
  bool PcUsesDhcp() const { return pcDhcp_; }

 private:
  ConnectivityOutcome End(ConnectivityOutcome outcome);
  // After a failed probe or login: the outcome when the router did not refuse
  // (it did not answer, or answered with an error); nothing when it refused.
  static std::optional<ConnectivityOutcome> NotRefused();

  WizardState& state_;
  HostNetwork& host_;
  Narrator& narrator_;
  bool pcDhcp_ = false;
  bool loginOnly_ = false;  // Login(): the PC check and the search are skipped
};

}  // namespace kelvane
