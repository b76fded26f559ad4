// A router that fails in the middle of an easy page's work: one fault of the
// emulator applied to one request of a step, one table over the steps. Each
// row: the step ends within its bound, does not report success, names the
// failure as its failure table says, sends no command after the failed
// request (but the login and the one repeat that keep the session), and
// succeeds once the fault clears.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "router/RouterRequest.h"
#include "steps/easy/ConnectivityStep.h"
#include "steps/easy/StoreStep.h"
#include "steps/easy/WanDetectionStep.h"
#include "steps/easy/WanTestStep.h"
#include "steps/easy/WirelessLoadStep.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

// What a step run left: whether it succeeded, and the message it left (0:
// the step leaves the words to its page).
struct StepResult {
  bool succeeded = false;
  StringId said = 0;
};
using StepRun = std::function<StepResult(WizardState&, SimHostNetwork&)>;

StepResult RunWirelessLoad(WizardState& state, SimHostNetwork&) {
  const std::vector<std::string> texts = {"Not used", "WEP", "WPA-PSK", "WPA2-PSK", "WPA-PSK / WPA2-PSK"};
  return {LoadWirelessForm(state, texts).loaded, 0};
}
StepResult RunDetection(WizardState& state, SimHostNetwork& pc) {
  RecordingNarrator n;
  const bool proposal = IsProposal(WanDetectionStep(state, pc, n).Run());
  return {proposal, n.LastSaid()};
}
StepResult RunStore(WizardState& state, SimHostNetwork& pc) {
  RecordingNarrator n;
  return {StoreStep().Run(state, pc, n) == StoreOutcome::kStored, n.LastSaid()};
}
StepResult RunWanTest(WizardState& state, SimHostNetwork& pc) {
  RecordingNarrator n;
  return {WanTestStep().Run(state, pc, n, {"203.0.113.80"}) == WanTestOutcome::kPassed, n.LastSaid()};
}
StepResult RunConnectivity(WizardState& state, SimHostNetwork& pc) {
  RecordingNarrator n;
  return {ConnectivityStep(state, pc, n).Run("") == ConnectivityOutcome::kPassed, n.LastSaid()};
}

enum class Fault {
  kStatus500,
  kSilent,
  kRefused,
  kClose,       // closed at once without a word
  kReset,       // reset at once
  kCut,         // reset in the middle of the answer (a command was taken)
  kEmpty,       // 200 without a body
  kJunk,        // 200 with 4 KiB that are no page
  kOversized,   // 200 with more than the answer may hold
  kLoginPage,   // the login form in place of the page
  kDrip,        // the answer in pieces, past the bound of the whole answer
  kIgnored,     // the ordinary page, the command thrown away
  kToNone,      // the command taken, the security it left out set to none
  kRestartOnto  // answered and taken, then a restart onto 127.0.0.2
};

struct Row {
  const char* name;
  StepRun run;
  const char* match;  // the request the fault hits
  Fault fault;
  StringId said;      // the failure's message (0: the page words it)
  int boundSeconds;   // the step ends within this
  void (*arrange)(test::EmulatedRouter&, WizardState&) = nullptr;  // the router, PC or choices before the step
};

routersim::RouterSimFaults FaultFor(const Row& row) {
  routersim::RouterSimFaults f;
  f.match = row.match;
  switch (row.fault) {
    case Fault::kStatus500: f.wrongStatus = 500; break;
    case Fault::kSilent: f.silent = true; break;
    case Fault::kRefused: f.refuseAlert = "Busy"; break;
    case Fault::kClose: f.closeAtOnce = true; break;
    case Fault::kReset: f.resetAfterBytes = 0; break;
    case Fault::kCut: f.resetAfterBytes = 120; break;
    case Fault::kEmpty: f.emptyAnswer = true; break;
    case Fault::kJunk: f.junkBytes = 4096; break;
    case Fault::kOversized: f.junkBytes = 200 * 1024; break;
    case Fault::kLoginPage: f.loginPageInstead = true; break;
    case Fault::kDrip:
      f.dripBytes = 4;
      f.dripPauseMs = 500;
      break;
    case Fault::kIgnored: f.ignoreQuietly = true; break;
    case Fault::kToNone: f.securityToNone = true; break;
    case Fault::kRestartOnto: f.restartOnto = "127.0.0.2"; break;
  }
  return f;
}

