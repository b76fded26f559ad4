// The --verbose traffic log against every router command that carries a
// secret: the secret reaches the router, and no line of the log holds it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "net/TrafficLog.h"
#include "router/RouterLogin.h"
#include "router/WanCommands.h"
#include "router/WirelessLanCommands.h"
#include "router_test_fixture.h"

namespace kelvane {
namespace {

TEST(TrafficLogSecrets, NoCommandWritesItsSecretToTheLog) {
  testing::CannedServer router([](const std::string&) {
    return testing::CannedServer::Ok("<HTML><input NAME=IM0 VALUE=\"1492\" > Settings saved.<BR></HTML>");
  });
  struct Case {
    const char* name;
    const char* secret;
    std::function<void(WizardState&, const char* secret)> send;
  };
  const Case cases[] = {
      {"form login", "SecLogin1", [](WizardState& s, const char* k) { LoginToRouter(s.routerAddress.str(), "", k); }},
      {"password change, old", "SecOld3", [](WizardState& s, const char* k) { ChangeRouterPassword(k, "x", s); }},
      {"password change, new", "SecNew4", [](WizardState& s, const char* k) { ChangeRouterPassword("x", k, s); }},
      {"PPPoE", "SecPppoe5",
       [](WizardState& s, const char* k) {
         s.PppoeSettings.password = k;
         ApplyPppoeWan(s);
       }},
      {"PPTP", "SecPptp6",
       [](WizardState& s, const char* k) {
         s.PptpSettings.password = k;
         ApplyPptpWan(s);
       }},
      {"L2TP", "SecL2tp7",
       [](WizardState& s, const char* k) {
         s.L2tpSettings.password = k;
         ApplyL2tpWan(s);
       }},
      {"BigPond", "SecBigPond8",
       [](WizardState& s, const char* k) {
         s.BigPondSettings.password = k;
         ApplyBigPondWan(s);
       }},
      {"Telia", "SecTelia9",
       [](WizardState& s, const char* k) {
         s.TeliaSettings.password = k;
         ApplyTeliaWan(s);
       }},
      {"WEP key", "SecWe",  // 5 characters: a 64-bit text key
       [](WizardState& s, const char* k) {
         s.WirelessSettings.securityMode = kSecurityWep;
         s.WirelessSettings.keyIsText = 1;
         SetWirelessSettings("net", k, s);
       }},
      {"WPA key", "SecWpaPhrase10",
       [](WizardState& s, const char* k) {
         s.WirelessSettings.securityMode = kSecurityWpa2Psk;
         s.WirelessSettings.keyIsText = 1;
         SetWirelessSettings("net", k, s);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardState state;
    ResetRouterDefaults(state);
    state.routerAddress = router.Address();
    std::vector<std::string> log;
    SetTrafficLogSink([&log](const std::string& line) { log.push_back(line); });
    const std::size_t before = router.Lines().size();
    c.send(state, c.secret);
    SetTrafficLogSink(nullptr);

    ASSERT_FALSE(log.empty());
    for (const std::string& line : log) EXPECT_EQ(line.find(c.secret), std::string::npos) << line;
    // The secret did go out in the request line: the log had the chance to
    // show it.
    const auto lines = router.Lines();
    bool sent = false;
    for (std::size_t i = before; i < lines.size(); ++i) sent = sent || lines[i].find(c.secret) != std::string::npos;
    bool logged = false;
    for (const std::string& line : log) logged = logged || line.find("<redacted>") != std::string::npos;
    EXPECT_TRUE(sent);
    EXPECT_TRUE(logged);
  }
}

}  // namespace
}  // namespace kelvane
