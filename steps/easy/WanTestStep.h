// The Internet service tested from the PC outwards, one hop at a time: the
// PC-to-router link, the router's WAN link, a wake-up echo toward a public
// host (so that a connect-on-demand WAN dials), the WAN addresses the provider
// handed out, the provider's gateway and the DNS server. The first hop that
// fails names the place of the fault; nothing is changed anywhere.
//
// Many providers' gateways and DNS servers drop echo requests. A silent DNS
// server still passes when the test site's name resolves; a silent gateway
// still passes when the DNS hop passes and a public host beyond it answers
// (the wake-up echo's target or the test site). Such a pass carries a note,
// kept for the finish page, instead of a failure that would send the user to
// change correct settings.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "net/host/HostNetwork.h"
#include "steps/kit/HopRunner.h"
#include "steps/kit/OutcomeTable.h"
#include "state/InternetTargets.h"
#include "state/WizardState.h"

namespace kelvane {

enum class WanTestOutcome {
  kPassed,
  kPcRouterFailed,  // the router does not answer the PC's echo
  kWanLinkDown,     // the WAN status cannot be read or the link is down
  kNoWanService,    // no WAN addresses after every read
  kGatewayFailed,   // the provider's gateway does not answer
  kDnsFailed,       // the DNS server does not answer
};

inline constexpr OutcomeMessage<WanTestOutcome> kWanTestMessages[] = {
    {WanTestOutcome::kPassed, 0},
    {WanTestOutcome::kPcRouterFailed, kIdWanTestPcRouterFailed},
    {WanTestOutcome::kWanLinkDown, kIdWanTestWanLinkFailed},
    {WanTestOutcome::kNoWanService, kIdWanTestServiceContentFailed},
    {WanTestOutcome::kGatewayFailed, kIdWanTestGatewayFailed},
    {WanTestOutcome::kDnsFailed, kIdWanTestDnsFailed},
};

inline constexpr int kWanAddressReads = 20;
inline constexpr int kWanAddressReadPauseMs = 500;
inline constexpr int kWakeEchoAttempts = 2;
inline constexpr int kHopPingAttempts = 4;

struct WanTestContext {
  WizardState& state;
  HostNetwork& host;
  Narrator& narrator;
  const InternetTargets& targets;  // the wake-up echo's target and the test site
  // What the address reads found (held only during the test).
  std::uint8_t wanUp = 0;
  std::string gateway{};
  std::string dns{};
  std::string wanAddress{};  // the router's own WAN address, when the page tells it
  int addressReads = 0;
  bool wakeAnswered = false;  // the public host answered the wake-up echo
  // The DNS server's verdict, judged once (the gateway hop may need it first).
  bool dnsJudged = false;
  bool dnsWorks = false;
  // The test site's address through the PC's resolver, looked up once.
  bool siteLookedUp = false;
  std::string siteAddress{};
  // Hops that passed although they do not answer echo.
  bool gatewayIgnoresEcho = false;
  bool dnsIgnoresEcho = false;
};

class WanTestStep {
 public:
  static std::span<const Hop<WanTestContext>> Rows();
  static WanTestOutcome OutcomeOfRow(int row);

  // Runs the whole test; `targets` names the address the wake-up echo goes
  // to and the test site (InternetTargets::Instance() in the wizard). On a
  // failure the failure text stays and an empty line and the advice text are
  // added. A pass with hops that ignore echo adds, after an empty line, the
  // note that names them, and keeps it in the session record.
  WanTestOutcome Run(WizardState& state, HostNetwork& host, Narrator& narrator, const InternetTargets& targets);

  // What the last run saw of the WAN addresses.
  const std::string& Gateway() const { return gateway_; }
  const std::string& Dns() const { return dns_; }
  int AddressReads() const { return addressReads_; }
  // The notes of the last run (empty unless it passed with silent hops).
  const std::vector<StringId>& Notes() const { return notes_; }

 private:
  std::string gateway_;
  std::string dns_;
  int addressReads_ = 0;
  std::vector<StringId> notes_;
};

}  // namespace kelvane
