// The LAN tab's store and the PC following the router into a new network,
// against the emulator and a simulated PC.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "net/Wait.h"
#include "steps/advanced/LanSettingsStep.h"
#include "steps/advanced/RouterMove.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "router/WanSettingsReader.h"
#include "router/WirelessLanCommands.h"
#include "steps/advanced/SystemSettingsStep.h"
#include "support/EmulatedRouter.h"
#include "support/RouterSettingsCheck.h"

namespace kelvane {
namespace {

class LanSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(router_.ok()) << router_.why();
    ResetRouterDefaults(state_);
    ASSERT_TRUE(router_.Connect(state_));
    router_.Sim().ClearLog();
  }
  routersim::RouterSimState Router() { return router_.Sim().StateCopy(); }
  test::EmulatedRouter router_;
  WizardState state_;
};

TEST_F(LanSteps, StoreChecksBothFieldsAtOnceAndSendsOnlyWhatPasses) {
  const std::string longest(31, 'd');
  struct Case {
    std::string address, domain;
    bool addressOk, domainOk;
    LanStoreOutcome outcome;
    std::string storedDomain;  // what the router holds afterwards
    std::string sent = {};             // the address sent, when not `address` itself
    const char* thrownAway = nullptr;  // the command the router answers but throws away
  };
  const Case cases[] = {
      {"192.168.50.1", "  home.lan  ", true, true, LanStoreOutcome::kStored, "home.lan"},
      {"192.168.50.1", "", true, true, LanStoreOutcome::kStored, ""},
      {"192.168.50.1", longest, true, true, LanStoreOutcome::kStored, longest},
      {"192.168.50.1", longest + "d", true, false, LanStoreOutcome::kInvalidInput, "before"},
      {"192.168.50", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"192.168.50.256", longest + "d", false, false, LanStoreOutcome::kInvalidInput, "before"},
      {"192.168.50.1", "tab\there", true, false, LanStoreOutcome::kInvalidInput, "before"},
      // Addresses that leave the LAN unreachable.
      {"192.168.50.0", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"192.168.50.255", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"0.0.0.0", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"255.255.255.255", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"127.0.0.1", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"224.0.0.1", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"239.1.2.3", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"192.168.001.010", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"192.168.123.0", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      // Blanks around the address are stripped, as in the easy pages' fields.
      {" 192.168.50.1\t ", "home", true, true, LanStoreOutcome::kStored, "home", "192.168.50.1"},
      {" 192.168.50.0 ", "home", false, true, LanStoreOutcome::kInvalidInput, "before"},
      {"10.0.0.1", "home", true, true, LanStoreOutcome::kStored, "home"},
      {"172.16.5.254", "home", true, true, LanStoreOutcome::kStored, "home"},
      // Answered all the same: the forms read back show the command was not taken.
      {"192.168.50.1", "home", true, true, LanStoreOutcome::kAddressRefused, "before", "", "/cgi-bin/prim?"},
      {"192.168.50.1", "home", true, true, LanStoreOutcome::kDomainRefused, "before", "", "/cgi-bin/dhcp?"},
  };
  for (const Case& c : cases) {
    router_.Sim().WithState([](routersim::RouterSimState& s) {
      s.domainName = "before";
      s.pendingLanAddress.clear();
    });
    router_.Sim().ClearLog();
    routersim::RouterSimFaults ignore;
    if (c.thrownAway != nullptr) {
      ignore.match = c.thrownAway;
      ignore.ignoreQuietly = true;
    }
    router_.Sim().SetFaults(ignore);
    const LanStoreResult r = StoreLanSettings(c.address, c.domain, true, state_);
    router_.Sim().SetFaults({});
    EXPECT_EQ(r.addressOk, c.addressOk) << c.address << "|" << c.domain;
    EXPECT_EQ(r.domainOk, c.domainOk) << c.address << "|" << c.domain;
    EXPECT_EQ(r.outcome, c.outcome) << c.address << "|" << c.domain;
    EXPECT_EQ(Router().domainName, c.storedDomain) << c.address << "|" << c.domain;
    if (c.outcome == LanStoreOutcome::kInvalidInput) {
      EXPECT_TRUE(router_.Requests().empty()) << "nothing is sent for wrong input";
      // The result line names the field that is wrong (the address first).
      EXPECT_EQ(LanStoreMessage(r), c.addressOk ? kIdLanDomainUnusable : kIdLanAddressUnusable) << c.address;
    } else if (c.outcome == LanStoreOutcome::kAddressRefused) {
      EXPECT_EQ(Router().pendingLanAddress, "") << c.address;
    } else {
      EXPECT_EQ(Router().pendingLanAddress, c.sent.empty() ? c.address : c.sent);
      if (c.outcome == LanStoreOutcome::kStored) {
        EXPECT_EQ(r.address, Router().pendingLanAddress);
        EXPECT_EQ(state_.lanDomainName.view(), c.storedDomain);
      }
    }
  }
}

// From a router on each WAN type and security mode, in each page layout and
// login flavour, the tab's store changes the pending address and the domain
// and nothing else, and the router is still reachable with what the program
// holds.
TEST_F(LanSteps, AStoreFromEveryStartingRouterChangesOnlyTheAddressAndDomain) {
  for (routersim::PageLayout layout : test::kAllLayouts) {
    for (std::size_t row = 0; row < test::RouterStarts().size(); ++row) {
      const test::RouterStart& start = test::RouterStarts()[row];
      const std::string what = start.name + "/" + routersim::PageLayoutName(layout);
      WizardState state;
      ASSERT_TRUE(test::StartAndConnect(router_, start, layout, test::StartFlavour(row), state,
                                        [](routersim::RouterSimState& s) { s.pendingLanAddress.clear(); }))
          << what;
      std::string domain;
      ASSERT_EQ(ReadLanDomainName(state, domain), LanDomainRead::kRead) << what;
      const test::SettingsWatch watch(router_.Sim());
      EXPECT_EQ(StoreLanSettings("192.168.50.1", "office", true, state).outcome, LanStoreOutcome::kStored) << what;
      EXPECT_EQ(watch.Unexpected({{"lan.pendingAddress", "192.168.50.1"}, {"lan.domain", "office"}}), "") << what;
      EXPECT_TRUE(test::StillReachable(state)) << what;
    }
  }
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.flavour = routersim::LoginFlavour::kOpen; });
}

