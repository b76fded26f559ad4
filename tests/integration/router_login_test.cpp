// Login flavours, the credential convention and the password change, against
// the emulated router.
#include "router/RouterLogin.h"

#include <gtest/gtest.h>

#include "router/RouterRequest.h"
#include "router_test_fixture.h"

namespace kelvane {
namespace {

using routersim::LoginFlavour;

class RouterLoginTest : public testing::LayoutRouterSimTest {
 protected:
  std::string Address() const { return state_.routerAddress.str(); }
  std::string Heads(std::size_t i) const { return sim_->RequestHeads().at(i); }
};

TEST_P(RouterLoginTest, OpenRouterNeedsNoCredentials) {
  std::uint8_t flag = 7;
  EXPECT_TRUE(ProbeLoginMethod(Address(), "kwzpo", "kwzpo", flag));
  EXPECT_EQ(flag, 0);
  EXPECT_TRUE(LoginToRouter(Address(), "kwzpo", "kwzpo"));
  // One unauthenticated request each, no form login.
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Get("/"));
  EXPECT_EQ(lines[1], Get("/"));
  EXPECT_EQ(Heads(0).find("Authorization"), std::string::npos);
}

TEST_P(RouterLoginTest, BasicRouterTakesTheLoginWordAsUserName) {
  SetFlavour(LoginFlavour::kBasic);
  std::uint8_t flag = 0;
  // The start-up credentials: user kwzpo (the word), password kwzpo.
  EXPECT_TRUE(ProbeLoginMethod(Address(), "kwzpo", "kwzpo", flag));
  EXPECT_EQ(flag, 1);
  // By the convention: the word as user name, empty password.
  EXPECT_TRUE(ProbeLoginMethod(Address(), "kwzpo", "", flag));
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(LoginToRouter(Address(), "kwzpo", ""));
  const auto heads = sim_->RequestHeads();
  ASSERT_EQ(heads.size(), 6u);  // probe: plain + auth, twice; login: plain + auth
  EXPECT_NE(heads[5].find("Authorization: Basic a3d6cG86"), std::string::npos);  // "kwzpo:"
}

TEST_P(RouterLoginTest, BasicRouterWrongWordStillSaysBasic) {
  SetFlavour(LoginFlavour::kBasic);
  std::uint8_t flag = 9;
  // The router demanded Basic credentials; these ones it refused.
  EXPECT_FALSE(ProbeLoginMethod(Address(), "wrong", "", flag));
  EXPECT_EQ(flag, 1);
  EXPECT_FALSE(LoginToRouter(Address(), "wrong", ""));
  // The Basic router never sees a form login.
  for (const auto& line : Lines()) EXPECT_EQ(line.find("logi"), std::string::npos) << line;
}

// A Basic router whose login word was changed: the probe with the start-up
// credentials fails but says Basic, so the word the user then types becomes
// the user name with an empty password, and logs in.
TEST_P(RouterLoginTest, BasicRouterWithChangedWordTakesTheTypedWordAsUserName) {
  SetFlavour(LoginFlavour::kBasic);
  Router([](routersim::RouterSimState& s) { s.loginWord = "s3cret"; });
  std::uint8_t flag = 0;
  EXPECT_FALSE(ProbeLoginMethod(state_, flag));
  EXPECT_EQ(state_.basicAuthLogin, 1);
  StoreLoginWord("s3cret", state_);
  EXPECT_EQ(state_.loginUser, "s3cret");
  EXPECT_EQ(state_.loginPassword, "");
  EXPECT_TRUE(ProbeLoginMethod(Address(), state_.loginUser.str(), state_.loginPassword.str(), flag));
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(LoginToRouter(Address(), state_.loginUser.str(), state_.loginPassword.str()));
  EXPECT_NE(sim_->RequestHeads().back().find("Authorization: Basic czNjcmV0Og=="), std::string::npos);  // "s3cret:"
}

TEST(RouterLoginCannedTest, BasicRouterPageWithAlertFailsWithFlagSet) {
  testing::CannedServer server([](const std::string& head) -> std::string {
    if (head.find("Authorization:") == std::string::npos) {
      return "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n\r\n";
    }
    return testing::CannedServer::Ok("<SCRIPT>alert(\"Router busy\");</SCRIPT>");
  });
  std::uint8_t flag = 0;
  EXPECT_FALSE(ProbeLoginMethod(server.Address(), "kwzpo", "", flag));
  EXPECT_EQ(flag, 1);
  EXPECT_FALSE(LoginToRouter(server.Address(), "kwzpo", ""));
}

TEST(RouterLoginCannedTest, OpenPageWithoutMarkerFallsBackToFormLogin) {
  // 404 without WWW-Authenticate on the front page: the form login follows.
  testing::CannedServer server([](const std::string& head) -> std::string {
    if (head.rfind("GET / ", 0) == 0) return "HTTP/1.0 404 Not Found\r\n\r\n";
    return testing::CannedServer::Ok("<HTML>menu</HTML>");
  });
  EXPECT_TRUE(LoginToRouter(server.Address(), "kwzpo", "p w"));
  const auto lines = server.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "GET /cgi-bin/logi?rc=@&PS=p%20w&rd=menu HTTP/1.0");
}