// The whole answer may take three times the request's time-out.
constexpr int kDripBound = 3 * kRouterTimeoutSeconds + 3;

// A router on PPPoE, so that the store's dynamic IP is a change it must show.
void OnPppoe(test::EmulatedRouter& router, WizardState&) {
  router.Sim().WithState([](routersim::RouterSimState& s) { s.wanType = routersim::kWtPppoe; });
}
// A router on PPPoE for another account, and the user's PPPoE account: the
// type stays, only the form's values show the change.
void OtherPppoeAccount(test::EmulatedRouter& router, WizardState& state) {
  router.Sim().WithState([](routersim::RouterSimState& s) {
    s.wanType = routersim::kWtPppoe;
    s.formType = routersim::kWtPppoe;
    s.forms[routersim::kWtPppoe].values["IU0"] = "dave@isp.example";
  });
  state.wanType = kWanPppoe;
  state.PppoeSettings.userName = "carol@isp.example";
  state.PppoeSettings.password = "carol's word";
}
// A router that holds the user's WPA2 pass phrase already: the store leaves
// the security out of its command.
void HoldsTheChosenWpa2(test::EmulatedRouter& router, WizardState&) {
  router.Sim().WithState([](routersim::RouterSimState& s) {
    s.securityCode = "4";
    s.psk = "correct horse battery";
    s.pskHex = false;
  });
}
// A router that comes back elsewhere is found there by its broadcast answer;
// the PC's old address no longer reaches it once it moved.
void MovesTo2(test::EmulatedRouter& router, WizardState&) {
  router.Pc().pings["127.0.0.1"] = {{PingError::kNone, PingError::kTimedOut}, 0};
  router.Pc().renewLeases["eth0"] = SimHostNetwork::Adapter("eth0", "127.0.0.20", "127.0.0.2", true);
}

