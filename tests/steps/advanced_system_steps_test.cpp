// The system tab's password change: the checks of the three entries and the
// credential the wizard logs in with afterwards.
#include <gtest/gtest.h>

#include <string>

#include "steps/advanced/RouterAccess.h"
#include "steps/advanced/SystemSettingsStep.h"
#include "router/RouterLogin.h"
#include "support/EmulatedRouter.h"
#include "support/RouterSettingsCheck.h"

namespace kelvane {
namespace {

TEST(PasswordChange, EntriesAreCheckedTogetherAndOnlyPairingFaultsShowTheError) {
  struct Case {
    const char *current, *next, *confirm;
    bool currentOk, newOk, confirmOk, showError;
  };
  const Case cases[] = {
      {"kwzpo", "n3w", "n3w", true, true, true, false},
      {"kwzpo", "123456789", "123456789", true, true, true, false},     // 9: the longest
      {"kwzpo", "1234567890", "1234567890", true, false, false, false},  // 10: too long, labels only
      {"", "n3w", "n3w", false, true, true, false},                      // empty current
      {"kwzpo", "kwzpo", "kwzpo", true, false, false, true},             // new repeats current
      {"kwzpo", "n3w", "n3x", true, true, false, true},                  // confirmation differs
      {"kwzpo", "tab\there", "tab\there", true, false, false, false},    // not printable
      {"", "", "", false, false, false, false},
  };
  for (const Case& c : cases) {
    const PasswordCheck r = CheckPasswordChange(c.current, c.next, c.confirm);
    const std::string what = std::string(c.current) + "|" + c.next + "|" + c.confirm;
    EXPECT_EQ(r.currentOk, c.currentOk) << what;
    EXPECT_EQ(r.newOk, c.newOk) << what;
    EXPECT_EQ(r.confirmOk, c.confirmOk) << what;
    EXPECT_EQ(r.showError, c.showError) << what;
    EXPECT_EQ(r.Passed(), c.currentOk && c.newOk && c.confirmOk) << what;
  }
}

// The state is reached by the program's own steps (the tab's search and login
// with the factory word, no prompt): the login records the flavour, so the new
// word lands where this router expects it and the next login works. On a
// Basic router a word with a ":" is refused before anything is sent.
TEST(PasswordChange, TheNewWordBecomesTheCredentialByTheRoutersLoginConvention) {
  for (auto flavour :
       {routersim::LoginFlavour::kBasic, routersim::LoginFlavour::kForm, routersim::LoginFlavour::kOpen}) {
    SCOPED_TRACE(static_cast<int>(flavour));
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([&](routersim::RouterSimState& s) { s.flavour = flavour; });
    WizardState state;
    ResetRouterDefaults(state);
    ASSERT_EQ(ReachRouter(state, router.Pc()), RouterAccessOutcome::kReady);

    EXPECT_FALSE(ChangeRouterPasswordAndLogin("wrong", "n3w", state));
    EXPECT_EQ(ChangePasswordAndLogin("wrong", "n3w", state), PasswordChangeOutcome::kCurrentRefused);
    // A router that closes the connection refused no word; one that answers
    // as usual but drops the change still holds the old word, which the
    // program keeps. An open router's login takes any word, so its dropped
    // change cannot be seen: its answer is taken as it is (the word gates
    // nothing there, and asking it for more would send a change nobody asked
    // for).
    const bool open = flavour == routersim::LoginFlavour::kOpen;
    for (const bool close : {true, false}) {
      routersim::RouterSimFaults faults;
      faults.match = "cgi-bin/pass";
      faults.nth = 1;
      faults.closeAtOnce = close;
      faults.ignoreQuietly = !close;
      router.Sim().SetFaults(faults);
      EXPECT_EQ(ChangePasswordAndLogin(kDefaultLoginWord, "n3w", state),
                close  ? PasswordChangeOutcome::kRouterSilent
                : open ? PasswordChangeOutcome::kChanged
                       : PasswordChangeOutcome::kRouterError)
          << close;
      router.Sim().SetFaults({});
      EXPECT_EQ(router.Sim().StateCopy().loginWord, kDefaultLoginWord) << close;
      EXPECT_EQ(ReachRouter(state, router.Pc()), RouterAccessOutcome::kReady) << close;
    }

    const bool basic = flavour == routersim::LoginFlavour::kBasic;
    const PasswordCheck colon = CheckPasswordChange(kDefaultLoginWord, "a:b", "a:b", state);
    EXPECT_EQ(colon.Passed(), !basic);
    EXPECT_EQ(colon.colonRefused, basic);
    if (basic) {
      router.Sim().ClearLog();
      EXPECT_EQ(ChangePasswordAndLogin(kDefaultLoginWord, "a:b", state), PasswordChangeOutcome::kWordUnfit);
      EXPECT_TRUE(router.Requests().empty());
      EXPECT_EQ(router.Sim().StateCopy().loginWord, kDefaultLoginWord);
    }

    ASSERT_TRUE(ChangeRouterPasswordAndLogin(kDefaultLoginWord, "n3w", state));
    EXPECT_EQ(router.Sim().StateCopy().loginWord, "n3w");
    if (basic) {
      EXPECT_EQ(state.loginUser.view(), "n3w");
      EXPECT_EQ(state.loginPassword.view(), "");
    } else {
      EXPECT_EQ(state.loginPassword.view(), "n3w");
    }
    EXPECT_EQ(ReachRouter(state, router.Pc()), RouterAccessOutcome::kReady);
  }
}

// From a router on each WAN type and security mode, in each page layout and
// login flavour, a password change changes the login word and nothing else,
// and the router is still reachable with the word the program now holds.
TEST(PasswordChange, FromEveryStartingRouterOnlyTheLoginWordChanges) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  for (routersim::PageLayout layout : test::kAllLayouts) {
    for (std::size_t row = 0; row < test::RouterStarts().size(); ++row) {
      const test::RouterStart& start = test::RouterStarts()[row];
      const std::string what = start.name + "/" + routersim::PageLayoutName(layout);
      WizardState state;
      ASSERT_TRUE(test::StartAndConnect(router, start, layout, test::StartFlavour(row + 1), state,
                                        [](routersim::RouterSimState& s) { s.loginWord = kDefaultLoginWord; }))
          << what;
      const test::SettingsWatch watch(router.Sim());
      EXPECT_EQ(ChangePasswordAndLogin(kDefaultLoginWord, "n3w", state), PasswordChangeOutcome::kChanged) << what;
      EXPECT_EQ(watch.Unexpected({{"login.word", "n3w"}}), "") << what;
      EXPECT_TRUE(test::StillReachable(state)) << what;
    }
  }
}

}  // namespace
}  // namespace kelvane
