// The status check of the advanced menu: PC, then router, then Internet,
// each stage judged in turn. What the user reads after a check (the three
// pictures' tooltips and the summary line) depends only on where the check
// stopped, so it is one table, kAdvancedStatusTable, with a row per outcome.
//
// The login is remembered between checks: once a login succeeded on a router
// that asks for Basic credentials, a later check logs in directly without
// probing (and without asking for the word again). Leaving the menu and
// coming back forgets it (OnActivation).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "language/StringIds.h"
#include "net/host/HostNetwork.h"
#include "steps/kit/Narrator.h"
#include "state/WizardState.h"

namespace kelvane {

enum class AdvancedStatusOutcome {
  kPassed,               // every stage passed, through the ping of the public DNS server
  kPcAddressFails,       // the PC has no usable address
  kNoRouter,             // no router answered the discovery probe
  kPcCannotReachRouter,  // fixed address outside the router's /24 network, or another gateway
  kLoginCancelled,       // the login prompt was cancelled: no login was made
  kLoginRefused,         // the router refused the login
  kWanUnreadable,        // the WAN status page could not be read
  kWanWithoutAddresses,  // the WAN has no gateway or no DNS server
  kPublicDnsSilent,      // the public DNS server did not answer ping
  kRouterSilent,         // the router did not answer the login (no word is asked for)
  kRouterError,          // the router answered the login with an error (no word is asked for)
};

// What the menu shows after a check that ended in `outcome`. The summary is
// red except for kPassed (green); with `summaryNamesPc` it reads
// "<30291>: <summary>".
struct AdvancedStatusRow {
  AdvancedStatusOutcome outcome;
  StringId pcTooltip;
  StringId routerTooltip;
  StringId internetTooltip;
  bool summaryNamesPc;
  StringId summary;
};

// The tooltips before a check has judged anything (the PC tooltip is empty).
inline constexpr StringId kStatusResetPcTooltip = 0;
inline constexpr StringId kStatusResetRouterTooltip = kIdStateUnknown;
inline constexpr StringId kStatusResetInternetTooltip = kIdInternetStateUnknown;

inline constexpr std::array<AdvancedStatusRow, 11> kAdvancedStatusTable = {{
    {AdvancedStatusOutcome::kPcAddressFails, kIdPcAddressNotWorking, kIdStateUnknown, kIdInternetStateUnknown, true,
     kIdPcAddressNotWorking},
    {AdvancedStatusOutcome::kNoRouter, kIdPcNetworkWorks, kIdRouterNotFound, kIdInternetStateUnknown, false,
     kIdRouterNotFound},
    {AdvancedStatusOutcome::kPcCannotReachRouter, kIdPcAddressCannotReachRouter, kIdStateUnknown,
     kIdInternetStateUnknown, true, kIdPcAddressCannotReachRouter},
    // No login was made: the router keeps its "not determined" tooltip.
    {AdvancedStatusOutcome::kLoginCancelled, kIdPcNetworkWorks, kIdStateUnknown, kIdInternetStateUnknown, false,
     kIdLoginNotDone},
    {AdvancedStatusOutcome::kLoginRefused, kIdPcNetworkWorks, kIdRouterCannotLogIn, kIdInternetStateUnknown, false,
     kIdRouterCannotLogIn},
    {AdvancedStatusOutcome::kRouterSilent, kIdPcNetworkWorks, kIdRouterDidNotAnswer, kIdInternetStateUnknown, false,
     kIdRouterDidNotAnswer},
    {AdvancedStatusOutcome::kRouterError, kIdPcNetworkWorks, kIdRouterReportedError, kIdInternetStateUnknown, false,
     kIdRouterReportedError},
    {AdvancedStatusOutcome::kWanUnreadable, kIdPcNetworkWorks, kIdRouterControlFailed, kIdInternetStateUnknown,
     false, kIdRouterControlFailed},
    {AdvancedStatusOutcome::kWanWithoutAddresses, kIdPcNetworkWorks, kIdNoInternetService, kIdInternetServiceFailed,
     false, kIdInternetServiceFailed},
    {AdvancedStatusOutcome::kPublicDnsSilent, kIdPcNetworkWorks, kIdNoInternetService, kIdInternetServiceFailed,
     false, kIdInternetServiceFailed},
    {AdvancedStatusOutcome::kPassed, kIdPcNetworkWorks, kIdRouterWorks, kIdInternetServiceWorks, false,
     kIdInternetServiceWorks},
}};

// The row of `outcome` (every outcome has one).
const AdvancedStatusRow& StatusRowFor(AdvancedStatusOutcome outcome);

struct AdvancedStatusResult {
  AdvancedStatusOutcome outcome = AdvancedStatusOutcome::kPcAddressFails;
  bool pcOk = false;        // the PC stage passed (and the PC reaches the router, once that was looked at)
  bool routerOk = false;    // the router was found and the login succeeded
  bool internetOk = false;  // the WAN has a gateway and a DNS server, and the public DNS server answered
  bool probed = false;      // the login probe ran in this check
  bool prompted = false;    // the login word was asked for in this check
  std::string wanAddress;   // the router's WAN address, when its status page tells it
  const AdvancedStatusRow& Row() const { return StatusRowFor(outcome); }
};

// Pause between resetting the verdicts and the first network operation.
inline constexpr int kStatusStartPauseMs = 300;
inline constexpr int kPublicDnsPingAttempts = 3;

class AdvancedStatusStep {
 public:
  // Asks the user for the router's login word; false when cancelled.
  using AskLoginWord = std::function<bool(std::string& word)>;

  // The menu became active: the login of an earlier visit no longer counts.
  void OnActivation() {
    basicAuth_ = false;
    loggedIn_ = false;
  }

  // Runs the whole check; `publicDns` is the dotted address of the public DNS
  // server that is pinged to judge the Internet service.
  AdvancedStatusResult Run(WizardState& state, HostNetwork& host, Narrator& narrator, const AskLoginWord& ask,
                           const std::string& publicDns);

  // The probe last met a router asking for Basic credentials.
  bool BasicAuth() const { return basicAuth_; }
  // A login succeeded since the menu last became active.
  bool LoggedIn() const { return loggedIn_; }

 private:
  bool basicAuth_ = false;
  bool loggedIn_ = false;
};

}  // namespace kelvane
