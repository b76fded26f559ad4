// The connectivity check against the emulated router in this process and the
// simulated PC: which branch a PC takes, the login words, the DHCP switch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "steps/easy/ConnectivityStep.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

using Outcome = ConnectivityOutcome;

// The messages of the check's failure table, row by row.
TEST(ConnectivityStep, OutcomeTablesAreTheFailureTables) {
  const std::vector<std::pair<Outcome, StringId>> expected = {
      {Outcome::kPassed, 0},           {Outcome::kNoPcAddress, 30066}, {Outcome::kNoRouter, 30067},
      {Outcome::kLoginPrompt, 30068},  {Outcome::kDhcpOffer, 30063},   {Outcome::kNoDhcpServer, 30064},
      {Outcome::kProbeNotSent, 0},     {Outcome::kRouterSilent, 30700}, {Outcome::kRouterError, 30701},
  };
  ASSERT_EQ(std::size(kConnectivityMessages), expected.size());
  for (const auto& [outcome, id] : expected) EXPECT_EQ(MessageFor<Outcome>(kConnectivityMessages, outcome), id);
  EXPECT_EQ(MessageFor<DhcpSwitchOutcome>(kDhcpSwitchMessages, DhcpSwitchOutcome::kSwitched), 0u);
  EXPECT_EQ(MessageFor<DhcpSwitchOutcome>(kDhcpSwitchMessages, DhcpSwitchOutcome::kSwitchFailed), 30070u);
  EXPECT_EQ(MessageFor<DhcpSwitchOutcome>(kDhcpSwitchMessages, DhcpSwitchOutcome::kNoAddress), 30066u);
}

// The /24-and-gateway rule: a DHCP PC always goes to the login; a fixed PC
// only when it sits in the router's /24 and uses the router as its gateway.
TEST(ConnectivityStep, ReachabilityDecidesBetweenLoginAndDhcpService) {
  struct Case {
    const char* name;
    const char* address;
    const char* gateway;
    bool dhcp;
    bool dhcpServer;
    Outcome outcome;
    std::vector<StringId> said;
  };
  const std::vector<Case> cases = {
      {"dhcp PC far away", "10.9.9.9", "10.9.9.1", true, false, Outcome::kPassed, {30059, 30060, 30061}},
      {"fixed PC in the network, router as gateway", "127.0.0.10", "127.0.0.1", false, false, Outcome::kPassed,
       {30059, 30060, 30061}},
      {"fixed PC in the network, other gateway", "127.0.0.10", "127.0.0.2", false, false, Outcome::kNoDhcpServer,
       {30059, 30060, 30062, 30064}},
      {"fixed PC outside, router as gateway", "127.0.1.10", "127.0.0.1", false, false, Outcome::kNoDhcpServer,
       {30059, 30060, 30062, 30064}},
      {"fixed PC outside, DHCP server answers", "10.0.0.5", "10.0.0.1", false, true, Outcome::kDhcpOffer,
       {30059, 30060, 30062, 30063}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    routersim::RouterSimOptions options;
    options.answerDhcp = c.dhcpServer;
    test::EmulatedRouter router(options);
    ASSERT_TRUE(router.ok()) << router.why();
    router.Pc().adapters = {SimHostNetwork::Adapter("eth0", c.address, c.gateway, c.dhcp)};
    WizardState state;
    ResetRouterDefaults(state);
    RecordingNarrator narrator;
    ConnectivityStep step(state, router.Pc(), narrator);
    EXPECT_EQ(step.Run(""), c.outcome);
    EXPECT_EQ(narrator.SaidIds(), c.said);
    EXPECT_EQ(state.pcAdapterName, "eth0");
    EXPECT_EQ(state.routerAddress.view(), router.Address());
    // Every progress text is followed by the narration pause; so is the offer.
    std::uint64_t expectedPause = 500u * 3u;
    if (c.outcome == Outcome::kDhcpOffer) expectedPause += 500u;
    EXPECT_EQ(narrator.PausedMs(), expectedPause);
  }
}

TEST(ConnectivityStep, NoAddressAndNoRouter) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  WizardState state;
  ResetRouterDefaults(state);
  {
    router.Pc().adapters = {SimHostNetwork::Adapter("eth0", "169.254.3.4", "0.0.0.0", true)};
    RecordingNarrator narrator;
    ConnectivityStep step(state, router.Pc(), narrator);
    EXPECT_EQ(step.Run(""), Outcome::kNoPcAddress);
    EXPECT_EQ(narrator.SaidIds(), (std::vector<StringId>{30059, 30066}));
    EXPECT_EQ(router.Pc().CountCalls("ListAdapters"), 10);
  }
  router.Pc().adapters = {SimHostNetwork::Adapter("eth0", "127.0.0.10", "127.0.0.1", true)};
  router.Sim().Stop();
  RecordingNarrator narrator;
  ConnectivityStep step(state, router.Pc(), narrator);
  EXPECT_EQ(step.Run(""), Outcome::kNoRouter);
  EXPECT_EQ(narrator.SaidIds(), (std::vector<StringId>{30059, 30060, 30067}));
}

// A changed login word: the prompt, then the stripped word passes; the Basic
// router takes the word as the user name with an empty password.
TEST(ConnectivityStep, ChangedLoginWordByFlavour) {
  struct Case {
    routersim::LoginFlavour flavour;
    std::uint8_t basic;
    std::string user;
    std::string password;
  };
  const std::vector<Case> cases = {
      {routersim::LoginFlavour::kForm, 0, kDefaultLoginWord, "s3cret"},
      {routersim::LoginFlavour::kBasic, 1, "s3cret", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.flavour));
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([&](routersim::RouterSimState& s) {
      s.flavour = c.flavour;
      s.loginWord = "s3cret";
    });
    WizardState state;
    ResetRouterDefaults(state);
    RecordingNarrator narrator;
    ConnectivityStep step(state, router.Pc(), narrator);
    EXPECT_EQ(step.Run(""), Outcome::kLoginPrompt);
    EXPECT_EQ(narrator.LastSaid(), 30068u);
    EXPECT_EQ(state.basicAuthLogin, c.basic);

    // A wrong word typed: the prompt again.
    ConnectivityStep::TakeTypedWord("wrong", state);
    EXPECT_EQ(step.Run("wrong"), Outcome::kLoginPrompt);

    // The right word with blanks around it passes, stripped.
    const std::string word = ConnectivityStep::TakeTypedWord("  s3cret \t", state);
    EXPECT_EQ(word, "s3cret");
    EXPECT_EQ(step.Run(word), Outcome::kPassed);
    EXPECT_EQ(state.loginUser.view(), c.user);
    EXPECT_EQ(state.loginPassword.view(), c.password);
  }
}

TEST(ConnectivityStep, BasicRouterReceivesTheWordAsUserName) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  router.Sim().WithState([](routersim::RouterSimState& s) {
    s.flavour = routersim::LoginFlavour::kBasic;
    s.loginWord = "s3cret";
  });
  WizardState state;
  ResetRouterDefaults(state);
  RecordingNarrator narrator;
  ConnectivityStep step(state, router.Pc(), narrator);
  ASSERT_EQ(step.Run(""), Outcome::kLoginPrompt);
  router.Sim().ClearLog();
  ASSERT_EQ(step.Run(ConnectivityStep::TakeTypedWord("s3cret", state)), Outcome::kPassed);
  bool sawWordAsUser = false;
  for (const std::string& head : router.Sim().RequestHeads()) {
    // base64("s3cret:") and never base64("kwzpo:s3cret").
    if (head.find("czNjcmV0Og==") != std::string::npos) sawWordAsUser = true;
    EXPECT_EQ(head.find("a3d6cG86czNjcmV0"), std::string::npos);
  }
  EXPECT_TRUE(sawWordAsUser);
}

// A router that does not answer, or answers with an error, refused nothing:
// the user is told so and to try again, never asked for the word, and the
// credentials stay. One fault on one request; the next Next passes.
TEST(ConnectivityStep, OnlyARealRefusalAsksForTheWord) {
  struct Case {
    const char* name;
    routersim::LoginFlavour flavour;
    routersim::RouterSimFaults faults;
    Outcome outcome;
  };
  const auto fault = [](const char* match, int nth, auto set) {
    routersim::RouterSimFaults f;
    f.match = match;
    f.nth = nth;
    set(f);
    return f;
  };
  const auto status500 = [](routersim::RouterSimFaults& f) { f.wrongStatus = 500; };
  const auto close = [](routersim::RouterSimFaults& f) { f.closeAtOnce = true; };
  const auto reset = [](routersim::RouterSimFaults& f) { f.resetAfterBytes = 0; };
  const auto cut = [](routersim::RouterSimFaults& f) { f.resetAfterBytes = 20; };
  const std::vector<Case> cases = {
      {"500 on the probe", routersim::LoginFlavour::kOpen, fault("GET / ", 1, status500), Outcome::kRouterError},
      {"500 on the Basic login", routersim::LoginFlavour::kBasic, fault("GET / ", 2, status500),
       Outcome::kRouterError},
      {"500 on the form login", routersim::LoginFlavour::kForm, fault("logi", 1, status500), Outcome::kRouterError},
      {"probe closed unanswered", routersim::LoginFlavour::kBasic, fault("GET / ", 1, close), Outcome::kRouterSilent},
      {"login reset", routersim::LoginFlavour::kBasic, fault("GET / ", 3, reset), Outcome::kRouterSilent},
      {"form login cut", routersim::LoginFlavour::kForm, fault("logi", 1, cut), Outcome::kRouterSilent},
      {"open router reset", routersim::LoginFlavour::kOpen, fault("GET / ", 1, reset), Outcome::kRouterSilent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([&](routersim::RouterSimState& s) { s.flavour = c.flavour; });
    router.Sim().SetFaults(c.faults);
    WizardState state;
    ResetRouterDefaults(state);
    RecordingNarrator narrator;
    ConnectivityStep step(state, router.Pc(), narrator);
    EXPECT_EQ(step.Run(""), c.outcome);
    EXPECT_EQ(narrator.LastSaid(), MessageFor<Outcome>(kConnectivityMessages, c.outcome));
    EXPECT_EQ(state.loginUser.view(), kDefaultLoginWord);
    EXPECT_EQ(state.loginPassword.view(), kDefaultLoginWord);
    // The fault was one request: the next Next passes.
    EXPECT_EQ(step.Run(""), Outcome::kPassed);
  }
}

TEST(ConnectivityStep, DhcpSwitchOutcomes) {
  struct Case {
    const char* name;
    bool restartSucceeds;
    const char* addressAfter;
    DhcpSwitchOutcome outcome;
    std::vector<StringId> said;
  };
  const std::vector<Case> cases = {
      {"switched", true, "127.0.0.20", DhcpSwitchOutcome::kSwitched, {}},
      {"switch refused", false, "127.0.0.20", DhcpSwitchOutcome::kSwitchFailed, {30070}},
      // The host's switch itself waits for the lease: no lease is a failed switch.
      {"no lease after the restart", true, "0.0.0.0", DhcpSwitchOutcome::kSwitchFailed, {30070}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    SimHostNetwork& pc = router.Pc();
    pc.adapters = {SimHostNetwork::Adapter("eth7", "10.0.0.5", "10.0.0.1", false)};
    pc.restartSucceeds = c.restartSucceeds;
    pc.adaptersAfterRestart = {SimHostNetwork::Adapter("eth7", c.addressAfter, "127.0.0.1", true)};
    WizardState state;
    ResetRouterDefaults(state);
    state.pcAdapterName = "eth7";
    RecordingNarrator narrator;
    ConnectivityStep step(state, pc, narrator);
    EXPECT_EQ(step.SwitchToDhcp(), c.outcome);
    EXPECT_EQ(narrator.SaidIds(), c.said);
    EXPECT_EQ(pc.CountCalls("SwitchAdapterToDhcp"), 1);
    if (c.outcome == DhcpSwitchOutcome::kSwitched) {
      EXPECT_EQ(FormatDotted(state.pcAddress), c.addressAfter);
    }
  }
}

}  // namespace
}  // namespace kelvane
