// Every branch of the WAN detection against the emulated router's WAN state
// and the simulated PC's phonebook.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "steps/easy/WanDetectionStep.h"
#include "steps/kit/WanRouting.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

using O = WanDetectionOutcome;

TEST(WanDetection, OutcomeTableIsTheMessageTable) {
  const std::vector<std::pair<O, StringId>> expected = {
      {O::kDynamicIpOnWan, 30110}, {O::kPppoeOnWan, 30111},       {O::kPptpAccount, 30114},
      {O::kL2tpAccount, 30115},    {O::kNothingFound, 30112},     {O::kPppoeAccount, 30113},
      {O::kStatusUnreadable, 30118}, {O::kNotConnected, 30119},
  };
  ASSERT_EQ(std::size(kWanDetectionMessages), expected.size());
  for (const auto& [o, id] : expected) EXPECT_EQ(MessageFor<O>(kWanDetectionMessages, o), id);
  EXPECT_FALSE(IsProposal(O::kStatusUnreadable));
  EXPECT_FALSE(IsProposal(O::kNotConnected));
  EXPECT_TRUE(IsProposal(O::kNothingFound));
}

enum Accounts : unsigned { kNone = 0, kPppoe = 1, kPptp = 2, kL2tp = 4 };

struct Case {
  const char* name;
  bool cable;
  routersim::WanService service;
  unsigned accounts;
  O outcome;
  std::int32_t wanType;
  int nextTemplate;
  bool alwaysOn = false;  // the router's dynamic IP form has "always on" checked
};

TEST(WanDetection, OrderOfPreference) {
  using S = routersim::WanService;
  const std::vector<Case> cases = {
      {"wan dhcp beats a pppoe account", true, S::kDhcp, kPppoe, O::kDynamicIpOnWan, 1, kTemplateStore},
      // The store page follows with no WAN page between: the router's
      // connection control must be read here.
      {"wan dhcp, always on", true, S::kDhcp, kNone, O::kDynamicIpOnWan, 1, kTemplateStore, true},
      {"wan pppoe", true, S::kPppoe, kNone, O::kPppoeOnWan, 3, 4011},
      {"wan pppoe with every account", true, S::kPppoe, kPppoe | kPptp | kL2tp, O::kPppoeOnWan, 3, 4011},
      {"wan nothing, pptp before l2tp", true, S::kNone, kPptp | kL2tp, O::kPptpAccount, 4, 4012},
      {"wan nothing, l2tp", true, S::kNone, kL2tp | kPppoe, O::kL2tpAccount, 5, 4014},
      {"wan nothing, no account", true, S::kNone, kNone, O::kNothingFound, 3, 4011},
      {"wan nothing, pppoe account alone", true, S::kNone, kPppoe, O::kNothingFound, 3, 4011},
      {"wan down, pppoe first", false, S::kDhcp, kPppoe | kPptp | kL2tp, O::kPppoeAccount, 3, 4011},
      {"wan down, pptp", false, S::kDhcp, kPptp | kL2tp, O::kPptpAccount, 4, 4012},
      {"wan down, l2tp", false, S::kDhcp, kL2tp, O::kL2tpAccount, 5, 4014},
      {"wan down, nothing", false, S::kDhcp, kNone, O::kNotConnected, 3, 4011},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([&](routersim::RouterSimState& s) {
      s.wanCable = c.cable;
      s.service = c.service;
      s.forms[routersim::kWtDynamic].df00 = c.alwaysOn;
    });
    SimHostNetwork& pc = router.Pc();
    if (c.accounts & kPppoe) pc.phonebook.push_back(SimHostNetwork::Pppoe("DSL", "FastNet", "carol"));
    if (c.accounts & kPptp) pc.phonebook.push_back(SimHostNetwork::Vpn("Office", kVpnPptpOnly, "198.51.100.7", "bob"));
    if (c.accounts & kL2tp) pc.phonebook.push_back(SimHostNetwork::Vpn("Lab", kVpnL2tpOnly, "203.0.113.9", "dave"));
    WizardState state;
    ResetRouterDefaults(state);
    ASSERT_TRUE(router.Connect(state));
    RecordingNarrator narrator;
    WanDetectionStep step(state, pc, narrator);
    EXPECT_EQ(step.Run(), c.outcome);
    EXPECT_EQ(state.wanType, c.wanType);
    EXPECT_EQ(narrator.SaidIds(),
              (std::vector<StringId>{30109, MessageFor<O>(kWanDetectionMessages, c.outcome)}));
    if (IsProposal(c.outcome)) {
      EXPECT_EQ(DetectionNextTemplate(state.wanType), c.nextTemplate);
    }
    if (c.outcome == O::kDynamicIpOnWan) {
      EXPECT_EQ(state.DynamicIpSettings.optionState, c.alwaysOn ? kConnectAutomatically : kConnectOnDemand);
    }
    // The account of the proposed kind is in its record for the WAN page.
    if (c.outcome == O::kPppoeAccount || (c.outcome == O::kPppoeOnWan && (c.accounts & kPppoe))) {
      EXPECT_EQ(state.PppoeSettings.userName, "carol");
      EXPECT_EQ(state.PppoeSettings.serviceName, "FastNet");
    }
    if (c.outcome == O::kPptpAccount) {
      EXPECT_EQ(state.PptpSettings.userName, "bob");
      EXPECT_EQ(state.PptpSettings.server, "198.51.100.7");
    }
    if (c.outcome == O::kL2tpAccount) {
      EXPECT_EQ(state.L2tpSettings.userName, "dave");
      EXPECT_EQ(state.L2tpSettings.server, "203.0.113.9");
    }
  }
}

TEST(WanDetection, UnreadableStatus) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  WizardState state;
  ResetRouterDefaults(state);
  ASSERT_TRUE(router.Connect(state));
  router.Sim().Stop();
  router.Pc().phonebook = {SimHostNetwork::Pppoe("DSL", "FastNet", "carol")};
  RecordingNarrator narrator;
  WanDetectionStep step(state, router.Pc(), narrator);
  EXPECT_EQ(step.Run(), O::kStatusUnreadable);
  EXPECT_EQ(state.wanType, 3);
  EXPECT_EQ(narrator.LastSaid(), 30118u);
  EXPECT_EQ(router.Pc().CountCalls("FindPcPppoeAccount"), 0);
}

}  // namespace
}  // namespace kelvane