TEST(RouterLoginCannedTest, PasswordChangeRefusedInAnyCase) {
  testing::CannedServer server(
      [](const std::string&) { return testing::CannedServer::Ok("<script>History.Go(-1)</script>"); });
  WizardState state;
  ResetRouterDefaults(state);
  state.routerAddress = server.Address();
  EXPECT_FALSE(ChangeRouterPassword("kwzpo", "new", state));
  EXPECT_EQ(state.loginPassword, "kwzpo");
}

TEST_P(RouterLoginTest, FormRouterLogsInWithThePassword) {
  SetFlavour(LoginFlavour::kForm);
  std::uint8_t flag = 5;
  // Open page without the marker: the form login is needed.
  EXPECT_FALSE(ProbeLoginMethod(Address(), "kwzpo", "kwzpo", flag));
  EXPECT_EQ(flag, 0);
  EXPECT_FALSE(LoginToRouter(Address(), "kwzpo", "wrong"));
  EXPECT_FALSE(sim_->StateCopy().formLoggedIn);
  EXPECT_TRUE(LoginToRouter(Address(), "kwzpo", "kwzpo"));
  EXPECT_TRUE(sim_->StateCopy().formLoggedIn);
  const auto lines = Lines();
  EXPECT_EQ(lines.back(), Get("/cgi-bin/logi?rc=@&PS=kwzpo&rd=menu"));
  EXPECT_EQ(lines[lines.size() - 3], Get("/cgi-bin/logi?rc=@&PS=wrong&rd=menu"));
  // The form login is a plain GET.
  EXPECT_EQ(sim_->RequestHeads().back().find("Authorization"), std::string::npos);
}

// A form-login router serves its pages openly and takes commands only after
// the login, before and after a restart alike (a restart forgets the login).
TEST_P(RouterLoginTest, FormRouterServesPagesOpenlyAndCommandsNeedTheLogin) {
  SetFlavour(LoginFlavour::kForm);
  std::string page;
  for (int restarts = 0; restarts < 2; ++restarts) {
    EXPECT_TRUE(RouterGetPage(Address() + "/prim.htm", "kwzpo", "kwzpo", page)) << restarts;
    EXPECT_EQ(page.find(";login=false;"), std::string::npos) << restarts;
    EXPECT_FALSE(RouterGetPage(Address() + "/cgi-bin/dhcp?rc=@&rd=zero&HD=x&ai=0", "kwzpo", "kwzpo", page));
    EXPECT_NE(page.find(";login=false;"), std::string::npos) << restarts;
    EXPECT_EQ(sim_->StateCopy().domainName, "") << restarts;
    ASSERT_TRUE(LoginToRouter(Address(), "kwzpo", "kwzpo"));
    EXPECT_TRUE(RouterGetPage(Address() + "/cgi-bin/dhcp?rc=@&rd=zero&HD=x&ai=0", "kwzpo", "kwzpo", page));
    EXPECT_EQ(sim_->StateCopy().domainName, "x") << restarts;
    Router([](routersim::RouterSimState& s) {
      s.CompleteRestart(0);
      s.domainName.clear();
    });
  }
}

