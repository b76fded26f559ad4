// The easy mode from end to end in the namespace test bed: the real wizard,
// started by its real start-up routine in the PC's namespace and driven
// offscreen from the welcome page to Finish, against the emulated router in
// the router's namespace, with the provider's hosts in the isp namespace.
// Each case checks the verdict on the finish page, the router's settings
// afterwards and the exact list of requests the router received.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BuiltProgram.h"
#include "steps/advanced/RouterAccess.h"
#include "netns/NetnsFixture.h"
#include "router/RouterLogin.h"
#include "router/StatusReaders.h"
#include "router/WanSettingsReader.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

using testbed::Joined;
using testbed::PcNetwork;
using testbed::ReadText;
using testbed::Role;
using testbed::RouterRequests;

constexpr const char* kVerified = "Your settings are in use and your Internet service has been checked and works.";

struct EndToEndCase {
  const char* name;
  PcNetwork pc;
  std::vector<std::string> routerOptions;
  std::vector<std::string> walkEnv;
  std::string loginWord;  // the router's changed login word ("" : the factory one)
  bool basicLogin;        // the router asks for Basic credentials (the login must find out)
  std::string pages;
  std::vector<std::string> requests;
  // What the router holds afterwards.
  std::string ssid;
  std::string wanTypeCode;
  std::string pppoeUser;
};

class EasyEndToEnd : public testbed::BedFixture<::testing::TestWithParam<EndToEndCase>> {
 protected:
  void SetUp() override {
    testbed::NetnsBedOptions options;
    options.pc = GetParam().pc;
    StartBed(options, {"lmq-routersim", "startup_easy_walk_test"});
  }

  void StartRouter(const std::vector<std::string>& extra) {
    // The discovery responder hears the PC's broadcast beside dnsmasq and
    // answers with a broadcast on the LAN, which a PC outside the router's
    // network receives too.
    std::vector<std::string> argv = {testing::BuiltProgram("lmq-routersim"),
                                     "--listen",
                                     testbed::kRouterLanAddress,
                                     "--log",
                                     "--restart-ms",
                                     "1000",
                                     "--isp-gateway",
                                     testbed::kIspAddress,
                                     "--isp-dns1",
                                     testbed::kIspAddress,
                                     "--isp-dns2",
                                     ""};
    argv.insert(argv.end(), extra.begin(), extra.end());
    StartEmulator(argv);
  }
};