const Row kRows[] = {
    {"WirelessStatus500", RunWirelessLoad, "rf=0010", Fault::kStatus500, 0, 2},
    {"WirelessStatusSilent", RunWirelessLoad, "rf=0010", Fault::kSilent, 0, kRouterTimeoutSeconds + 3},
    {"Detection500", RunDetection, "rf=0004", Fault::kStatus500, kIdWanDetectRouterControlFailed, 3},
    {"DetectionSilent", RunDetection, "rf=0004", Fault::kSilent, kIdWanDetectRouterControlFailed,
     kRouterTimeoutSeconds + 3},
    {"StoreWireless500", RunStore, "/cgi-bin/wlap", Fault::kStatus500, kIdStoreSavingFailed, 3},
    {"StoreWan500", RunStore, "/cgi-bin/prim", Fault::kStatus500, kIdStoreSavingFailed, 3},
    {"StoreWanRefused", RunStore, "/cgi-bin/prim", Fault::kRefused, kIdStoreSavingFailed, 3},
    {"StoreRestart500", RunStore, "/cgi-bin/rebo", Fault::kStatus500, kIdStoreRestartFailed, 3},
    {"WanTestLink500", RunWanTest, "rf=0004", Fault::kStatus500, kIdWanTestWanLinkFailed, 3},
    {"WanTestAddresses500", RunWanTest, "rf=0020", Fault::kStatus500, kIdWanTestServiceContentFailed, 3},
    // The wireless status read: nothing the router did not report is shown.
    {"WirelessStatusClosed", RunWirelessLoad, "rf=0010", Fault::kClose, 0, 3},
    {"WirelessStatusCut", RunWirelessLoad, "rf=0010", Fault::kCut, 0, 3},
    {"WirelessStatusEmpty", RunWirelessLoad, "rf=0010", Fault::kEmpty, 0, 3},
    {"WirelessStatusJunk", RunWirelessLoad, "rf=0010", Fault::kJunk, 0, 3},
    {"WirelessStatusOversized", RunWirelessLoad, "rf=0010", Fault::kOversized, 0, 3},
    {"WirelessStatusLoginPage", RunWirelessLoad, "rf=0010", Fault::kLoginPage, 0, 3},
    {"WirelessStatusDrip", RunWirelessLoad, "rf=0010", Fault::kDrip, 0, kDripBound},
    // The detection read.
    {"DetectionReset", RunDetection, "rf=0004", Fault::kReset, kIdWanDetectRouterControlFailed, 3},
    {"DetectionCut", RunDetection, "rf=0004", Fault::kCut, kIdWanDetectRouterControlFailed, 3},
    {"DetectionJunk", RunDetection, "rf=0004", Fault::kJunk, kIdWanDetectRouterControlFailed, 3},
    {"DetectionLoginPage", RunDetection, "rf=0004", Fault::kLoginPage, kIdWanDetectRouterControlFailed, 3},
    // Dynamic IP found: its connection control is read for the store page,
    // which no WAN page precedes; unread, nothing is proposed.
    {"DetectionDynamicOptions500", RunDetection, "Wt=0100", Fault::kStatus500, kIdWanDetectRouterControlFailed, 3},
    // The store: a command not taken, or not known to be taken, is never
    // "saved", and nothing follows it.
    {"StoreWirelessClosed", RunStore, "/cgi-bin/wlap", Fault::kClose, kIdStoreSavingFailed, 3},
    {"StoreWirelessCut", RunStore, "/cgi-bin/wlap", Fault::kCut, kIdStoreSavingFailed, 3},
    {"StoreWirelessIgnored", RunStore, "/cgi-bin/wlap", Fault::kIgnored, kIdStoreSavingFailed, 3},
    {"StoreWirelessSecurityToNone", RunStore, "/cgi-bin/wlap", Fault::kToNone, kIdStoreSavingFailed, 3,
     HoldsTheChosenWpa2},
    {"StoreWanReset", RunStore, "/cgi-bin/prim", Fault::kReset, kIdStoreSavingFailed, 3},
    {"StoreWanEmpty", RunStore, "/cgi-bin/prim", Fault::kEmpty, kIdStoreSavingFailed, 3},
    {"StoreWanJunk", RunStore, "/cgi-bin/prim", Fault::kJunk, kIdStoreSavingFailed, 3},
    {"StoreWanOversized", RunStore, "/cgi-bin/prim", Fault::kOversized, kIdStoreSavingFailed, 3},
    {"StoreWanLoginPage", RunStore, "/cgi-bin/prim", Fault::kLoginPage, kIdStoreSavingFailed, 3},
    {"StoreWanIgnored", RunStore, "/cgi-bin/prim", Fault::kIgnored, kIdStoreSavingFailed, 3, OnPppoe},
    {"StoreWanIgnoredSameType", RunStore, "/cgi-bin/prim", Fault::kIgnored, kIdStoreSavingFailed, 3,
     OtherPppoeAccount},
    {"StoreWanDrip", RunStore, "/cgi-bin/prim", Fault::kDrip, kIdStoreSavingFailed, kDripBound},
    {"StoreWanRestartOnto", RunStore, "/cgi-bin/prim", Fault::kRestartOnto, kIdStoreSavingFailed,
     kRouterTimeoutSeconds + 3, MovesTo2},
    {"StoreRestartClosed", RunStore, "/cgi-bin/rebo", Fault::kClose, kIdStoreRestartFailed, 3},
    {"StoreRestartLoginPage", RunStore, "/cgi-bin/rebo", Fault::kLoginPage, kIdStoreRestartFailed, 3},
    // The WAN test's reads.
    {"WanTestLinkClosed", RunWanTest, "rf=0004", Fault::kClose, kIdWanTestWanLinkFailed, 3},
    {"WanTestLinkEmpty", RunWanTest, "rf=0004", Fault::kEmpty, kIdWanTestWanLinkFailed, 3},
    {"WanTestLinkJunk", RunWanTest, "rf=0004", Fault::kJunk, kIdWanTestWanLinkFailed, 3},
    {"WanTestLinkCut", RunWanTest, "rf=0004", Fault::kCut, kIdWanTestWanLinkFailed, 3},
    {"WanTestLinkLoginPage", RunWanTest, "rf=0004", Fault::kLoginPage, kIdWanTestWanLinkFailed, 3},
    {"WanTestAddressesCut", RunWanTest, "rf=0020", Fault::kCut, kIdWanTestServiceContentFailed, 3},
    {"WanTestAddressesJunk", RunWanTest, "rf=0020", Fault::kJunk, kIdWanTestServiceContentFailed, 3},
    // The connectivity check's look at the front page (the login-method
    // probe): no answer is no refusal, and an error is named as one.
    {"ConnectivityProbeClosed", RunConnectivity, "GET / ", Fault::kClose, kIdRouterDidNotAnswer, 3},
    {"ConnectivityProbeReset", RunConnectivity, "GET / ", Fault::kReset, kIdRouterDidNotAnswer, 3},
    {"ConnectivityProbe500", RunConnectivity, "GET / ", Fault::kStatus500, kIdRouterReportedError, 3},
    {"ConnectivityProbeSilent", RunConnectivity, "GET / ", Fault::kSilent, kIdRouterDidNotAnswer,
     kRouterTimeoutSeconds + 3},
};

