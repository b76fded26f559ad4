// The system tab's password change: the checks of the three entries and the
// credential the wizard logs in with afterwards.
#include <gtest/gtest.h>

#include <string>

#include "steps/advanced/SystemSettingsStep.h"
#include "router/RouterLogin.h"
#include "support/EmulatedRouter.h"

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

TEST(PasswordChange, TheNewWordBecomesTheCredentialByTheRoutersLoginConvention) {
  for (auto flavour : {routersim::LoginFlavour::kBasic, routersim::LoginFlavour::kForm}) {
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([&](routersim::RouterSimState& s) { s.flavour = flavour; });
    WizardState state;
    ResetRouterDefaults(state);
    router.Found(state);
    std::uint8_t basic = 0;
    ProbeLoginMethod(state.routerAddress.str(), state.loginUser.str(), state.loginPassword.str(), basic);
    state.basicAuthLogin = basic;
    // The change itself logs in to nothing: on the tab, an earlier action did.
    ASSERT_TRUE(LoginToRouter(state.routerAddress.str(), state.loginUser.str(), state.loginPassword.str()));

    EXPECT_FALSE(ChangeRouterPasswordAndLogin("wrong", "n3w", state));
    EXPECT_EQ(state.loginPassword.view(), kDefaultLoginWord);  // unchanged after a refusal

    ASSERT_TRUE(ChangeRouterPasswordAndLogin(kDefaultLoginWord, "n3w", state));
    EXPECT_EQ(router.Sim().StateCopy().loginWord, "n3w");
    if (flavour == routersim::LoginFlavour::kBasic) {
      EXPECT_EQ(state.loginUser.view(), "n3w");
      EXPECT_EQ(state.loginPassword.view(), "");
    } else {
      EXPECT_EQ(state.loginPassword.view(), "n3w");
    }
    EXPECT_TRUE(LoginToRouter(state.routerAddress.str(), state.loginUser.str(), state.loginPassword.str()));
  }
}

}  // namespace
}  // namespace kelvane