TEST_P(EasyEndToEnd, WelcomeToFinish) {
  const EndToEndCase& c = GetParam();
  StartRouter(c.routerOptions);
  // What the router got before the wizard started (the test's own look).
  const std::size_t before = RouterRequests(ReadText(RouterLog())).size();

  const std::string report = bed_->TempDir() + "/walk.report";
  const char* scale = std::getenv("KELVANE_TIME_SCALE");
  // The DHCP switch waits for the lease on the scaled clock: that case runs
  // at the real pace, so a lease that takes seconds is waited for.
  const std::string timeScale = c.pc == PcNetwork::kFixedOutside ? "1" : (scale != nullptr ? scale : "0.05");
  std::vector<std::string> argv = {"env",
                                   "KELVANE_WALK=1",
                                   "QT_QPA_PLATFORM=offscreen",
                                   "LANG=en_US.UTF-8",
                                   "LC_ALL=",
                                   "KELVANE_TIME_SCALE=" + timeScale,
                                   std::string("KELVANE_WALK_PUBLIC_HOST=") + testbed::kPublicHost,
                                   std::string("KELVANE_WALK_PUBLIC_DNS=") + testbed::kIspAddress,
                                   "KELVANE_WALK_SITE=www.kelvane.test",
                                   "KELVANE_WALK_REPORT=" + report,
                                   std::string("KELVANE_WALK_PREFIX=") + c.name};
  if (const char* shots = std::getenv("KELVANE_SCREENSHOT_DIR"); shots != nullptr && *shots != '\0') {
    argv.push_back(std::string("KELVANE_WALK_SHOTS=") + shots);
  }
  argv.insert(argv.end(), c.walkEnv.begin(), c.walkEnv.end());
  argv.push_back(testing::BuiltProgram("startup_easy_walk_test"));
  const testbed::ExecResult walked = bed_->Exec(Role::kPc, argv, 300000);
  const std::string walkReport = ReadText(report);
  ASSERT_EQ(walked.exitCode, 0) << walked.output << "\n" << walkReport << "\nrouter log:\n" << ReadText(RouterLog());

  std::map<std::string, std::string> seen = testbed::ParseReport(walkReport);
  EXPECT_EQ(seen["finished"], "1") << walkReport;
  EXPECT_EQ(seen["finish"], kVerified);
  EXPECT_EQ(seen["opened"], std::string("http://") + testbed::kRouterLanAddress);
  EXPECT_EQ(seen["pages"], c.pages);
  // A changed login word is asked for once, in the page's own login box.
  EXPECT_EQ(seen["logins"], c.loginWord.empty() ? "0" : "1");

  const std::string log = ReadText(RouterLog());
  std::vector<std::string> requests = RouterRequests(log);
  requests.erase(requests.begin(), requests.begin() + static_cast<std::ptrdiff_t>(std::min(before, requests.size())));
  EXPECT_EQ(requests, c.requests) << "the router received:\n" << Joined(requests);

  // A dial-on-demand WAN came up because the wizard's wake-up echo toward the
  // public host went through the router, before the addresses were read.
  if (std::find(c.routerOptions.begin(), c.routerOptions.end(), "--dial-on-demand") != c.routerOptions.end()) {
    const std::size_t wake = log.find(std::string("WAKE-UP ECHO to ") + testbed::kPublicHost);
    ASSERT_NE(wake, std::string::npos) << log;
    EXPECT_LT(wake, log.rfind("rf=0020")) << log;
  }

  // The router holds what the user chose (read back from the PC).
  std::string state;
  const int read = bed_->RunInRole(
      Role::kPc,
      [&](std::string& out) {
        WizardState s;
        ResetRouterDefaults(s);
        s.routerAddress = testbed::kRouterLanAddress;
        // The credentials as the program learns them: its probe and login
        // (which meet the router's login flavour), then the word it asked for.
        std::uint8_t basic = 0;
        ProbeLoginMethod(s, basic);
        if (!LoginToRouter(s) && (c.loginWord.empty() || !RetryLoginWithWord(c.loginWord, s))) return 1;
        if (s.basicAuthLogin != (c.basicLogin ? 1 : 0)) {
          out = "login flavour " + std::to_string(s.basicAuthLogin);
          return 3;
        }
        std::string ssid, channel, security, key;
        if (!ReadWirelessStatus(ssid, channel, security, key, s.WirelessSettings.securityMode, s)) return 2;
        WanSettingsReading wan;
        ReadWanSettings(s, wan);
        out = ssid + "|" + wan.typeCode + "|" + std::string(s.PppoeSettings.userName.view());
        return 0;
      },
      state);
  ASSERT_EQ(read, 0) << state;
  EXPECT_EQ(state, c.ssid + "|" + c.wanTypeCode + "|" + c.pppoeUser);
}

// What the router receives on the easy road, in order. The two looks at the
// front page are the login-method probe and the login; the wireless page reads
// the channels and the wireless state; the detection reads the WAN state; the
// store page reads the wireless state, sends the settings, reads the wireless
// state, the WAN type and the form's values back, sends the refresh and the
// restart, and once the router is back logs in again and reads the wireless
// state and the WAN type once more; the WAN test reads the link and the
// addresses. Nothing else may reach the router.
const std::vector<std::string> kWireless = {"GET /sysinfo.htm", "GET /zero.htm?rc=&rf=0010"};
const std::string kDetect = "GET /zero.htm?rc=&rf=0004";
const std::string kWlap =
    "GET /cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa&ZN=KelvaneHome&ZC=11&KM%23=00FF&KM4=o&CS=4&KM5=x&PK="
    "kelvane%20pass%20phrase";
// The store page reads the wireless settings before their command (a WPA
// mode and key the router holds already are not sent again) and after it.
const std::string kWirelessRead = "GET /zero.htm?rc=&rf=0010";
// Dynamic IP found, the detection reads that form's connection control (no
// WAN page comes before the store), and the command keeps it: the router's
// own "always on".
const std::string kDynamicOptions = "GET /cgi-bin/want?rd=prim&Wt=0100";
const std::string kDynamic = "GET /cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=o";
// The store page reads the stored WAN type back before it restarts the router.
const std::string kTypeReadBack = "GET /zero.htm?rc=&rf=0008";
const std::string kRefresh = "GET /cgi-bin/want?rc=&rf=&UB=0001&rd=status";
const std::string kReboot = "GET /cgi-bin/rebo?";
const std::vector<std::string> kWanTest = {"GET /zero.htm?rc=&rf=0004", "GET /zero.htm?rc=&rf=0020"};

