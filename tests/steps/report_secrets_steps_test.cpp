// The diagnostic report after a whole session against the emulator with a
// known secret in every field: a Basic login, every WAN password, the
// wireless key, a MAC. None of them reaches the report in any form the
// program sends it in, the failed test's hops are there, and the page is
// well-formed HTML.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "language/ReportLabels.h"
#include "net/HttpClient.h"
#include "net/TrafficLog.h"
#include "router/DiagnosticReport.h"
#include "router/Fields.h"
#include "router/RouterLogin.h"
#include "router/WanCommands.h"
#include "state/SessionRecord.h"
#include "steps/easy/StoreStep.h"
#include "steps/easy/WanTestStep.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

// Every start tag has its end tag, in order (meta is the one void element
// the report uses); no stray "<" outside a tag.
bool WellFormed(const std::string& html, std::string& why) {
  std::vector<std::string> open;
  static const std::regex kTag("<(/?)([a-zA-Z0-9]+)[^<>]*>|<!DOCTYPE html>|<");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), kTag); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    if (m.str(0) == "<!DOCTYPE html>") continue;
    if (m.str(0) == "<") {
      why = "stray < at " + std::to_string(m.position(0));
      return false;
    }
    const std::string name = m.str(2);
    if (name == "meta") continue;
    if (m.str(1).empty()) {
      open.push_back(name);
    } else if (open.empty() || open.back() != name) {
      why = "</" + name + "> closes " + (open.empty() ? std::string("nothing") : open.back());
      return false;
    } else {
      open.pop_back();
    }
  }
  if (!open.empty()) why = "<" + open.back() + "> left open";
  return open.empty();
}

TEST(ReportSecrets, AWholeSessionLeavesNoSecretInTheReport) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  const std::string loginWord = "Lw0rd&Secr3t=!";
  router.Sim().WithState([&](routersim::RouterSimState& s) {
    s.flavour = routersim::LoginFlavour::kBasic;
    s.loginWord = loginWord;
  });
  WizardState state;
  ResetRouterDefaults(state);
  // A Basic login with a changed word, reached as the program reaches it: its
  // check meets the Basic challenge and takes the word the user typed as the
  // user name, with an empty password.
  RecordingNarrator check;
  ASSERT_EQ(ConnectivityStep(state, router.Pc(), check).Run(loginWord), ConnectivityOutcome::kPassed);
  ASSERT_EQ(state.loginUser.view(), loginWord);
  ASSERT_EQ(state.loginPassword.view(), "");
  const std::vector<std::string> secrets = {loginWord,          "Pppoe Pass/1%",   "Pptp+Pass;2",  "L2tp Pass#3",
                                            "BigPond?Pass&4",   "Telia Pass=5",    "Wifi Key;Secret+42"};
  state.wanType = kWanPppoe;
  state.PppoeSettings.userName = "someone";
  state.PppoeSettings.password = secrets[1];
  state.PptpSettings.password = secrets[2];
  state.L2tpSettings.password = secrets[3];
  state.BigPondSettings.password = secrets[4];
  state.TeliaSettings.password = secrets[5];
  state.WirelessSettings.ssid = "HomeNet";
  state.WirelessSettings.securityMode = kSecurityWpa2Psk;
  state.WirelessSettings.key = secrets[6];
  state.configureWireless = 1;

  KeepSessionLog(500);
  SessionRecord::Instance() = SessionRecord{};
  RecordingNarrator narrator;
  ASSERT_TRUE(LoginToRouter(state.routerAddress.str(), state.loginUser.str(), state.loginPassword.str()));
  // Every other secret-bearing command goes out once too.
  for (auto apply : {&ApplyPptpWan, &ApplyL2tpWan, &ApplyBigPondWan, &ApplyTeliaWan}) EXPECT_TRUE(apply(state));
  EXPECT_TRUE(SetWanMacAddress("00-1A-2B-3C-4D-5E", state));
  StoreStep store;
  EXPECT_EQ(store.Run(state, router.Pc(), narrator), StoreOutcome::kStored);
  // The WAN test then fails at the link: the report is what the user saves.
  router.Sim().WithState([](routersim::RouterSimState& s) { s.wanCable = false; });
  WanTestStep test;
  EXPECT_EQ(test.Run(state, router.Pc(), narrator, {"203.0.113.80"}), WanTestOutcome::kWanLinkDown);

  DiagnosticReportInput input;
  input.version = "9.9.9";
  input.language = "English (1033)";
  input.pcRead = router.Pc().GetHostNetworkInfo(input.pc);
  input.router = ReadRouterForReport(state);
  input.session = SessionRecord::Instance();
  input.requestLog = SessionLogLines();
  input.text = [](std::uint32_t id) { return "T" + std::to_string(id); };
  const std::string html =
      BuildDiagnosticReport(input, MakeReportLabels([](StringId id) { return "L" + std::to_string(id); }), state);
  KeepSessionLog(0);

  // The secrets did go out, so the report had the chance to show them.
  const std::vector<std::string> sent = router.Requests();
  ASSERT_GT(input.requestLog.size(), 10u);
  for (const std::string& secret : {secrets[1], secrets[6]}) {
    bool seen = false;
    for (const std::string& line : sent) seen = seen || line.find(UrlEncode(secret)) != std::string::npos;
    EXPECT_TRUE(seen) << secret;
  }
  for (const std::string& secret : secrets) {
    SCOPED_TRACE(secret);
    // As the page's text would carry it, too: "&" as "&amp;", and so on.
    std::string escaped;
    for (char c : secret) {
      static const std::map<char, std::string> kEntities = {
          {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}};
      const auto entity = kEntities.find(c);
      escaped += entity != kEntities.end() ? entity->second : std::string(1, c);
    }
    for (const std::string& form : {secret, escaped, UrlEncode(secret), Base64Encode(secret + ":"),
                                    Base64Encode(std::string(state.loginUser.view()) + ":" + secret)}) {
      EXPECT_EQ(html.find(form), std::string::npos) << form;
    }
  }
  for (const char* tail : {"3C-4D-5E", "3C:4D:5E", "3C4D5E"}) EXPECT_EQ(html.find(tail), std::string::npos) << tail;
  EXPECT_NE(html.find("00-1A-2B"), std::string::npos);
  EXPECT_NE(html.find("&lt;redacted&gt;"), std::string::npos);
  // The failed test's hops with their verdicts, and the router's reads.
  EXPECT_NE(html.find("T" + std::to_string(kIdWanTestTitle)), std::string::npos);
  EXPECT_NE(html.find("T" + std::to_string(kIdWanTestCheckingWanLink) + "</th><td class=\"bad\">L" +
                      std::to_string(kIdVerdictFailed)),
            std::string::npos);
  EXPECT_NE(html.find("HomeNet"), std::string::npos);
  std::string why;
  EXPECT_TRUE(WellFormed(html, why)) << why;
}

}  // namespace
}  // namespace kelvane
