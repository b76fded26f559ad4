// Reaching the router before an action of the router sheet, against the
// emulator in this process: the support every page test stands on.
#include <gtest/gtest.h>

#include "steps/advanced/RouterAccess.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

TEST(RouterAccess, FindsTheEmulatorLogsInAndNamesWhatFailed) {
  for (auto flavour : {routersim::LoginFlavour::kBasic, routersim::LoginFlavour::kForm}) {
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([&](routersim::RouterSimState& s) { s.flavour = flavour; });
    WizardState state;
    ResetRouterDefaults(state);
    EXPECT_EQ(ReachRouter(state, router.Pc()), RouterAccessOutcome::kReady);
    EXPECT_EQ(state.routerAddress.view(), router.Address());
  }

  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  router.Sim().WithState([](routersim::RouterSimState& s) {
    s.flavour = routersim::LoginFlavour::kForm;
    s.loginWord = "secret";
  });
  WizardState state;
  ResetRouterDefaults(state);
  EXPECT_EQ(ReachRouter(state, router.Pc()), RouterAccessOutcome::kLoginRefused);
  EXPECT_FALSE(RetryLoginWithWord("wrong", state));
  EXPECT_TRUE(RetryLoginWithWord("secret", state));

  router.Pc().adapters.clear();
  EXPECT_EQ(ReachRouter(state, router.Pc()), RouterAccessOutcome::kNoPcAddress);
}

TEST(RouterAccess, NoRouterWhenNothingAnswersTheProbe) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  router.Sim().Stop();
  WizardState state;
  ResetRouterDefaults(state);
  EXPECT_EQ(ReachRouter(state, router.Pc()), RouterAccessOutcome::kNoRouter);
  EXPECT_TRUE(state.routerAddress.empty());
}

}  // namespace
}  // namespace kelvane