// The router layer keeps the session: a command answered with the login form
// (the router restarted and forgot the login) logs in once with the
// credentials held and is sent once more; a refused login ends it there.
TEST_P(RouterLoginTest, ACommandAfterTheRouterForgotTheLoginLogsInOnceAndIsSentAgain) {
  SetFlavour(LoginFlavour::kForm);
  ASSERT_TRUE(LoginToRouter(state_));
  Router([](routersim::RouterSimState& s) { s.CompleteRestart(0); });
  sim_->ClearLog();
  const std::string command = "/cgi-bin/dhcp?rc=@&rd=zero&HD=home&ai=0";
  EXPECT_TRUE(RouterSendCommand(state_, RouterUrl(state_, command)));
  EXPECT_EQ(sim_->StateCopy().domainName, "home");
  EXPECT_EQ(Lines(), (std::vector<std::string>{Get(command), Get("/"), Get("/cgi-bin/logi?rc=@&PS=kwzpo&rd=menu"),
                                               Get(command)}));

  // The password change keeps the session the same way.
  Router([](routersim::RouterSimState& s) { s.CompleteRestart(0); });
  EXPECT_TRUE(ChangeRouterPassword("kwzpo", "n3w", state_));
  EXPECT_EQ(sim_->StateCopy().loginWord, "n3w");

  // Credentials the router no longer takes: one login, no second command.
  Router([](routersim::RouterSimState& s) {
    s.CompleteRestart(0);
    s.loginWord = "changed";
  });
  sim_->ClearLog();
  EXPECT_FALSE(RouterSendCommand(state_, RouterUrl(state_, "/cgi-bin/dhcp?rc=@&rd=zero&HD=other&ai=0")));
  EXPECT_EQ(sim_->StateCopy().domainName, "home");
  EXPECT_EQ(Lines().size(), 3u);
  EXPECT_EQ(LastRouterFailure().kind, RouterFailureKind::kLoginRefused);
}

// The login records the flavour it meets, whatever the caller does with the
// result; a router that answers no login at all leaves the flag as it was.
TEST_P(RouterLoginTest, TheLoginRecordsTheFlavourItMeets) {
  const struct {
    LoginFlavour flavour;
    std::uint8_t basic;
  } cases[] = {{LoginFlavour::kBasic, 1}, {LoginFlavour::kForm, 0}, {LoginFlavour::kOpen, 0}};
  for (const auto& c : cases) {
    SetFlavour(c.flavour);
    state_.basicAuthLogin = c.basic ? 0 : 1;
    EXPECT_TRUE(LoginToRouter(state_));
    EXPECT_EQ(state_.basicAuthLogin, c.basic);
    state_.basicAuthLogin = c.basic ? 0 : 1;
    std::uint8_t flag = 0;
    ProbeLoginMethod(state_, flag);
    EXPECT_EQ(state_.basicAuthLogin, c.basic);
  }
  // Nobody listens: nothing learned, nothing refused, and no form login is
  // tried after a front page that never came.
  state_.routerAddress = "127.0.0.1:" + std::to_string(testing::FreeLoopbackPort(SOCK_STREAM));
  state_.basicAuthLogin = 1;
  sim_->ClearLog();
  EXPECT_FALSE(LoginToRouter(state_));
  EXPECT_EQ(state_.basicAuthLogin, 1);
  EXPECT_TRUE(LastLoginUnanswered());
  EXPECT_FALSE(LastLoginRefused());
}

// Passwords holding characters that mean something in a URL: the form login
// and the password change escape them, and the router gets them back intact.
TEST_P(RouterLoginTest, PasswordsWithReservedCharactersSurviveTheUrl) {
  SetFlavour(LoginFlavour::kForm);
  const std::vector<std::string> words = {"a&b=c", "x#y", "50%off", "1+1", "two words", "host:81", "q?r/s"};
  for (const std::string& word : words) {
    sim_->WithState([&](routersim::RouterSimState& s) {
      s.loginWord = word;
      s.formLoggedIn = false;
    });
    EXPECT_TRUE(LoginToRouter(Address(), "kwzpo", word)) << word;
    EXPECT_TRUE(sim_->StateCopy().formLoggedIn) << word;
  }
  EXPECT_EQ(LastLine(), Get("/cgi-bin/logi?rc=@&PS=q%3Fr%2Fs&rd=menu"));
}

