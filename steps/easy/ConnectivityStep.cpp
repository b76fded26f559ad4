#include "steps/easy/ConnectivityStep.h"

#include <span>

#include "steps/kit/Reachability.h"
#include "steps/kit/RouterSearch.h"
#include "steps/kit/WanForms.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"

namespace kelvane {

ConnectivityOutcome ConnectivityStep::End(ConnectivityOutcome outcome) {
  const StringId message = MessageFor<ConnectivityOutcome>(kConnectivityMessages, outcome);
  if (message != 0) narrator_.Say(message);
  // The offer is read before the user decides: it gets the narration pause.
  if (outcome == ConnectivityOutcome::kDhcpOffer) narrator_.Pause(kNarrationPauseMs);
  return outcome;
}

ConnectivityOutcome ConnectivityStep::Login(std::string_view boxWord) {
  // After the switch the PC takes its address from the router's DHCP
  // service, and the router was found before: only the login half runs.
  loginOnly_ = true;
  pcDhcp_ = true;
  const ConnectivityOutcome outcome = Run(boxWord);
  loginOnly_ = false;
  return outcome;
}

std::optional<ConnectivityOutcome> ConnectivityStep::NotRefused() {
  if (LastLoginUnanswered()) return ConnectivityOutcome::kRouterSilent;
  const RouterFailureKind kind = LastRouterFailure().kind;
  // A probe of a form-login router fails without a refusal: the login decides.
  if (LastLoginRefused() || kind == RouterFailureKind::kNone) return std::nullopt;
  return ConnectivityOutcome::kRouterError;
}

ConnectivityOutcome ConnectivityStep::Run(std::string_view boxWord) {
  if (!loginOnly_) {
    // The PC.
    narrator_.SayAndPause(kIdCheckingPcNetwork);
    pcDhcp_ = false;
    if (!host_.FindLocalAddress(kPcAddressAttempts, pcDhcp_, state_)) return End(ConnectivityOutcome::kNoPcAddress);

    // The router.
    narrator_.SayAndPause(kIdConnectingToRouter);
    if (!FindRouter(state_)) return End(ConnectivityOutcome::kNoRouter);
  }

  if (PcReachesRouter(pcDhcp_, state_.pcAddress, state_.pcGateway, state_.routerAddressValue)) {
    // Credentials the router did not take are replaced by the defaults of
    // the login method it asks for. A router that did not answer, or answered
    // with an error, refused nothing: the credentials stay and the user is
    // told to try again instead of being asked for the word.
    std::uint8_t basic = 0;
    if (!ProbeLoginMethod(state_, basic)) {
      if (const auto silent = NotRefused()) return End(*silent);
      if (basic) {
        SetLoginUser(kDefaultLoginWord, state_);
        SetLoginPassword("", state_);
      } else {
        SetLoginPassword(kDefaultLoginWord, state_);
      }
    }
    narrator_.SayAndPause(kIdCheckingRouterState);
    if (LoginToRouter(state_)) return End(ConnectivityOutcome::kPassed);
    if (const auto silent = NotRefused()) return End(*silent);
    StoreLoginWord(boxWord, state_);
    if (LoginToRouter(state_)) return End(ConnectivityOutcome::kPassed);
    if (const auto silent = NotRefused()) return End(*silent);
    return End(ConnectivityOutcome::kLoginPrompt);
  }

  // The PC cannot reach the router: is the router's DHCP service there?
  narrator_.SayAndPause(kIdCheckingRouterDhcp);
  bool answered = false;
  if (!ProbeDhcpService(answered)) return End(ConnectivityOutcome::kProbeNotSent);
  return End(answered ? ConnectivityOutcome::kDhcpOffer : ConnectivityOutcome::kNoDhcpServer);
}

DhcpSwitchOutcome ConnectivityStep::SwitchToDhcp() {
  DhcpSwitchOutcome outcome = DhcpSwitchOutcome::kSwitched;
  if (!host_.SwitchAdapterToDhcp(state_.pcAdapterName)) {
    outcome = DhcpSwitchOutcome::kSwitchFailed;
  } else {
    bool dhcp = false;
    if (!host_.FindLocalAddress(kPcAddressAttempts, dhcp, state_)) outcome = DhcpSwitchOutcome::kNoAddress;
  }
  const StringId message = MessageFor<DhcpSwitchOutcome>(kDhcpSwitchMessages, outcome);
  if (message != 0) narrator_.Say(message);
  return outcome;
}

std::string ConnectivityStep::TakeTypedWord(std::string_view typed, WizardState& state) {
  std::string word(StripBlanks(typed));
  StoreLoginWord(word, state);
  return word;
}

}  // namespace kelvane