class EasyStepRouterFaults : public ::testing::TestWithParam<Row> {};

TEST_P(EasyStepRouterFaults, EndsInTimeClaimsNothingSendsNothingMoreAndRecovers) {
  const Row& row = GetParam();
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  WizardState state;
  ResetRouterDefaults(state);
  ASSERT_TRUE(router.Connect(state));
  state.wanType = kWanDynamicIp;
  state.wirelessPresent = true;
  state.configureWireless = 1;
  state.applyWan = 1;
  state.WirelessSettings.ssid = "HomeNet";
  state.WirelessSettings.securityMode = kSecurityWpa2Psk;
  state.WirelessSettings.key = "correct horse battery";
  if (row.arrange != nullptr) row.arrange(router, state);
  router.Sim().ClearLog();
  router.Sim().SetFaults(FaultFor(row));

  const auto start = std::chrono::steady_clock::now();
  const StepResult failed = row.run(state, router.Pc());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(row.boundSeconds));
  EXPECT_FALSE(failed.succeeded);
  if (row.said != 0) {
    EXPECT_EQ(failed.said, row.said);
  }
  // Nothing is sent after the request that failed, but a new login and the
  // same request once more (the router may have lost the login).
  const std::vector<std::string> requests = router.Requests();
  bool afterFault = false;
  for (const std::string& line : requests) {
    const bool again = line.find(row.match) != std::string::npos;
    if (afterFault && !again && line.find("/cgi-bin/logi") == std::string::npos) {
      EXPECT_EQ(line.find("/cgi-bin/"), std::string::npos) << "sent after the fault: " << line;
    }
    afterFault = afterFault || again;
  }
  EXPECT_TRUE(afterFault) << "the fault's request was never made";

  // Once the fault clears (and a router that restarted all the same is
  // back), the same step succeeds.
  router.Sim().SetFaults({});
  for (int waited = 0; router.Sim().OffAir() && waited < 10000; waited += 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(row.run(state, router.Pc()).succeeded);
}

INSTANTIATE_TEST_SUITE_P(Table, EasyStepRouterFaults, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane
