#include "steps/easy/WanTestStep.h"

#include "steps/kit/RouterPing.h"
#include "router/StatusReaders.h"
#include "steps/kit/TestRecord.h"

namespace kelvane {

namespace {

bool PingRouter(WanTestContext& c) { return c.host.PingHost(RouterPingTarget(c.state), kHopPingAttempts); }

bool WanLinkUp(WanTestContext& c) {
  std::uint8_t link = 0;
  return ReadWanLinkStatus(link, c.state) && link != 0;
}

// Only there to make a connect-on-demand WAN dial: its answer decides no
// hop, though it shows later that traffic passes the gateway.
bool WakeWan(WanTestContext& c) {
  c.wakeAnswered = c.host.PingHost(c.targets.publicHost, kWakeEchoAttempts);
  return c.wakeAnswered;
}

// A dial-up takes a few seconds: read again while the router answers without
// addresses; a read that fails ends the step at once.
bool WanAddresses(WanTestContext& c) {
  for (int read = 0; read < kWanAddressReads; ++read) {
    if (read > 0) c.narrator.Pause(kWanAddressReadPauseMs);
    ++c.addressReads;
    std::uint8_t up = 0;
    std::string gateway;
    std::string dns;
    std::string address;
    if (!ReadWanAddresses(up, gateway, dns, c.state, &address)) return false;
    if (up != 0) {
      c.wanUp = up;
      c.wanAddress = address;
      c.gateway = gateway;
      c.dns = dns;
      return true;
    }
  }
  return false;
}

// An address the router reported, which a host may stand behind and ignore
// echo; an empty or zero one names no host, so nothing can stand in for it.
bool Reported(const std::string& address) { return !address.empty() && address != "0.0.0.0"; }

// The test site's address through the PC's resolver, looked up at most once.
bool SiteAddress(WanTestContext& c) {
  if (!c.siteLookedUp) {
    c.siteLookedUp = true;
    if (!c.host.ResolveHostName(c.targets.testSite, c.siteAddress)) c.siteAddress.clear();
  }
  return !c.siteAddress.empty();
}

// The DNS server answers echo, or else a name resolves (a dotted test site
// resolves without any server, so it proves nothing). Judged once: the
// gateway hop may ask first.
bool DnsWorks(WanTestContext& c) {
  if (c.dnsJudged) return c.dnsWorks;
  c.dnsJudged = true;
  c.dnsWorks = c.host.PingHost(c.dns, kHopPingAttempts);
  if (!c.dnsWorks && Reported(c.dns) && !IsDottedIpv4(c.targets.testSite) && SiteAddress(c)) {
    c.dnsWorks = true;
    c.dnsIgnoresEcho = true;
  }
  return c.dnsWorks;
}

// A public host beyond the gateway answered: the wake-up echo's target, or
// the test site now.
bool PublicHostAnswers(WanTestContext& c) {
  return c.wakeAnswered || (SiteAddress(c) && c.host.PingHost(c.siteAddress, kHopPingAttempts));
}

// A gateway that ignores echo still passes when the DNS server works and a
// public host answers through it.
bool GatewayWorks(WanTestContext& c) {
  if (c.host.PingHost(c.gateway, kHopPingAttempts)) return true;
  if (!Reported(c.gateway) || !DnsWorks(c) || !PublicHostAnswers(c)) return false;
  c.gatewayIgnoresEcho = true;
  return true;
}

enum Row { kRowRouter, kRowWanLink, kRowWake, kRowAddresses, kRowGateway, kRowDns };

constexpr Hop<WanTestContext> kRows[] = {
    {kIdWanTestCheckingPcRouter, kIdWanTestPcRouterFailed, HopPolicy::kStopOnFailure, &PingRouter},
    {kIdWanTestCheckingWanLink, kIdWanTestWanLinkFailed, HopPolicy::kStopOnFailure, &WanLinkUp},
    {kIdWanTestObtainingService, 0, HopPolicy::kIgnoreOutcome, &WakeWan},
    {kIdWanTestCheckingServiceContent, kIdWanTestServiceContentFailed, HopPolicy::kStopOnFailure, &WanAddresses},
    {kIdWanTestCheckingGateway, kIdWanTestGatewayFailed, HopPolicy::kStopOnFailure, &GatewayWorks},
    {kIdWanTestCheckingDns, kIdWanTestDnsFailed, HopPolicy::kStopOnFailure, &DnsWorks},
};

}  // namespace

std::span<const Hop<WanTestContext>> WanTestStep::Rows() { return kRows; }

WanTestOutcome WanTestStep::OutcomeOfRow(int row) {
  switch (row) {
    case kRowRouter: return WanTestOutcome::kPcRouterFailed;
    case kRowWanLink: return WanTestOutcome::kWanLinkDown;
    case kRowAddresses: return WanTestOutcome::kNoWanService;
    case kRowGateway: return WanTestOutcome::kGatewayFailed;
    case kRowDns: return WanTestOutcome::kDnsFailed;
    default: return WanTestOutcome::kPassed;
  }
}

WanTestOutcome WanTestStep::Run(WizardState& state, HostNetwork& host, Narrator& narrator,
                                const InternetTargets& targets) {
  WanTestContext context{state, host, narrator, targets};
  const HopReport report = RunHops<WanTestContext>(narrator, context, Rows());
  gateway_ = context.gateway;
  dns_ = context.dns;
  addressReads_ = context.addressReads;
  // One note, naming both hosts when both ignore echo: the finish page
  // has room for one line beside its other texts.
  notes_.clear();
  if (report.passed && (context.gatewayIgnoresEcho || context.dnsIgnoresEcho)) {
    notes_.push_back(!context.dnsIgnoresEcho      ? kIdWanTestGatewayIgnoresEcho
                     : !context.gatewayIgnoresEcho ? kIdWanTestDnsIgnoresEcho
                                                   : kIdWanTestBothIgnoreEcho);
  }
  RecordTest<WanTestContext>(kIdWanTestTitle, Rows(), report, 0);
  // The WAN address decides the note about the provider's translation.
  SessionRecord::Instance().wanAddress = report.passed ? context.wanAddress : std::string();
  SessionRecord::Instance().wanTestNotes = notes_;
  if (report.passed) {
    for (StringId note : notes_) {
      narrator.AppendText("\n\n");
      narrator.Append(note);
    }
    return WanTestOutcome::kPassed;
  }
  // The failure text stays; the advice follows after an empty line.
  narrator.AppendText("\n\n");
  narrator.Append(kIdWanTestFailureAdvice);
  return OutcomeOfRow(report.stoppedAt);
}

}  // namespace kelvane
