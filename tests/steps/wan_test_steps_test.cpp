// The WAN test against the emulator in this process: where each hop's fault
// stops the test, what it says, and what is sent on the way.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "state/SessionRecord.h"
#include "steps/easy/WanTestStep.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;

constexpr const char* kPublicHost = "203.0.113.80";
constexpr const char* kGateway = "198.51.100.1";
constexpr const char* kDns = "198.51.100.53";
constexpr const char* kSite = "www.kelvane.test";
constexpr const char* kSiteAddress = "203.0.113.81";
const InternetTargets kTargets{kPublicHost, "203.0.113.53", kSite};

// A PC whose echo toward the public host goes through the emulated router,
// as a dial-on-demand router notices it on its LAN side.
class WakingPc : public SimHostNetwork {
 public:
  explicit WakingPc(routersim::RouterSim& sim) : sim_(sim) {}
  bool PingHost(const std::string& target, int attempts, PingError* error) override {
    if (target == kPublicHost) sim_.NotePublicHostPinged();
    return SimHostNetwork::PingHost(target, attempts, error);
  }

 private:
  routersim::RouterSim& sim_;
};

// The targets the PC pinged, each with its attempt count ("203.0.113.80 2").
std::vector<std::string> Pinged(const SimHostNetwork& pc) {
  std::vector<std::string> out;
  for (const auto& call : pc.calls) {
    if (call.operation == "PingHost") out.push_back(call.argument);
  }
  return out;
}

int CountRequests(const std::vector<std::string>& requests, const std::string& part) {
  int n = 0;
  for (const std::string& line : requests) n += line.find(part) != std::string::npos ? 1 : 0;
  return n;
}

struct WanCase {
  const char* name;
  std::function<void(RouterSimState&, SimHostNetwork&)> setUp;
  WanTestOutcome outcome;
  std::vector<std::string> pinged;  // what the PC pinged, in order
  int addressReads;                 // reads of the WAN addresses page
  int lookups;                      // look-ups of the test site
  std::vector<StringId> notes;      // the notes of a pass, in order
};

const std::string kRouter = "127.0.0.1 4";
const std::string kWake = std::string(kPublicHost) + " 2";
const std::string kGw = std::string(kGateway) + " 4";
const std::string kDnsPing = std::string(kDns) + " 4";
const std::string kSitePing = std::string(kSiteAddress) + " 4";

void Silent(SimHostNetwork& pc, const char* address) { pc.pings[address] = {{PingError::kTimedOut}, 0}; }