TEST_F(LanSteps, AnAddressTheRouterRefusesKeepsTheDomainFromBeingSent) {
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.domainName = "before"; });
  routersim::RouterSimFaults refuse;
  refuse.wrongStatus = 500;
  refuse.match = "cgi-bin/prim";
  router_.Sim().SetFaults(refuse);
  router_.Sim().ClearLog();
  const LanStoreResult r = StoreLanSettings("192.168.50.1", "other", true, state_);
  EXPECT_EQ(r.outcome, LanStoreOutcome::kAddressRefused);
  EXPECT_EQ(Router().domainName, "before");
  for (const std::string& line : router_.Requests()) EXPECT_EQ(line.find("cgi-bin/dhcp"), std::string::npos) << line;
}

// A domain whose read failed was never shown: storing the address keeps the
// router's domain as it is.
TEST_F(LanSteps, ADomainNotShownIsNotSent) {
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.domainName = "office"; });
  router_.Sim().ClearLog();
  const LanStoreResult r = StoreLanSettings("192.168.50.1", "", false, state_);
  EXPECT_EQ(r.outcome, LanStoreOutcome::kStored);
  EXPECT_EQ(Router().domainName, "office");
  EXPECT_EQ(Router().pendingLanAddress, "192.168.50.1");
  for (const std::string& line : router_.Requests()) EXPECT_EQ(line.find("cgi-bin/dhcp"), std::string::npos) << line;
}

