// The advanced menu's status check and the connection test in the namespace
// bed: the PC holds a lease from the router's network, the emulated router
// answers the discovery probe and the login, and the pings go for real
// through the router to the provider's hosts. With the provider cut off, the
// router stage still passes and only the Internet stage fails.
#include <gtest/gtest.h>

#include <string>

#include "BuiltProgram.h"
#include "steps/advanced/AdvancedStatusStep.h"
#include "steps/advanced/ConnTestStep.h"
#include "net/host/HostNetwork.h"
#include "netns/NetnsFixture.h"
#include "router/RouterLogin.h"
#include "state/InternetTargets.h"
#include "state/ProbeTarget.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

using testbed::Role;

constexpr const char* kPublicDns = "203.0.113.53";  // on the provider's side

// One status check as the menu runs it, in the PC's namespace with the real
// network backend. The login prompt answers "cancelled" and counts.
struct CheckSeen {
  AdvancedStatusResult result;
  int prompts = 0;
  std::string routerAddress;
};
CheckSeen RunMenuCheck() {
  CheckSeen seen;
  ProbeTarget::Instance() = ProbeTarget{};  // the broadcast probe, as on a PC
  InternetTargets& targets = InternetTargets::Instance();
  targets.publicDns = kPublicDns;
  targets.publicHost = testbed::kPublicHost;
  targets.testSite = "www.kelvane.test";
  WizardState state;
  ResetRouterDefaults(state);
  AdvancedStatusStep step;
  step.OnActivation();
  RecordingNarrator narrator;
  seen.result = step.Run(state, ActiveHostNetwork(), narrator,
                         [&](std::string&) {
                           ++seen.prompts;
                           return false;
                         },
                         targets.publicDns);
  seen.routerAddress = state.routerAddress.str();
  return seen;
}

std::string Describe(const CheckSeen& s) {
  return "outcome=" + std::to_string(static_cast<int>(s.result.outcome)) + " pc=" + std::to_string(s.result.pcOk) +
         " router=" + std::to_string(s.result.routerOk) + " internet=" + std::to_string(s.result.internetOk) +
         " prompts=" + std::to_string(s.prompts) + " at " + s.routerAddress;
}

class AdvancedMenuNetns : public testbed::BedTest {
 protected:
  void SetUp() override {
    testbed::NetnsBedOptions options;
    options.pc = testbed::PcNetwork::kDhclient;
    StartBed(options, {"lmq-routersim"});
    if (!BedUp()) return;
    StartEmulator({testing::BuiltProgram("lmq-routersim"), "--listen", testbed::kRouterLanAddress, "--isp-gateway",
                   testbed::kIspAddress, "--isp-dns1", testbed::kIspAddress, "--isp-dns2", kPublicDns});
  }
};

TEST_F(AdvancedMenuNetns, WholeCheckPassesWithRealPingsToTheProvider) {
  std::string report;
  const int rc = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        const CheckSeen seen = RunMenuCheck();
        out = Describe(seen);
        const bool ok = seen.result.outcome == AdvancedStatusOutcome::kPassed && seen.result.pcOk &&
                        seen.result.routerOk && seen.result.internetOk && seen.prompts == 0 &&
                        seen.routerAddress == testbed::kRouterLanAddress;
        return ok ? 0 : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;

  // The connection test from the same PC: gateway, DNS server and the public
  // web site (its name resolved through the router) all answer.
  const int test = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        WizardState state;
        ResetRouterDefaults(state);
        state.routerAddress = testbed::kRouterLanAddress;
        InternetTargets targets;
        targets.publicHost = testbed::kPublicHost;
        targets.publicDns = kPublicDns;
        targets.testSite = "www.kelvane.test";
        RecordingNarrator narrator;
        const ConnTestReport r = RunConnTest(state, ActiveHostNetwork(), narrator, targets);
        std::string verdicts;
        for (HopVerdict v : r.hops.verdicts) verdicts += std::to_string(static_cast<int>(v));
        out = "outcome=" + std::to_string(static_cast<int>(r.outcome)) + " gateway=" + r.gateway + " dns=" + r.dns +
              " site=" + r.siteAddress + " verdicts=" + verdicts;
        return r.outcome == ConnTestOutcome::kTested && verdicts == "1111" && r.siteAddress == testbed::kPublicHost
                   ? 0
                   : 1;
      },
      report);
  EXPECT_EQ(test, 0) << report;
}

TEST_F(AdvancedMenuNetns, ProviderCutLeavesTheRouterGreenAndTheInternetRed) {
  // The router's WAN cable is pulled on the provider's side.
  ASSERT_EQ(bed_->Exec(Role::kIsp, {"ip", "link", "set", "wan0", "down"}).exitCode, 0);
  std::string report;
  const int rc = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        const CheckSeen seen = RunMenuCheck();
        out = Describe(seen);
        const bool ok = seen.result.outcome == AdvancedStatusOutcome::kPublicDnsSilent && seen.result.pcOk &&
                        seen.result.routerOk && !seen.result.internetOk;
        return ok ? 0 : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;
  const AdvancedStatusRow& row = StatusRowFor(AdvancedStatusOutcome::kPublicDnsSilent);
  EXPECT_EQ(row.routerTooltip, kIdNoInternetService);
  EXPECT_EQ(row.internetTooltip, kIdInternetServiceFailed);
}

}  // namespace
}  // namespace kelvane
