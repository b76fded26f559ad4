// A router that fails in the middle of an easy page's work: one fault of the
// emulator applied to one request of a step, one table over the steps. Each
// row: the step ends within its bound, does not report success, names the
// failure as its failure table says, sends no command after the failed
// request, and succeeds once the fault clears.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "router/RouterRequest.h"
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
  return {WanTestStep().Run(state, pc, n, "203.0.113.80") == WanTestOutcome::kPassed, n.LastSaid()};
}

enum class Fault { kStatus500, kSilent, kRefused };

struct Row {
  const char* name;
  StepRun run;
  const char* match;  // the request the fault hits
  Fault fault;
  StringId said;      // the failure's message (0: the page words it)
  int boundSeconds;   // the step ends within this
};

routersim::RouterSimFaults FaultFor(const Row& row) {
  routersim::RouterSimFaults f;
  f.match = row.match;
  switch (row.fault) {
    case Fault::kStatus500: f.wrongStatus = 500; break;
    case Fault::kSilent: f.silent = true; break;
    case Fault::kRefused: f.refuseAlert = "Busy"; break;
  }
  return f;
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
  router.Sim().ClearLog();
  router.Sim().SetFaults(FaultFor(row));

  const auto start = std::chrono::steady_clock::now();
  const StepResult failed = row.run(state, router.Pc());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(row.boundSeconds));
  EXPECT_FALSE(failed.succeeded);
  if (row.said != 0) {
    EXPECT_EQ(failed.said, row.said);
  }
  // Nothing is sent after the request that failed.
  const std::vector<std::string> requests = router.Requests();
  bool afterFault = false;
  for (const std::string& line : requests) {
    if (afterFault) {
      EXPECT_EQ(line.find("/cgi-bin/"), std::string::npos) << "sent after the fault: " << line;
    }
    afterFault = afterFault || line.find(row.match) != std::string::npos;
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