TEST_F(LanSteps, DomainReadHasThreeOutcomes) {
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.domainName = "office"; });
  std::string name;
  EXPECT_EQ(ReadLanDomainName(state_, name), LanDomainRead::kRead);
  EXPECT_EQ(name, "office");
  EXPECT_EQ(state_.lanDomainName.view(), "office");
  router_.Sim().Stop();
  EXPECT_EQ(ReadLanDomainName(state_, name), LanDomainRead::kFetchFailed);
  EXPECT_TRUE(state_.lanDomainName.empty());
}

TEST_F(LanSteps, ThePcFollowsTheRouterAndTalksToItAtItsNewAddress) {
  SimHostNetwork& pc = router_.Pc();
  state_.routerAddress = "192.168.123.254";  // where the router was before its restart
  RecordingNarrator narrator;
  const RouterMoveReport r = FollowRouterToNewNetwork(state_, pc, narrator);
  EXPECT_TRUE(r.released);
  EXPECT_TRUE(r.renewed);
  EXPECT_TRUE(r.Followed());
  EXPECT_EQ(state_.routerAddress.view(), router_.Address());
  EXPECT_EQ(pc.CountCalls("ReleaseAllAdapters"), 1);
  EXPECT_EQ(pc.CountCalls("RenewAllAdapters"), 1);
  EXPECT_EQ(narrator.PausedMs(), static_cast<std::uint64_t>(kAfterRenewPauseMs));

  // A renewal that fails takes no pause; a PC left without an address ends it.
  pc.renewResults["eth0"] = false;
  RecordingNarrator quiet;
  const RouterMoveReport lost = FollowRouterToNewNetwork(state_, pc, quiet);
  EXPECT_FALSE(lost.renewed);
  EXPECT_EQ(quiet.PausedMs(), 0u);
  EXPECT_FALSE(lost.pcAddress);
  EXPECT_FALSE(lost.Followed());
}

// The recording narrator's clock, with real pauses (cut short) beside it: a
// restarting router takes real time to come back.
class PacedNarrator : public RecordingNarrator {
 public:
  void Pause(int ms) override {
    RecordingNarrator::Pause(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 300)));
  }
};

