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

// Only there to make a connect-on-demand WAN dial: its answer means nothing.
bool WakeWan(WanTestContext& c) { return c.host.PingHost(c.publicHost, kWakeEchoAttempts); }

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

bool PingGateway(WanTestContext& c) { return c.host.PingHost(c.gateway, kHopPingAttempts); }
bool PingDns(WanTestContext& c) { return c.host.PingHost(c.dns, kHopPingAttempts); }

enum Row { kRowRouter, kRowWanLink, kRowWake, kRowAddresses, kRowGateway, kRowDns };

constexpr Hop<WanTestContext> kRows[] = {
    {kIdWanTestCheckingPcRouter, kIdWanTestPcRouterFailed, HopPolicy::kStopOnFailure, &PingRouter},
    {kIdWanTestCheckingWanLink, kIdWanTestWanLinkFailed, HopPolicy::kStopOnFailure, &WanLinkUp},
    {kIdWanTestObtainingService, 0, HopPolicy::kIgnoreOutcome, &WakeWan},
    {kIdWanTestCheckingServiceContent, kIdWanTestServiceContentFailed, HopPolicy::kStopOnFailure, &WanAddresses},
    {kIdWanTestCheckingGateway, kIdWanTestGatewayFailed, HopPolicy::kStopOnFailure, &PingGateway},
    {kIdWanTestCheckingDns, kIdWanTestDnsFailed, HopPolicy::kStopOnFailure, &PingDns},
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
                                const std::string& publicHost) {
  WanTestContext context{state, host, narrator, publicHost, 0, {}, {}, {}, 0};
  const HopReport report = RunHops<WanTestContext>(narrator, context, Rows());
  gateway_ = context.gateway;
  dns_ = context.dns;
  addressReads_ = context.addressReads;
  RecordTest<WanTestContext>(kIdWanTestTitle, Rows(), report, 0);
  // The WAN address decides the note about the provider's translation.
  SessionRecord::Instance().wanAddress = report.passed ? context.wanAddress : std::string();
  if (report.passed) return WanTestOutcome::kPassed;
  // The failure text stays; the advice follows after an empty line.
  narrator.AppendText("\n\n");
  narrator.Append(kIdWanTestFailureAdvice);
  return OutcomeOfRow(report.stoppedAt);
}

}  // namespace kelvane