// A type with values the settings form shows again (not dynamic IP) has them
// read back from the form too.
// A router that asks for Basic credentials is looked at twice by the login
// after the restart: the challenge, then the page with the credentials.
std::vector<std::string> Road(std::vector<std::string> login, std::vector<std::string> wan,
                              bool formReadBack = false, int loginAfterRestart = 1) {
  std::vector<std::string> all = std::move(login);
  all.insert(all.end(), kWireless.begin(), kWireless.end());
  all.push_back(kDetect);
  all.insert(all.end(), wan.begin(), wan.end());
  all.push_back(kTypeReadBack);
  if (formReadBack) all.push_back("GET /prim.htm");
  all.push_back(kRefresh);
  all.push_back(kReboot);
  all.insert(all.end(), static_cast<std::size_t>(loginAfterRestart), "GET /");
  all.push_back(kWirelessRead);
  all.push_back(kTypeReadBack);
  all.insert(all.end(), kWanTest.begin(), kWanTest.end());
  return all;
}

const EndToEndCase kCases[] = {
    {"DynamicIpWpa2", PcNetwork::kDhclient, {}, {}, "", false, "0,10,20,21,22,40,50,60",
     Road({"GET /", "GET /"}, {kDynamicOptions, kWirelessRead, kWlap, kWirelessRead, kDynamic}), "KelvaneHome", "0100", ""},
    // The WAN's DNS server never answers echo, yet names resolve through the
    // router's relay: the WAN test passes (its note follows the verdict).
    {"DnsServerIgnoresEcho", PcNetwork::kDhclient, {"--isp-dns1", "198.51.100.53"}, {}, "", false,
     "0,10,20,21,22,40,50,60",
     Road({"GET /", "GET /"}, {kDynamicOptions, kWirelessRead, kWlap, kWirelessRead, kDynamic}), "KelvaneHome", "0100", ""},
    {"PppoeWokenByTheEcho", PcNetwork::kDhclient,
     {"--wan-service", "pppoe", "--wan-type", "0200", "--dial-on-demand", "lan0"},
     {"KELVANE_WALK_PPPOE=carol@isp:s3cret word"}, "", false, "0,10,20,21,22,32,40,50,60",
     Road({"GET /", "GET /"},
          {"GET /cgi-bin/want?rd=prim&Wt=0200", kWirelessRead, kWlap, kWirelessRead, "GET /prim.htm",
           "GET /cgi-bin/prim?rc=@&rf=0008&rd=zero&lf=0037&ai=0&DF00=o&DF01=x&DF08=o&DF09=x&Wt=0200&IU0=carol%40isp"
           "&IW0=s3cret%20word&IT0=&ID00=&ID01=&IM0=1492"},
          true),
     "KelvaneHome", "0200", "carol@isp"},
    {"ChangedLoginWord", PcNetwork::kDhclient, {"--login", "basic", "--login-word", "hunter22"},
     {"KELVANE_WALK_LOGIN_WORD=hunter22"}, "hunter22", true, "0,10,20,21,22,40,50,60",
     Road(std::vector<std::string>(10, "GET /"), {kDynamicOptions, kWirelessRead, kWlap, kWirelessRead, kDynamic},
          false, 2),
     "KelvaneHome", "0100", ""},
    // A PC with a fixed address outside the router's network, switched to
    // DHCP by the connectivity page (the router's own DHCP answer tells the
    // page that the switch will work); the router search is not repeated, but
    // the login half of the check runs before the reads.
    {"FixedPcSwitchedToDhcp", PcNetwork::kFixedOutside, {"--answer-dhcp"}, {}, "", false, "0,10,20,21,22,40,50,60",
     Road({"GET /", "GET /"}, {kDynamicOptions, kWirelessRead, kWlap, kWirelessRead, kDynamic}), "KelvaneHome", "0100", ""},
    // The same on a router whose Basic login word was changed: the word is
    // asked for after the switch, not discovered missing by the later pages.
    {"FixedPcSwitchedChangedWord", PcNetwork::kFixedOutside,
     {"--answer-dhcp", "--login", "basic", "--login-word", "hunter22"}, {"KELVANE_WALK_LOGIN_WORD=hunter22"},
     "hunter22", true, "0,10,20,21,22,40,50,60",
     Road(std::vector<std::string>(10, "GET /"), {kDynamicOptions, kWirelessRead, kWlap, kWirelessRead, kDynamic},
          false, 2),
     "KelvaneHome", "0100", ""},
};

INSTANTIATE_TEST_SUITE_P(Bed, EasyEndToEnd, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane
