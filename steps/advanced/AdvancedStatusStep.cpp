#include "steps/advanced/AdvancedStatusStep.h"

#include "steps/kit/HopRunner.h"
#include "steps/kit/Reachability.h"
#include "steps/kit/RouterSearch.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "router/StatusReaders.h"

namespace kelvane {

const AdvancedStatusRow& StatusRowFor(AdvancedStatusOutcome outcome) {
  for (const AdvancedStatusRow& row : kAdvancedStatusTable) {
    if (row.outcome == outcome) return row;
  }
  return kAdvancedStatusTable.front();
}

namespace {

struct StatusContext {
  WizardState& state;
  HostNetwork& host;
  const AdvancedStatusStep::AskLoginWord& ask;
  const std::string& publicDns;
  bool& basicAuth;
  bool& loggedIn;
  AdvancedStatusResult& result;
  bool dhcp = false;
  bool reachesRouter = false;
  std::uint8_t wanUp = 0;
  // Set when a stage stops with another verdict than its row's.
  AdvancedStatusOutcome verdict = AdvancedStatusOutcome::kPassed;
};

bool PcHasAddress(StatusContext& c) {
  c.result.pcOk = c.host.FindLocalAddress(1, c.dhcp, c.state);
  return c.result.pcOk;
}

bool RouterAnswers(StatusContext& c) {
  if (!FindRouter(c.state)) return false;
  c.reachesRouter = PcReachesRouter(c.dhcp, c.state.pcAddress, c.state.pcGateway, c.state.routerAddressValue);
  return true;
}

// Skipped after a login on a Basic router in an earlier check of this visit,
// and for a PC that cannot reach the router (nothing would get there).
bool ProbeWanted(const StatusContext& c) { return c.reachesRouter && !(c.basicAuth && c.loggedIn); }

// After a failed probe or login that the router did not refuse: it did not
// answer, or answered with an error. Asking for the word would blame the
// user for the router; the check stops with that verdict instead.
bool StopsWithoutRefusal(StatusContext& c) {
  if (LastLoginUnanswered()) {
    c.verdict = AdvancedStatusOutcome::kRouterSilent;
    return true;
  }
  if (!LastLoginRefused() && LastRouterFailure().kind != RouterFailureKind::kNone) {
    c.verdict = AdvancedStatusOutcome::kRouterError;
    return true;
  }
  return false;
}

bool AskWord(StatusContext& c) {
  c.result.prompted = true;
  std::string word;
  if (!c.ask || !c.ask(word)) return false;
  StoreLoginWord(word, c.state);
  return true;
}

// The probe (it records the router's login flavour); when the router refuses
// the stored credentials, the user is asked for the login word. A form-login
// router fails the probe without refusing anything: its login decides.
bool ProbeOrAskWord(StatusContext& c) {
  c.result.probed = true;
  std::uint8_t basic = 0;
  const bool usable = ProbeLoginMethod(c.state, basic);
  c.basicAuth = basic != 0;
  if (usable) return true;
  if (StopsWithoutRefusal(c)) return false;
  if (!LastLoginRefused()) return true;
  return AskWord(c);
}

bool PcReaches(StatusContext& c) {
  if (!c.reachesRouter) c.result.pcOk = false;
  return c.reachesRouter;
}

// A refused login asks for the word once per check (unless the probe just
// did) and tries again with it.
bool LogsIn(StatusContext& c) {
  bool ok = LoginToRouter(c.state);
  if (!ok && !StopsWithoutRefusal(c) && !c.result.prompted && c.verdict == AdvancedStatusOutcome::kPassed) {
    if (AskWord(c)) {
      ok = LoginToRouter(c.state);
      if (!ok) StopsWithoutRefusal(c);
    } else {
      c.verdict = AdvancedStatusOutcome::kLoginCancelled;
    }
  }
  c.result.routerOk = ok;
  c.loggedIn = ok;
  return ok;
}

bool WanReadable(StatusContext& c) {
  std::string gateway;
  std::string dns;
  return ReadWanAddresses(c.wanUp, gateway, dns, c.state, &c.result.wanAddress);
}

// A WAN without addresses still gets one ping of the public DNS server: on a
// connect-on-demand line it is what makes the router dial.
bool WanHasAddresses(StatusContext& c) {
  if (c.wanUp != 0) return true;
  c.host.PingHost(c.publicDns, 1);
  return false;
}

bool PublicDnsAnswers(StatusContext& c) {
  c.result.internetOk = c.host.PingHost(c.publicDns, kPublicDnsPingAttempts);
  if (!c.result.internetOk) c.host.PingHost(c.publicDns, 1);
  return c.result.internetOk;
}

// The check, stage by stage; every row stops the check when it fails, with
// the outcome beside it.
constexpr std::array<Hop<StatusContext>, 8> kStatusHops = {{
    {0, 0, HopPolicy::kStopOnFailure, PcHasAddress, nullptr},
    {0, 0, HopPolicy::kStopOnFailure, RouterAnswers, nullptr},
    {0, 0, HopPolicy::kStopOnFailure, ProbeOrAskWord, ProbeWanted},
    {0, 0, HopPolicy::kStopOnFailure, PcReaches, nullptr},
    {0, 0, HopPolicy::kStopOnFailure, LogsIn, nullptr},
    {0, 0, HopPolicy::kStopOnFailure, WanReadable, nullptr},
    {0, 0, HopPolicy::kStopOnFailure, WanHasAddresses, nullptr},
    {0, 0, HopPolicy::kStopOnFailure, PublicDnsAnswers, nullptr},
}};
constexpr std::array<AdvancedStatusOutcome, kStatusHops.size()> kStopOutcomes = {
    AdvancedStatusOutcome::kPcAddressFails,      AdvancedStatusOutcome::kNoRouter,
    AdvancedStatusOutcome::kLoginCancelled,      AdvancedStatusOutcome::kPcCannotReachRouter,
    AdvancedStatusOutcome::kLoginRefused,        AdvancedStatusOutcome::kWanUnreadable,
    AdvancedStatusOutcome::kWanWithoutAddresses, AdvancedStatusOutcome::kPublicDnsSilent,
};

}  // namespace

AdvancedStatusResult AdvancedStatusStep::Run(WizardState& state, HostNetwork& host, Narrator& narrator,
                                             const AskLoginWord& ask, const std::string& publicDns) {
  AdvancedStatusResult result;
  narrator.Pause(kStatusStartPauseMs);
  StatusContext context{state, host, ask, publicDns, basicAuth_, loggedIn_, result};
  const HopReport report = RunHops<StatusContext>(narrator, context, kStatusHops);
  result.outcome = report.stoppedAt < 0 ? AdvancedStatusOutcome::kPassed
                                        : kStopOutcomes[static_cast<std::size_t>(report.stoppedAt)];
  if (report.stoppedAt >= 0 && context.verdict != AdvancedStatusOutcome::kPassed) result.outcome = context.verdict;
  return result;
}

}  // namespace kelvane
