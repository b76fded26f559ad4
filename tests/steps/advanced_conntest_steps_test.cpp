// The Internet connection test of the advanced mode against the emulator in
// this process: the WAN readings and wake-up pings, the three verdicts in the
// log, and the two ways the test ends early.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "steps/advanced/ConnTestStep.h"
#include "router/RouterLogin.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;
using Kind = RecordingNarrator::Kind;

constexpr const char* kPublicHost = "203.0.113.80";
constexpr const char* kSite = "www.kelvane.test";
constexpr const char* kSiteAddress = "203.0.113.81";

// The PC of the bed: a ping of the public host goes by the router's LAN side,
// which is what wakes a connect-on-demand WAN (the emulator's dial-on-demand
// watch does the same on a real network).
class WakingPc : public SimHostNetwork {
 public:
  routersim::RouterSim* sim = nullptr;
  bool PingHost(const std::string& target, int attempts, PingError* error) override {
    if (sim != nullptr && target == kPublicHost) sim->WithState([](RouterSimState& s) { s.publicHostPinged = true; });
    return SimHostNetwork::PingHost(target, attempts, error);
  }
};

struct ConnTest {
  test::EmulatedRouter router;
  WakingPc pc;
  WizardState state;
  InternetTargets targets;
  RecordingNarrator narrator;

  ConnTest() {
    ResetRouterDefaults(state);
    EXPECT_TRUE(router.Connect(state));
    pc.adapters = router.Pc().adapters;
    pc.unscriptedPing = PingError::kNone;
    pc.resolutions[kSite] = kSiteAddress;
    pc.sim = &router.Sim();
    targets.publicHost = kPublicHost;
    targets.testSite = kSite;
    targets.publicDns = "203.0.113.53";
  }
  ConnTestReport Run() { return RunConnTest(state, pc, narrator, targets); }
  int Readings() const {
    int n = 0;
    for (const std::string& line : router.Requests()) n += line.find("rf=0020") != std::string::npos;
    return n;
  }
  std::vector<std::string> Pings() const {
    std::vector<std::string> out;
    for (const auto& call : pc.calls) {
      if (call.operation == "PingHost") out.push_back(call.argument);
    }
    return out;
  }
  // The log as the user reads it: texts and verdict words with their colour.
  std::vector<std::string> Log() const {
    std::vector<std::string> out;
    for (const auto& e : narrator.Events()) {
      const char* colour = e.colour == NarrationColour::kGood ? "green"
                           : e.colour == NarrationColour::kBad ? "red"
                                                                : "black";
      if (e.kind == Kind::kAppend) out.push_back(std::to_string(e.id) + " " + colour);
      if (e.kind == Kind::kAppendText) out.push_back("'" + e.text + "'");
    }
    return out;
  }
};

TEST(ConnTestStep, AllThreeAnswerGivesThreeGreenVerdictsAndNoResultLine) {
  ConnTest t;
  ASSERT_TRUE(t.router.ok()) << t.router.why();
  const ConnTestReport r = t.Run();
  EXPECT_EQ(r.outcome, ConnTestOutcome::kTested);
  EXPECT_EQ(r.readings, 1);
  EXPECT_EQ(r.wakePings, 0);
  EXPECT_EQ(r.gateway, "10.64.0.1");
  EXPECT_EQ(r.dns, "10.64.0.53");
  EXPECT_EQ(t.Pings(), (std::vector<std::string>{"10.64.0.1 2", "10.64.0.53 2", std::string(kSiteAddress) + " 2"}));
  EXPECT_EQ(t.Log(), (std::vector<std::string>{"30341 black", "': '", "30344 green", "'\n\n'", "30342 black", "': '",
                                               "30344 green", "'\n\n'", "30343 black", "': '", "30344 green"}));
  // A short pause after each verdict.
  std::vector<int> pauses;
  for (const auto& e : t.narrator.Events()) {
    if (e.kind == Kind::kPause) pauses.push_back(e.value);
  }
  EXPECT_EQ(pauses, (std::vector<int>{200, 200, 200}));
}