TEST_P(RouterLoginTest, PasswordChangeEscapesAndRouterStoresTheWord) {
  state_.loginPassword = "kwzpo";
  EXPECT_TRUE(ChangeRouterPassword("kwzpo", "new pw&=1+2", state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/pass?rc=@&PA=kwzpo&Pa=new%20pw%26%3D1%2B2&P1=new%20pw%26%3D1%2B2&rd=atbox"));
  EXPECT_EQ(sim_->StateCopy().loginWord, "new pw&=1+2");
  // Now the old word is refused ("history.go(-1)").
  EXPECT_FALSE(ChangeRouterPassword("kwzpo", "other", state_));
  EXPECT_EQ(sim_->StateCopy().loginWord, "new pw&=1+2");
}

// The credentials as the program learns them: its probe and login meet the
// Basic challenge, and the new word is stored by that router's convention.
TEST_P(RouterLoginTest, PasswordChangeOnBasicRouterUsesStoredCredentials) {
  SetFlavour(LoginFlavour::kBasic);
  std::uint8_t flag = 0;
  ASSERT_TRUE(ProbeLoginMethod(state_, flag));
  ASSERT_TRUE(LoginToRouter(state_));
  EXPECT_EQ(state_.basicAuthLogin, 1);
  ASSERT_TRUE(ChangeRouterPassword("kwzpo", "fresh", state_));
  StoreLoginWord("fresh", state_);
  EXPECT_TRUE(ProbeLoginMethod(Address(), state_.loginUser.str(), state_.loginPassword.str(), flag));
  EXPECT_FALSE(ProbeLoginMethod(Address(), "kwzpo", "", flag));
}

TEST_P(RouterLoginTest, ErrorStatusWithoutChallengeFallsBackToFormLogin) {
  routersim::RouterSimFaults faults;
  faults.wrongStatus = 500;
  sim_->SetFaults(faults);
  std::uint8_t flag = 0;
  EXPECT_FALSE(ProbeLoginMethod(Address(), "kwzpo", "kwzpo", flag));
  // No WWW-Authenticate on the error: the form login is tried.
  EXPECT_FALSE(LoginToRouter(Address(), "kwzpo", "kwzpo"));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/logi?rc=@&PS=kwzpo&rd=menu"));
  // An error is no refusal: the word is not to blame.
  EXPECT_FALSE(LastLoginRefused());
  EXPECT_FALSE(LastLoginUnanswered());
  sim_->SetFaults({});
  SetFlavour(LoginFlavour::kForm);
  EXPECT_FALSE(LoginToRouter(Address(), "kwzpo", "wrong"));
  EXPECT_TRUE(LastLoginRefused());
}

TEST(RouterCredentialsTest, SettersCutToTheFieldAndConventionFollowsTheFlag) {
  WizardState state;
  ResetRouterDefaults(state);
  EXPECT_EQ(state.loginUser, "kwzpo");
  EXPECT_EQ(state.loginPassword, "kwzpo");
  const std::string longWord(40, 'w');
  SetLoginUser(longWord, state);
  SetLoginPassword(longWord, state);
  EXPECT_EQ(state.loginUser.size(), 32u);
  EXPECT_EQ(state.loginPassword.str(), std::string(32, 'w'));
  state.basicAuthLogin = 0;
  StoreLoginWord("typed", state);
  EXPECT_EQ(state.loginUser.size(), 32u);
  EXPECT_EQ(state.loginPassword, "typed");
  state.basicAuthLogin = 1;
  StoreLoginWord("typed2", state);
  EXPECT_EQ(state.loginUser, "typed2");
  EXPECT_EQ(state.loginPassword, "");
}

KELVANE_INSTANTIATE_ALL_LAYOUTS(RouterLoginTest);

}  // namespace
}  // namespace kelvane
