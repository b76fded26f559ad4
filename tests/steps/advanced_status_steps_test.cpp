// The advanced menu's status check against the emulator in this process and
// a scripted PC: every way the check can end, the verdicts shown for it, the
// login memory between checks, and routers that ask for Basic credentials.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "steps/advanced/AdvancedStatusStep.h"
#include "router/RouterLogin.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

constexpr const char* kPublicDns = "203.0.113.53";

using routersim::LoginFlavour;
using routersim::RouterSimState;

// The verdicts the menu shows after each situation, written down from the
// menu's description (tooltips PC / router / Internet, summary, whether the
// summary names the PC first).
struct ExpectedVerdicts {
  AdvancedStatusOutcome outcome;
  StringId pc, router, internet;
  bool namesPc;
  StringId summary;
};
constexpr ExpectedVerdicts kExpected[] = {
    {AdvancedStatusOutcome::kPcAddressFails, 30280, 30282, 30290, true, 30280},
    {AdvancedStatusOutcome::kNoRouter, 30279, 30284, 30290, false, 30284},
    {AdvancedStatusOutcome::kPcCannotReachRouter, 30281, 30282, 30290, true, 30281},
    {AdvancedStatusOutcome::kLoginCancelled, 30279, 30282, 30290, false, 30300},
    {AdvancedStatusOutcome::kLoginRefused, 30279, 30285, 30290, false, 30285},
    {AdvancedStatusOutcome::kRouterSilent, 30279, 30700, 30290, false, 30700},
    {AdvancedStatusOutcome::kRouterError, 30279, 30701, 30290, false, 30701},
    {AdvancedStatusOutcome::kWanUnreadable, 30279, 30286, 30290, false, 30286},
    {AdvancedStatusOutcome::kWanWithoutAddresses, 30279, 30287, 30289, false, 30289},
    {AdvancedStatusOutcome::kPublicDnsSilent, 30279, 30287, 30289, false, 30289},
    {AdvancedStatusOutcome::kPassed, 30279, 30283, 30288, false, 30288},
};

TEST(AdvancedStatusTable, EveryOutcomeShowsTheVerdictsOfTheMenu) {
  ASSERT_EQ(kAdvancedStatusTable.size(), std::size(kExpected));
  for (const ExpectedVerdicts& e : kExpected) {
    const AdvancedStatusRow& row = StatusRowFor(e.outcome);
    SCOPED_TRACE(static_cast<int>(e.outcome));
    EXPECT_EQ(row.outcome, e.outcome);
    EXPECT_EQ(row.pcTooltip, e.pc);
    EXPECT_EQ(row.routerTooltip, e.router);
    EXPECT_EQ(row.internetTooltip, e.internet);
    EXPECT_EQ(row.summaryNamesPc, e.namesPc);
    EXPECT_EQ(row.summary, e.summary);
  }
}

// One check against the emulator, with the prompt answered by `typed` (empty
// optional-like flag `cancel`: the prompt is cancelled).
struct Check {
  test::EmulatedRouter router;
  WizardState state;
  AdvancedStatusStep step;
  RecordingNarrator narrator;
  int prompts = 0;
  std::string typed;
  bool cancelPrompt = false;

  Check() {
    ResetRouterDefaults(state);
    router.Pc().pings.clear();
  }
  AdvancedStatusResult Run() {
    router.Pc().ClearCalls();
    return step.Run(state, router.Pc(), narrator,
                    [this](std::string& word) {
                      ++prompts;
                      if (cancelPrompt) return false;
                      word = typed;
                      return true;
                    },
                    kPublicDns);
  }
  std::vector<std::string> Pings() {
    std::vector<std::string> out;
    for (const auto& call : router.Pc().calls) {
      if (call.operation == "PingHost") out.push_back(call.argument);
    }
    return out;
  }
  int FrontPageRequests() const {
    int n = 0;
    for (const std::string& line : router.Requests()) n += line.rfind("GET / ", 0) == 0;
    return n;
  }
  int LoginRequests() const {
    int n = 0;
    for (const std::string& line : router.Requests()) n += line.find("cgi-bin/logi") != std::string::npos;
    return n;
  }
};

struct Scenario {
  const char* name;
  std::function<void(Check&)> arrange;
  AdvancedStatusOutcome outcome;
  bool pcOk, routerOk, internetOk;
  std::vector<std::string> pings;  // "address attempts", in order
};