const WanCase kCases[] = {
    {"AllHopsPass", [](RouterSimState&, SimHostNetwork&) {}, WanTestOutcome::kPassed,
     {kRouter, kWake, kGw, kDnsPing}, 1, 0, {}},
    {"RouterSilent", [](RouterSimState&, SimHostNetwork& pc) { Silent(pc, "127.0.0.1"); },
     WanTestOutcome::kPcRouterFailed, {kRouter}, 0, 0, {}},
    // The status page reads but the link is down: no public echo is sent.
    {"WanLinkDown", [](RouterSimState& s, SimHostNetwork&) { s.wanCable = false; }, WanTestOutcome::kWanLinkDown,
     {kRouter}, 0, 0, {}},
    {"NoServiceAfterTwentyReads",
     [](RouterSimState& s, SimHostNetwork&) { s.service = routersim::WanService::kNone; },
     WanTestOutcome::kNoWanService, {kRouter, kWake}, 20, 0, {}},
    // Silent, and nothing beyond it answers: neither the wake-up's target
    // nor the test site, whose name does not resolve.
    {"GatewaySilent",
     [](RouterSimState&, SimHostNetwork& pc) {
       Silent(pc, kGateway);
       Silent(pc, kPublicHost);
     },
     WanTestOutcome::kGatewayFailed, {kRouter, kWake, kGw, kDnsPing}, 1, 1, {}},
    // Many providers' gateways drop echo: the DNS server and the wake-up's
    // target answered through it.
    {"GatewayIgnoresEchoesButForwards", [](RouterSimState&, SimHostNetwork& pc) { Silent(pc, kGateway); },
     WanTestOutcome::kPassed, {kRouter, kWake, kGw, kDnsPing}, 1, 0, {kIdWanTestGatewayIgnoresEcho}},
    // A DNS server that ignores echoes, and no name resolves: it fails.
    {"DnsIgnoresEchoes", [](RouterSimState&, SimHostNetwork& pc) { Silent(pc, kDns); }, WanTestOutcome::kDnsFailed,
     {kRouter, kWake, kGw, kDnsPing}, 1, 1, {}},
    // It ignores echoes but names resolve: the Internet works, with a note.
    {"DnsIgnoresEchoesButResolves",
     [](RouterSimState&, SimHostNetwork& pc) {
       Silent(pc, kDns);
       pc.resolutions[kSite] = kSiteAddress;
     },
     WanTestOutcome::kPassed, {kRouter, kWake, kGw, kDnsPing}, 1, 1, {kIdWanTestDnsIgnoresEcho}},
    // No DNS server reported: a resolving name cannot stand in for it.
    {"NoDnsServerReported",
     [](RouterSimState& s, SimHostNetwork& pc) {
       s.ispDns1 = "";
       pc.resolutions[kSite] = kSiteAddress;
     },
     WanTestOutcome::kDnsFailed, {kRouter, kWake, kGw, " 4"}, 1, 0, {}},
    // Both ignore echoes and the wake-up went unanswered: the site resolves
    // and answers, so both pass, with one note naming both.
    {"GatewayAndDnsIgnoreEchoesSiteAnswers",
     [](RouterSimState&, SimHostNetwork& pc) {
       Silent(pc, kGateway);
       Silent(pc, kDns);
       Silent(pc, kPublicHost);
       pc.resolutions[kSite] = kSiteAddress;
     },
     WanTestOutcome::kPassed, {kRouter, kWake, kGw, kDnsPing, kSitePing}, 1, 1,
     {kIdWanTestBothIgnoreEcho}},
    // The site resolves but does not answer, nor did the wake-up's target:
    // nothing shows traffic passing the silent gateway.
    {"GatewaySilentSiteResolvesButIsSilent",
     [](RouterSimState&, SimHostNetwork& pc) {
       Silent(pc, kGateway);
       Silent(pc, kPublicHost);
       Silent(pc, kSiteAddress);
       pc.resolutions[kSite] = kSiteAddress;
     },
     WanTestOutcome::kGatewayFailed, {kRouter, kWake, kGw, kDnsPing, kSitePing}, 1, 1, {}},
};

class WanTestStepTest : public ::testing::TestWithParam<WanCase> {};

TEST_P(WanTestStepTest, StopsAtTheFirstFaultyHopAndNamesIt) {
  const WanCase& c = GetParam();
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  router.Sim().WithState([&](RouterSimState& s) {
    s.ispGateway = kGateway;
    s.ispDns1 = kDns;
  });
  RouterSimState tweaks = router.Sim().StateCopy();
  c.setUp(tweaks, router.Pc());
  router.Sim().WithState([&](RouterSimState& s) {
    s.wanCable = tweaks.wanCable;
    s.service = tweaks.service;
    s.ispDns1 = tweaks.ispDns1;
  });
  WizardState state;
  ResetRouterDefaults(state);
  ASSERT_TRUE(router.Connect(state));
  router.Sim().ClearLog();

  RecordingNarrator narrator;
  WanTestStep step;
  SessionRecord::Instance().wanTestNotes = {1};
  EXPECT_EQ(step.Run(state, router.Pc(), narrator, kTargets), c.outcome);
  EXPECT_EQ(Pinged(router.Pc()), c.pinged);
  EXPECT_EQ(router.Pc().CountCalls("ResolveHostName"), c.lookups);
  EXPECT_EQ(step.Notes(), c.notes);
  EXPECT_EQ(SessionRecord::Instance().wanTestNotes, c.notes);
  EXPECT_EQ(CountRequests(router.Requests(), "rf=0020"), c.addressReads);
  // Nothing is ever written to the router.
  EXPECT_EQ(CountRequests(router.Requests(), "/cgi-bin/"), 0);

  const std::vector<StringId> said = narrator.SaidIds();
  ASSERT_FALSE(said.empty());
  if (c.outcome == WanTestOutcome::kPassed) {
    // Each note follows the progress texts after an empty line.
    std::vector<StringId> expected = {30238, 30239, 30240, 30241, 30242, 30243};
    expected.insert(expected.end(), c.notes.begin(), c.notes.end());
    EXPECT_EQ(said, expected);
    const auto& events = narrator.Events();
    for (std::size_t i = 0; i < c.notes.size(); ++i) {
      const std::size_t at = events.size() - 2 * (c.notes.size() - i);
      EXPECT_EQ(events[at].kind, RecordingNarrator::Kind::kAppendText);
      EXPECT_EQ(events[at].text, "\n\n");
    }
  } else {
    // The failure text stays, then an empty line and the advice.
    const StringId failure = MessageFor<WanTestOutcome>(kWanTestMessages, c.outcome);
    ASSERT_GE(said.size(), 2u);
    EXPECT_EQ(said[said.size() - 2], failure);
    EXPECT_EQ(said.back(), 30638);
    EXPECT_EQ(narrator.LastSaid(), failure);
    const auto& events = narrator.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2].kind, RecordingNarrator::Kind::kAppendText);
    EXPECT_EQ(events[events.size() - 2].text, "\n\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Table, WanTestStepTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WanTestStep, FailureTextsAreTheHopTable) {
  const std::vector<std::pair<WanTestOutcome, StringId>> expected = {
      {WanTestOutcome::kPcRouterFailed, 30246}, {WanTestOutcome::kWanLinkDown, 30247},
      {WanTestOutcome::kNoWanService, 30248},   {WanTestOutcome::kGatewayFailed, 30249},
      {WanTestOutcome::kDnsFailed, 30250},
  };
  for (const auto& [outcome, id] : expected) EXPECT_EQ(MessageFor<WanTestOutcome>(kWanTestMessages, outcome), id);
  const auto rows = WanTestStep::Rows();
  ASSERT_EQ(rows.size(), 6u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].policy != HopPolicy::kStopOnFailure) continue;
    EXPECT_EQ(MessageFor<WanTestOutcome>(kWanTestMessages, WanTestStep::OutcomeOfRow(static_cast<int>(i))),
              rows[i].failureId);
  }
  EXPECT_EQ(rows[2].policy, HopPolicy::kIgnoreOutcome);  // the wake-up echo
}