TEST(ConnTestStep, ASilentGatewayOnlyColoursItsOwnVerdict) {
  ConnTest t;
  ASSERT_TRUE(t.router.ok()) << t.router.why();
  t.pc.pings["10.64.0.1"] = {{PingError::kTimedOut}, 0};
  const ConnTestReport r = t.Run();
  EXPECT_EQ(r.outcome, ConnTestOutcome::kTested);
  EXPECT_EQ(t.Pings(), (std::vector<std::string>{"10.64.0.1 2", "10.64.0.53 2", std::string(kSiteAddress) + " 2"}));
  EXPECT_EQ(t.Log(), (std::vector<std::string>{"30341 black", "': '", "30345 red", "'\n\n'", "30342 black", "': '",
                                               "30344 green", "'\n\n'", "30343 black", "': '", "30344 green"}));
  EXPECT_EQ(r.hops.verdicts,
            (std::vector<HopVerdict>{HopVerdict::kPassed, HopVerdict::kFailed, HopVerdict::kPassed, HopVerdict::kPassed}));
}

TEST(ConnTestStep, AWebSiteThatDoesNotResolveIsRedWithoutAPing) {
  ConnTest t;
  ASSERT_TRUE(t.router.ok()) << t.router.why();
  t.pc.resolutions.clear();
  const ConnTestReport r = t.Run();
  EXPECT_EQ(r.outcome, ConnTestOutcome::kTested);
  EXPECT_TRUE(r.siteAddress.empty());
  EXPECT_EQ(t.Pings(), (std::vector<std::string>{"10.64.0.1 2", "10.64.0.53 2"}));
  EXPECT_EQ(t.Log().back(), "30345 red");
}

TEST(ConnTestStep, SixReadingsWithTwoWakeUpPingsThenTheWanHasNoAddress) {
  ConnTest t;
  ASSERT_TRUE(t.router.ok()) << t.router.why();
  t.pc.sim = nullptr;  // the pings wake nothing: the WAN stays down
  t.router.Sim().WithState([](RouterSimState& s) { s.wanCable = false; });
  const ConnTestReport r = t.Run();
  EXPECT_EQ(r.outcome, ConnTestOutcome::kWanNoAddress);
  EXPECT_EQ(r.readings, 6);
  EXPECT_EQ(t.Readings(), 6);
  EXPECT_EQ(r.wakePings, 2);
  EXPECT_EQ(t.Pings(), (std::vector<std::string>{std::string(kPublicHost) + " 1", std::string(kPublicHost) + " 1"}));
  EXPECT_EQ(t.Log(), (std::vector<std::string>{"30348 red"}));
}

TEST(ConnTestStep, AWanThatComesUpAfterTheWakeUpPingIsTestedNormally) {
  ConnTest t;
  ASSERT_TRUE(t.router.ok()) << t.router.why();
  t.router.Sim().WithState([](RouterSimState& s) {
    s.wanUpOnPing = true;
    s.publicHostPinged = false;
  });
  const ConnTestReport r = t.Run();
  EXPECT_EQ(r.outcome, ConnTestOutcome::kTested);
  EXPECT_EQ(r.readings, 2);
  EXPECT_EQ(r.wakePings, 1);
  EXPECT_EQ(t.Pings().front(), std::string(kPublicHost) + " 1");
  EXPECT_EQ(t.Log().back(), "30344 green");
}

TEST(ConnTestStep, AFailedRouterReadingEndsTheTestWithTheControlError) {
  ConnTest t;
  ASSERT_TRUE(t.router.ok()) << t.router.why();
  routersim::RouterSimFaults faults;
  faults.wrongStatus = 500;
  faults.match = "rf=0020";
  t.router.Sim().SetFaults(faults);
  const ConnTestReport r = t.Run();
  EXPECT_EQ(r.outcome, ConnTestOutcome::kRouterControlFailed);
  EXPECT_EQ(r.readings, 1);
  EXPECT_TRUE(t.Pings().empty());
  EXPECT_EQ(t.Log(), (std::vector<std::string>{"30346 red"}));

  // A router that no longer answers at all reads the same.
  t.router.Sim().Stop();
  t.narrator.Clear();
  EXPECT_EQ(t.Run().outcome, ConnTestOutcome::kRouterControlFailed);
  EXPECT_EQ(t.Log(), (std::vector<std::string>{"30346 red"}));
}

TEST(ConnTestStep, ResultTableNamesTheTwoEarlyEnds) {
  EXPECT_EQ(MessageFor<ConnTestOutcome>(kConnTestResults, ConnTestOutcome::kTested), 0u);
  EXPECT_EQ(MessageFor<ConnTestOutcome>(kConnTestResults, ConnTestOutcome::kRouterControlFailed), 30346u);
  EXPECT_EQ(MessageFor<ConnTestOutcome>(kConnTestResults, ConnTestOutcome::kWanNoAddress), 30348u);
}

}  // namespace
}  // namespace kelvane