// A restart follows the router only when a move is pending (a new LAN
// address stored, a factory reset), waits for it to leave first, and keeps
// the move pending until the PC really followed. A router reset to its
// factory settings has its factory login word again, whatever word the user
// had given it: the PC logs in with that word and keeps it.
TEST_F(LanSteps, ARestartFollowsOnlyAPendingMoveAndKeepsItUntilThePcFollowed) {
  using routersim::LoginFlavour;
  struct Case {
    const char* name;
    bool pending;
    bool renews;
    bool followed;   // RouterRestartReport::Ok()
    int renewals;
    bool stillPending;
    LoginFlavour flavour = LoginFlavour::kOpen;
    const char* changedWord = nullptr;  // the login word the user gave the router before
    bool factoryReset = false;          // the pending move is a factory reset
    bool neverBack = false;             // the router does not come back from the restart (the last row)
    bool throwsAway = false;            // the router answers the command and does not restart
  };
  const Case cases[] = {
      {"nothing pending", false, true, true, 0, false},
      {"a new address", true, true, true, 1, false},
      {"a renewal that fails", true, false, false, 1, true},
      {"a new address on a Basic router", true, true, true, 1, false, LoginFlavour::kBasic},
      {"a new address on a form router with a changed word", true, true, true, 1, false, LoginFlavour::kForm, "n3w"},
      {"a restart of a form router with a changed word", false, true, true, 0, false, LoginFlavour::kForm, "n3w"},
      {"a factory reset of a Basic router with a changed word", true, true, true, 1, false, LoginFlavour::kBasic,
       "n3w", true},
      {"a factory reset of a form router with a changed word", true, true, true, 1, false, LoginFlavour::kForm, "n3w",
       true},
      {"a factory reset of a Basic router with its factory word", true, true, true, 1, false, LoginFlavour::kBasic,
       nullptr, true},
      {"a router that throws the command away", false, true, false, 0, false, LoginFlavour::kOpen, nullptr, false,
       false, true},
      {"a router that never comes back", false, true, false, 0, false, LoginFlavour::kOpen, nullptr, false, true},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WaitUntil(20000, [&] { return !router_.Sim().OffAir(); })) << c.name;
    router_.Sim().WithState([&](routersim::RouterSimState& s) {
      s.flavour = c.flavour;
      s.loginWord = kDefaultLoginWord;
    });
    SimHostNetwork& pc = router_.Pc();
    pc.renewResults["eth0"] = true;
    if (!pc.Released().empty()) {
      ASSERT_TRUE(pc.RenewAllAdapters()) << c.name;  // after a renewal that failed
    }
    // The credentials as the program learns them: its own check and login,
    // then the password change of the system tab.
    ResetRouterDefaults(state_);
    ASSERT_TRUE(router_.Connect(state_)) << c.name;
    if (c.changedWord != nullptr) {
      ASSERT_TRUE(ChangeRouterPasswordAndLogin(kDefaultLoginWord, c.changedWord, state_)) << c.name;
    }
    pc.ClearCalls();
    pc.renewResults["eth0"] = c.renews;
    PendingRouterMove move;
    if (c.factoryReset) {
      ASSERT_TRUE(ResetRouterToDefaults(state_)) << c.name;
      move.FactoryReset();
    } else if (c.pending) {
      move.LanAddressStored("192.168.50.1", state_);
    }
    EXPECT_EQ(move.pending, c.pending) << c.name;
    routersim::RouterSimFaults fault;
    fault.restartNeverReturns = c.neverBack;
    if (c.throwsAway) {
      fault.ignoreQuietly = true;
      fault.match = "rebo";
    }
    router_.Sim().SetFaults(fault);
    // Waiting out a bound needs no real time.
    PacedNarrator paced;
    RecordingNarrator quick;
    Narrator& narrator = c.neverBack || c.throwsAway ? static_cast<Narrator&>(quick) : paced;
    const std::uint64_t began = narrator.NowMs();
    const RouterRestartReport r = RestartRouterAndFollow(state_, pc, narrator, move);
    router_.Sim().SetFaults({});
    EXPECT_TRUE(r.restarted) << c.name;
    EXPECT_EQ(r.moveTried, c.pending) << c.name;
    // Not over until the router left (and, with nothing to follow, came back).
    EXPECT_EQ(r.routerLeft, !c.throwsAway) << c.name;
    EXPECT_EQ(r.routerBack, !c.pending && !c.neverBack && !c.throwsAway) << c.name;
    EXPECT_EQ(r.NotBack(), c.neverBack) << c.name;
    EXPECT_EQ(r.Ignored(), c.throwsAway) << c.name;
    if (c.neverBack) {
      EXPECT_GE(narrator.NowMs() - began, static_cast<std::uint64_t>(kRouterBackWaitMs)) << c.name;
    } else if (c.throwsAway) {
      EXPECT_GE(narrator.NowMs() - began, static_cast<std::uint64_t>(kRouterLeaveWaitMs)) << c.name;
    } else if (!c.pending) {
      EXPECT_FALSE(router_.Sim().OffAir()) << c.name << ": over while the router was still away";
    }
    EXPECT_EQ(r.Ok(), c.followed) << c.name;
    EXPECT_EQ(r.move.factoryWord, c.factoryReset && c.changedWord != nullptr) << c.name;
    EXPECT_EQ(pc.CountCalls("RenewAllAdapters"), c.renewals) << c.name;
    EXPECT_EQ(move.pending, c.stillPending) << c.name;
    if (!c.followed) continue;
    // Still reachable: a fresh login with what the program holds, and a page
    // read at the address it holds (once the restart is over).
    EXPECT_TRUE(test::StillReachable(state_)) << c.name;
  }
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.flavour = routersim::LoginFlavour::kOpen; });
  // The address in use is no move.
  PendingRouterMove same;
  same.LanAddressStored(state_.routerAddress.str(), state_);
  EXPECT_FALSE(same.pending);
}

}  // namespace
}  // namespace kelvane