TEST(WanTestStep, AddressReadsArePacedFiveHundredMillisecondsApart) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  router.Sim().WithState([](RouterSimState& s) { s.service = routersim::WanService::kNone; });
  WizardState state;
  ResetRouterDefaults(state);
  ASSERT_TRUE(router.Connect(state));
  RecordingNarrator narrator;
  WanTestStep step;
  ASSERT_EQ(step.Run(state, router.Pc(), narrator, kTargets), WanTestOutcome::kNoWanService);
  EXPECT_EQ(step.AddressReads(), 20);
  // Six narration pauses of the hops reached (4) and 19 between the 20 reads.
  EXPECT_EQ(narrator.PausedMs(), 4u * 500u + 19u * 500u);
}

// A pause that takes real time, so the emulator's clock moves while the
// address step waits between reads.
class TimedNarrator : public RecordingNarrator {
 public:
  void Pause(int ms) override {
    RecordingNarrator::Pause(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms / 5));
  }
};

TEST(WanTestStep, ADialOnDemandWanComesUpAfterTheWakeUpEchoAndPasses) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  WakingPc pc(router.Sim());
  pc.adapters = router.Pc().adapters;
  pc.unscriptedPing = PingError::kNone;
  router.Sim().WithState([](RouterSimState& s) {
    s.ispGateway = kGateway;
    s.ispDns1 = kDns;
    s.wanUpOnPing = true;
    // Dialling takes most of a second after the wake-up.
    s.RestartWanLink(routersim::SimNowMs());
    s.wanUpDelayMs = 900;
  });
  WizardState state;
  ResetRouterDefaults(state);
  ASSERT_TRUE(router.Connect(state));
  TimedNarrator narrator;
  WanTestStep step;
  EXPECT_EQ(step.Run(state, pc, narrator, kTargets), WanTestOutcome::kPassed);
  EXPECT_GT(step.AddressReads(), 1);
  EXPECT_LE(step.AddressReads(), 20);
  EXPECT_EQ(step.Gateway(), kGateway);
  EXPECT_EQ(step.Dns(), kDns);

  // Without the echo the same router stays down: the wake-up is what did it.
  test::EmulatedRouter silent;
  ASSERT_TRUE(silent.ok()) << silent.why();
  silent.Sim().WithState([](RouterSimState& s) { s.wanUpOnPing = true; });
  WizardState other;
  ResetRouterDefaults(other);
  ASSERT_TRUE(silent.Connect(other));
  RecordingNarrator quiet;
  EXPECT_EQ(WanTestStep().Run(other, silent.Pc(), quiet, kTargets), WanTestOutcome::kNoWanService);
}

}  // namespace
}  // namespace kelvane
