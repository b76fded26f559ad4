#include "steps/advanced/ConnTestStep.h"

#include "steps/kit/TestRecord.h"

#include "router/StatusReaders.h"

namespace kelvane {

namespace {

struct ConnTestContext {
  WizardState& state;
  HostNetwork& host;
  const InternetTargets& targets;
  ConnTestReport& report;
};

// Reads the WAN addresses until the WAN has a gateway and a DNS server. After
// each of the first misses the public host is pinged once, which makes a
// connect-on-demand router dial.
bool WanHasAddresses(ConnTestContext& c) {
  for (int reading = 0; reading < kConnTestWanReadings; ++reading) {
    std::uint8_t up = 0;
    ++c.report.readings;
    if (!ReadWanAddresses(up, c.report.gateway, c.report.dns, c.state)) {
      c.report.outcome = ConnTestOutcome::kRouterControlFailed;
      return false;
    }
    if (up != 0) return true;
    if (reading < kConnTestWakePings) {
      ++c.report.wakePings;
      c.host.PingHost(c.targets.publicHost, 1);
    }
  }
  c.report.outcome = ConnTestOutcome::kWanNoAddress;
  return false;
}

bool GatewayAnswers(ConnTestContext& c) { return c.host.PingHost(c.report.gateway, kConnTestPingAttempts); }
bool DnsServerAnswers(ConnTestContext& c) { return c.host.PingHost(c.report.dns, kConnTestPingAttempts); }
bool SiteAnswers(ConnTestContext& c) {
  if (!c.host.ResolveHostName(c.targets.testSite, c.report.siteAddress)) {
    c.report.siteAddress.clear();
    return false;
  }
  return c.host.PingHost(c.report.siteAddress, kConnTestPingAttempts);
}

constexpr std::array<Hop<ConnTestContext>, 4> kConnTestHops = {{
    {0, 0, HopPolicy::kStopOnFailure, WanHasAddresses, nullptr},
    {kIdTestGatewayLabel, 0, HopPolicy::kRecordAndGoOn, GatewayAnswers, nullptr},
    {kIdTestDnsLabel, 0, HopPolicy::kRecordAndGoOn, DnsServerAnswers, nullptr},
    {kIdTestPublicSiteLabel, 0, HopPolicy::kRecordAndGoOn, SiteAnswers, nullptr},
}};

}  // namespace

ConnTestReport RunConnTest(WizardState& state, HostNetwork& host, Narrator& narrator,
                           const InternetTargets& targets) {
  ConnTestReport report;
  ConnTestContext context{state, host, targets, report};
  report.hops = RunHops<ConnTestContext>(narrator, context, kConnTestHops, kConnTestNarration);
  if (report.hops.stoppedAt < 0) report.outcome = ConnTestOutcome::kTested;
  const StringId result = MessageFor<ConnTestOutcome>(kConnTestResults, report.outcome);
  RecordTest<ConnTestContext>(kIdInternetStatusCaption, kConnTestHops, report.hops, kIdWanTestCheckingServiceContent);
  if (result != 0) SessionRecord::Instance().lastTestResultId = result;
  if (result != 0) narrator.Append(result, NarrationColour::kBad);
  return report;
}

}  // namespace kelvane
