// The WAN detection of the easy mode, without Qt: what the router sees on
// its WAN port first, then the PC's dial-up accounts, decide the proposed WAN
// type (state.wanType). Every outcome's message is in kWanDetectionMessages.
//
// Order of preference: with the WAN connected the router's finding wins
// (dynamic IP, PPPoE); when it found nothing, the PC's PPTP account, then its
// L2TP account, else PPPoE. With the WAN not connected the PC's accounts
// decide, PPPoE before PPTP before L2TP; with none there is no proposal.
#pragma once

#include "net/host/HostNetwork.h"
#include "steps/kit/Narrator.h"
#include "steps/kit/OutcomeTable.h"
#include "state/WizardState.h"

namespace kelvane {

enum class WanDetectionOutcome {
  kDynamicIpOnWan,     // the router's WAN offers dynamic IP
  kPppoeOnWan,         // the router's WAN offers PPPoE
  kPptpAccount,        // the PC holds a PPTP account
  kL2tpAccount,        // the PC holds an L2TP account
  kNothingFound,       // WAN up, nothing found, no VPN account: PPPoE
  kPppoeAccount,       // WAN down, the PC holds a PPPoE account
  kStatusUnreadable,   // the router's WAN status could not be read
  kNotConnected,       // WAN down and no account on the PC
};

inline constexpr OutcomeMessage<WanDetectionOutcome> kWanDetectionMessages[] = {
    {WanDetectionOutcome::kDynamicIpOnWan, kIdDetectedDynamicIp},
    {WanDetectionOutcome::kPppoeOnWan, kIdDetectedPppoe},
    {WanDetectionOutcome::kPptpAccount, kIdPcHasPptpAccount},
    {WanDetectionOutcome::kL2tpAccount, kIdPcHasL2tpAccount},
    {WanDetectionOutcome::kNothingFound, kIdNothingDetectedUsePppoe},
    {WanDetectionOutcome::kPppoeAccount, kIdPcHasPppoeAccount},
    {WanDetectionOutcome::kStatusUnreadable, kIdWanDetectRouterControlFailed},
    {WanDetectionOutcome::kNotConnected, kIdWanNotConnected},
};

// Whether the outcome stands as a proposal (the next Next routes by wanType).
constexpr bool IsProposal(WanDetectionOutcome outcome) {
  return outcome != WanDetectionOutcome::kStatusUnreadable && outcome != WanDetectionOutcome::kNotConnected;
}

class WanDetectionStep {
 public:
  WanDetectionStep(WizardState& state, HostNetwork& host, Narrator& narrator)
      : state_(state), host_(host), narrator_(narrator) {}

  // Sets state.wanType to the proposal (3, PPPoE, when there is none) and
  // copies the PC's account of the proposed kind into its settings record.
  WanDetectionOutcome Run();

 private:
  WanDetectionOutcome End(WanDetectionOutcome outcome);

  WizardState& state_;
  HostNetwork& host_;
  Narrator& narrator_;
};

}  // namespace kelvane