TEST(AdvancedStatusStep, EachSituationEndsWhereTheMenuSaysIt) {
  const std::string dns3 = std::string(kPublicDns) + " 3";
  const std::string dns1 = std::string(kPublicDns) + " 1";
  const std::vector<Scenario> scenarios = {
      {"PC without an address", [](Check& c) { c.router.Pc().adapters.clear(); },
       AdvancedStatusOutcome::kPcAddressFails, false, false, false, {}},
      {"PC with a link-local address only",
       [](Check& c) { c.router.Pc().adapters = {SimHostNetwork::Adapter("eth0", "169.254.7.7")}; },
       AdvancedStatusOutcome::kPcAddressFails, false, false, false, {}},
      {"no router answers", [](Check& c) { c.router.Sim().Stop(); }, AdvancedStatusOutcome::kNoRouter, true, false,
       false, {}},
      {"fixed address outside the router's network",
       [](Check& c) { c.router.Pc().adapters = {SimHostNetwork::Adapter("eth0", "10.77.0.5", "10.77.0.1", false)}; },
       AdvancedStatusOutcome::kPcCannotReachRouter, false, false, false, {}},
      {"fixed address in the router's network, another gateway",
       [](Check& c) {
         c.router.Pc().adapters = {SimHostNetwork::Adapter("eth0", "127.0.0.10", "127.0.0.99", false)};
       },
       AdvancedStatusOutcome::kPcCannotReachRouter, false, false, false, {}},
      {"login refused",
       [](Check& c) {
         c.router.Sim().WithState([](RouterSimState& s) {
           s.flavour = LoginFlavour::kForm;
           s.loginWord = "secret";
         });
         c.typed = "wrong";
       },
       AdvancedStatusOutcome::kLoginRefused, true, false, false, {}},
      {"login prompt cancelled",
       [](Check& c) {
         c.router.Sim().WithState([](RouterSimState& s) {
           s.flavour = LoginFlavour::kBasic;
           s.loginWord = "secret";
         });
         c.cancelPrompt = true;
       },
       AdvancedStatusOutcome::kLoginCancelled, true, false, false, {}},
      {"form router's word changed, prompt cancelled",
       [](Check& c) {
         c.router.Sim().WithState([](RouterSimState& s) {
           s.flavour = LoginFlavour::kForm;
           s.loginWord = "secret";
         });
         c.cancelPrompt = true;
       },
       AdvancedStatusOutcome::kLoginCancelled, true, false, false, {}},
      // Neither a slow nor a failing router is a refusal: no prompt.
      {"front page closed unanswered",
       [](Check& c) {
         routersim::RouterSimFaults faults;
         faults.closeAtOnce = true;
         faults.match = "GET / ";
         faults.nth = 1;
         c.router.Sim().SetFaults(faults);
       },
       AdvancedStatusOutcome::kRouterSilent, true, false, false, {}},
      {"login answered with an error",
       [](Check& c) {
         c.router.Sim().WithState([](RouterSimState& s) { s.flavour = LoginFlavour::kForm; });
         routersim::RouterSimFaults faults;
         faults.wrongStatus = 500;
         faults.match = "logi";
         c.router.Sim().SetFaults(faults);
       },
       AdvancedStatusOutcome::kRouterError, true, false, false, {}},
      {"WAN status page unreadable",
       [](Check& c) {
         routersim::RouterSimFaults faults;
         faults.wrongStatus = 500;
         faults.match = "rf=0020";
         c.router.Sim().SetFaults(faults);
       },
       AdvancedStatusOutcome::kWanUnreadable, true, true, false, {}},
      {"WAN without gateway or DNS",
       [](Check& c) { c.router.Sim().WithState([](RouterSimState& s) { s.wanCable = false; }); },
       AdvancedStatusOutcome::kWanWithoutAddresses, true, true, false, {dns1}},
      {"public DNS server silent",
       [](Check& c) { c.router.Pc().pings[kPublicDns] = {{PingError::kTimedOut}, 0}; },
       AdvancedStatusOutcome::kPublicDnsSilent, true, true, false, {dns3, dns1}},
      {"fixed address in the router's network with the router as gateway",
       [](Check& c) {
         c.router.Pc().adapters = {SimHostNetwork::Adapter("eth0", "127.0.0.10", "127.0.0.1", false)};
       },
       AdvancedStatusOutcome::kPassed, true, true, true, {dns3}},
      {"everything passes", [](Check&) {}, AdvancedStatusOutcome::kPassed, true, true, true, {dns3}},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    Check c;
    ASSERT_TRUE(c.router.ok()) << c.router.why();
    s.arrange(c);
    const AdvancedStatusResult r = c.Run();
    EXPECT_EQ(r.outcome, s.outcome);
    EXPECT_EQ(r.pcOk, s.pcOk);
    EXPECT_EQ(r.routerOk, s.routerOk);
    EXPECT_EQ(r.internetOk, s.internetOk);
    EXPECT_EQ(c.Pings(), s.pings);
    // The verdicts are waited for 300 ms before anything is asked.
    ASSERT_FALSE(c.narrator.Events().empty());
    EXPECT_EQ(c.narrator.Events().front().kind, RecordingNarrator::Kind::kPause);
    EXPECT_EQ(c.narrator.Events().front().value, kStatusStartPauseMs);
    // A PC that cannot reach the router is never asked for the word and
    // never logs in.
    if (s.outcome == AdvancedStatusOutcome::kPcCannotReachRouter) {
      EXPECT_EQ(c.prompts, 0);
      EXPECT_FALSE(r.probed);
      EXPECT_TRUE(c.router.Requests().empty());
    }
    if (s.outcome == AdvancedStatusOutcome::kLoginCancelled) {
      EXPECT_EQ(c.prompts, 1);
    }
    if (s.outcome == AdvancedStatusOutcome::kRouterSilent || s.outcome == AdvancedStatusOutcome::kRouterError) {
      EXPECT_EQ(c.prompts, 0);
      EXPECT_EQ(c.state.loginPassword.view(), kDefaultLoginWord);
    }
  }
}

TEST(AdvancedStatusStep, TheTypedWordLogsInToAFormRouter) {
  Check c;
  ASSERT_TRUE(c.router.ok()) << c.router.why();
  c.router.Sim().WithState([](RouterSimState& s) {
    s.flavour = LoginFlavour::kForm;
    s.loginWord = "secret";
  });
  c.typed = "secret";
  const AdvancedStatusResult r = c.Run();
  EXPECT_EQ(r.outcome, AdvancedStatusOutcome::kPassed);
  EXPECT_EQ(c.prompts, 1);
  EXPECT_EQ(c.state.loginPassword.view(), "secret");
  EXPECT_EQ(c.state.basicAuthLogin, 0);
  EXPECT_TRUE(c.step.LoggedIn());
  EXPECT_FALSE(c.step.BasicAuth());
  // A form router is probed on every check: the login is not carried over.
  const AdvancedStatusResult again = c.Run();
  EXPECT_TRUE(again.probed);
  EXPECT_EQ(again.outcome, AdvancedStatusOutcome::kPassed);
}

TEST(AdvancedStatusStep, BasicRouterTakesTheTypedWordAsUserWithAnEmptyPassword) {
  Check c;
  ASSERT_TRUE(c.router.ok()) << c.router.why();
  c.router.Sim().WithState([](RouterSimState& s) {
    s.flavour = LoginFlavour::kBasic;
    s.loginWord = "admin7";
  });
  c.typed = "admin7";
  const AdvancedStatusResult r = c.Run();
  EXPECT_EQ(r.outcome, AdvancedStatusOutcome::kPassed);
  EXPECT_EQ(c.prompts, 1);
  EXPECT_EQ(c.state.loginUser.view(), "admin7");
  EXPECT_EQ(c.state.loginPassword.view(), "");
  EXPECT_EQ(c.state.basicAuthLogin, 1);
  EXPECT_TRUE(c.step.BasicAuth());
}

TEST(AdvancedStatusStep, BasicLoginIsCarriedOverBetweenChecksAndProbedAgainAfterActivation) {
  Check c;
  ASSERT_TRUE(c.router.ok()) << c.router.why();
  c.router.Sim().WithState([](RouterSimState& s) { s.flavour = LoginFlavour::kBasic; });
  c.step.OnActivation();
  const AdvancedStatusResult first = c.Run();
  ASSERT_EQ(first.outcome, AdvancedStatusOutcome::kPassed);
  EXPECT_TRUE(first.probed);
  EXPECT_EQ(c.prompts, 0);  // the factory credentials open it
  // ...and the flavour is recorded although nobody typed a word, so a word
  // stored later (a password change) becomes the user name.
  EXPECT_EQ(c.state.basicAuthLogin, 1);

  // The second check logs in directly: no probe, so half the front-page
  // requests of the first one.
  const int firstFrontPages = c.FrontPageRequests();
  const AdvancedStatusResult second = c.Run();
  EXPECT_FALSE(second.probed);
  EXPECT_EQ(c.FrontPageRequests() - firstFrontPages, firstFrontPages / 2);
  EXPECT_EQ(second.outcome, AdvancedStatusOutcome::kPassed);

  // Back on the menu after leaving it: the probe runs again.
  c.step.OnActivation();
  EXPECT_FALSE(c.step.LoggedIn());
  EXPECT_FALSE(c.step.BasicAuth());
  const AdvancedStatusResult third = c.Run();
  EXPECT_TRUE(third.probed);
  EXPECT_EQ(third.outcome, AdvancedStatusOutcome::kPassed);
}

TEST(AdvancedStatusStep, AFailedLoginIsNotCarriedOver) {
  Check c;
  ASSERT_TRUE(c.router.ok()) << c.router.why();
  c.router.Sim().WithState([](RouterSimState& s) {
    s.flavour = LoginFlavour::kBasic;
    s.loginWord = "right";
  });
  c.typed = "wrong";
  EXPECT_EQ(c.Run().outcome, AdvancedStatusOutcome::kLoginRefused);
  EXPECT_FALSE(c.step.LoggedIn());
  c.typed = "right";
  const AdvancedStatusResult again = c.Run();
  EXPECT_TRUE(again.probed);
  EXPECT_EQ(c.prompts, 2);
  EXPECT_EQ(again.outcome, AdvancedStatusOutcome::kPassed);
}

}  // namespace
}  // namespace kelvane
