// The router sheet's WAN and wireless tabs on a real network: the real pages
// (advanced_wan_wireless_walk_test, offscreen, in the bed's PC namespace with
// its DHCP lease and the real broadcast search) change the emulated router
// from dynamic IP to PPPoE and back, and its wireless security from WPA2 to
// WEP and back, each change followed by a restart and a read of what the
// router then holds. The test checks what the pages showed, the exact list
// of requests the router received (nothing the user did not ask for, the
// typed secrets as typed), the router's final settings read from the PC, and
// that nothing on the machine itself changed and nothing was left running.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "BuiltProgram.h"
#include "steps/advanced/AdvancedWirelessStep.h"
#include "steps/advanced/RouterAccess.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "netns/NetnsFixture.h"
#include "router/WanSettingsReader.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

using testbed::Joined;
using testbed::Lines;
using testbed::PcNetwork;
using testbed::ReadText;
using testbed::Role;
using testbed::RouterRequests;

// What the user types. The secrets hold characters a query must escape.
constexpr const char* kSsid = "KelvaneHome";
constexpr const char* kFirstPassphrase = "first pass phrase";
constexpr const char* kPppoeUser = "carol@isp.test";
constexpr const char* kPppoeWord = "pa ss&w=rd";
constexpr const char* kPppoeService = "fibre-1";
constexpr const char* kWepKey = "Kelvane&WEP13";  // 13 characters
constexpr const char* kPassphrase = "blue heron & 42%";

std::string UrlDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The decoded query fields of a request line, in order.
std::map<std::string, std::string> QueryOf(const std::string& request) {
  std::map<std::string, std::string> fields;
  const std::size_t q = request.find('?');
  if (q == std::string::npos) return fields;
  std::istringstream in(request.substr(q + 1));
  for (std::string pair; std::getline(in, pair, '&');) {
    const std::size_t eq = pair.find('=');
    fields[UrlDecoded(pair.substr(0, eq))] = eq == std::string::npos ? "" : UrlDecoded(pair.substr(eq + 1));
  }
  return fields;
}

std::string PathOf(const std::string& request) {
  const std::size_t space = request.find(' ');
  const std::size_t q = request.find('?');
  return request.substr(space + 1, (q == std::string::npos ? request.size() : q) - space - 1);
}

class AdvancedWanWirelessNetns : public testbed::BedTest {
 protected:
  void SetUp() override {
    testbed::NetnsBedOptions options;
    options.pc = PcNetwork::kDhclient;
    StartBed(options, {"lmq-routersim", "advanced_wan_wireless_walk_test"});
    if (!BedUp()) return;
    StartEmulator({testing::BuiltProgram("lmq-routersim"), "--address", testbed::kRouterLanAddress, "--log",
                   "--restart-ms", "300", "--ssid", kSsid});
  }
};

TEST_F(AdvancedWanWirelessNetns, PppoeAndBackThenWepAndBackEachWithARestart) {
  // The router starts in dynamic IP with WPA2; the emulator starts without
  // security, so the test stores WPA2 itself first (its own requests are not
  // part of the list checked below).
  std::string setup;
  const int prepared = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        LinuxHostNetwork host;
        WizardState state;
        ResetRouterDefaults(state);
        RouterAccessOutcome reach = RouterAccessOutcome::kNoRouter;
        for (int i = 0; i < 10 && reach != RouterAccessOutcome::kReady; ++i) reach = ReachRouter(state, host);
        if (reach != RouterAccessOutcome::kReady) {
          out = "router not reached: " + std::to_string(static_cast<int>(reach));
          return 1;
        }
        state.WirelessSettings.securityMode = kSecurityWpa2Psk;
        if (!StoreAdvancedWireless(kSsid, kFirstPassphrase, "11", AdvancedSecurityPosition(kSecurityWpa2Psk),
                                   state).Ok()) {
          out = "WPA2 not stored";
          return 2;
        }
        return 0;
      },
      setup);
  ASSERT_EQ(prepared, 0) << setup << ReadText(RouterLog());
  const std::size_t mark = RouterRequests(ReadText(RouterLog())).size();
  const std::vector<pid_t> pcBefore = bed_->PidsIn(Role::kPc);

  const std::string reportPath = bed_->TempDir() + "/walk.report";
  const char* scale = std::getenv("KELVANE_TIME_SCALE");
  std::vector<std::string> argv = {"env",
                                   "KELVANE_ROUTER_WALK=1",
                                   "QT_QPA_PLATFORM=offscreen",
                                   "LANG=en_US.UTF-8",
                                   "LC_ALL=",
                                   std::string("KELVANE_TIME_SCALE=") + (scale != nullptr ? scale : "0.05"),
                                   std::string("KELVANE_ROUTER_WALK_PPPOE_USER=") + kPppoeUser,
                                   std::string("KELVANE_ROUTER_WALK_PPPOE_WORD=") + kPppoeWord,
                                   std::string("KELVANE_ROUTER_WALK_PPPOE_SERVICE=") + kPppoeService,
                                   std::string("KELVANE_ROUTER_WALK_WEP_KEY=") + kWepKey,
                                   std::string("KELVANE_ROUTER_WALK_PASSPHRASE=") + kPassphrase,
                                   "KELVANE_ROUTER_WALK_REPORT=" + reportPath};
  if (const char* shots = std::getenv("KELVANE_SCREENSHOT_DIR"); shots != nullptr && *shots != '\0') {
    argv.push_back(std::string("KELVANE_ROUTER_WALK_SHOTS=") + shots);
  }
  argv.push_back(testing::BuiltProgram("advanced_wan_wireless_walk_test"));
  const testbed::ExecResult walked = bed_->Exec(Role::kPc, argv, 300000);
  const std::string walkReport = ReadText(reportPath);
  const std::string log = ReadText(RouterLog());
  ASSERT_EQ(walked.exitCode, 0) << walked.output << "\n" << walkReport << "\nrouter log:\n" << log;
  EXPECT_EQ(bed_->PidsIn(Role::kPc), pcBefore) << "the walk left a process in the PC's namespace";

  std::printf("What the pages showed:\n%s", walkReport.c_str());
  std::map<std::string, std::string> seen = testbed::ParseReport(walkReport);
  // type shown, router's type, result line; rows as "row1|row2|row3".
  const std::map<std::string, std::string> expectedView = {
      {"finished", "1"},
      {"wan.first", "1,1,''"},
      {"wan.pppoe.emptied", "||"},
      {"wan.pppoe.store", "saved"},
      {"wan.pppoe.restart", "done"},
      {"wan.pppoe.readback", std::string("3,3,") + kPppoeUser + "||" + kPppoeService},
      {"wan.dynamic.store", "saved"},
      {"wan.dynamic.restart", "done"},
      {"wan.dynamic.readback", "1,1,1"},
      // security position | SSID | channel | cipher | key ("-": no key row)
      {"wlan.first", std::string("3|") + kSsid + "|11|" + kFirstPassphrase + ",''"},
      {"wlan.wep.store", "saved"},
      {"wlan.wep.restart", "done"},
      {"wlan.wep.readback", std::string("1|") + kSsid + "|11|" + kWepKey},
      {"wlan.wpa2.store", "saved"},
      {"wlan.wpa2.restart", "done"},
      {"wlan.wpa2.readback", std::string("3|") + kSsid + "|11|" + kPassphrase},
  };
  for (const auto& [key, value] : expectedView) EXPECT_EQ(seen[key], value) << key << "\n" << walkReport;
  for (const char* reads : {"wan.pppoe.reads", "wan.dynamic.reads", "wlan.wep.reads", "wlan.wpa2.reads"}) {
    // The restart said done once the router answered again: the first Read reads it.
    EXPECT_EQ(std::atoi(seen[reads].c_str()), 1) << reads << " (-1: the router never answered again)";
  }

  std::vector<std::string> requests = RouterRequests(log);
  requests.erase(requests.begin(), requests.begin() + static_cast<std::ptrdiff_t>(std::min(mark, requests.size())));
  // Every read and command begins with the login ("GET /"); a search that
  // finds the router still off the air asks for no page at all.
  const std::string login = "GET /";
  const std::string wanRead = "GET /zero.htm?rc=&rf=0008";
  const std::string wlanRead = "GET /zero.htm?rc=&rf=0010";
  // The restart waits until the router answers its address again: the one
  // look that finds it back (the looks while it is off the air reach nobody).
  const std::string restart = "GET /cgi-bin/rebo?";
  const std::string back = "GET /";
  const std::string wanRestart = "GET /cgi-bin/want?rc=&rf=&UB=0001&rd=status";
  const std::vector<std::string> expected = {
      // The sheet opens on the LAN tab: its first read.
      login, "GET /dhcp.htm",
      // The WAN tab's first read: type code, the form shown (is it a provider
      // login's?), the fields from the form of the type, its connection-control
      // boxes.
      login, wanRead, "GET /prim.htm", "GET /cgi-bin/want?rd=prim&Wt=0100", "GET /cgi-bin/want?rd=prim&Wt=0100",
      // Store PPPoE with what was typed, from the router's own PPPoE form (its
      // further boxes and MTU as that form holds them), then the WAN link is
      // restarted.
      login, "GET /cgi-bin/want?rd=prim&Wt=0200", "GET /prim.htm",
      "GET /cgi-bin/prim?rc=@&rf=0008&rd=zero&lf=0037&ai=0&DF00=x&DF01=x&DF08=o&DF09=x&Wt=0200&IU0=carol%40isp.test"
      "&IW0=pa%20ss%26w%3Drd&IT0=fibre-1&ID00=&ID01=&IM0=1492",
      // The type and the values the form shows again read back: saved only
      // if the router holds them.
      "GET /zero.htm?rc=&rf=0008", "GET /prim.htm",
      wanRestart,
      // Restart, then Read once the router is back.
      login, restart, back,
      login, wanRead, "GET /cgi-bin/want?rd=prim&Wt=0200", "GET /cgi-bin/want?rd=prim&Wt=0200",
      // Store dynamic IP; then the WAN MAC held since the first read (the
      // router's own, unchanged: the MAC row is not shown while the router
      // runs PPPoE).
      login, "GET /cgi-bin/want?rd=prim&Wt=0100", "GET /cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=o",
      "GET /zero.htm?rc=&rf=0008",
      wanRestart,
      "GET /prim.htm", "GET /cgi-bin/prim?rc=@&rd=zero&En=00-50-18-58-12-01&ai=0&DF00=o&DF01=x",
      login, restart, back,
      login, wanRead, "GET /prim.htm", "GET /cgi-bin/want?rd=prim&Wt=0100", "GET /cgi-bin/want?rd=prim&Wt=0100",
      // The wireless tab's first read: channels, the settings, the key.
      login, "GET /sysinfo.htm", wlanRead, wlanRead,
      // WEP with the 13-character key, restart, read.
      login, "GET /cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa&ZN=KelvaneHome&ZC=11&CS=1&ZS=130&KM%23=000F"
      "&ZO0=Kelvane%26WEP13",
      // The settings read back: the store is saved only if the router holds them.
      wlanRead, wlanRead,
      login, restart, back,
      login, "GET /sysinfo.htm", wlanRead, wlanRead,
      // WPA2 (AES) with the passphrase, restart, read.
      login, "GET /cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa&ZN=KelvaneHome&ZC=11&KM%23=00FF&KM4=o&CS=4"
      "&KM5=x&PK=blue%20heron%20%26%2042%25",
      wlanRead, wlanRead,
      login, restart, back,
      login, "GET /sysinfo.htm", wlanRead, wlanRead,
  };
  EXPECT_EQ(requests, expected) << "the router received:\n" << Joined(requests);

  // Each secret went to the router once, decoded exactly as typed, in the
  // command that stores it.
  const std::pair<const char*, const char*> secrets[] = {
      {kPppoeWord, "/cgi-bin/prim"}, {kWepKey, "/cgi-bin/wlap"}, {kPassphrase, "/cgi-bin/wlap"}};
  for (const auto& [secret, path] : secrets) {
    std::vector<std::string> carriers;
    for (const std::string& r : requests) {
      for (const auto& [name, value] : QueryOf(r)) {
        if (value == secret) carriers.push_back(PathOf(r) + " " + name);
      }
    }
    ASSERT_EQ(carriers.size(), 1u) << secret << "\n" << Joined(requests);
    EXPECT_EQ(carriers[0].substr(0, carriers[0].find(' ')), path) << secret;
  }

  // Four restarts, each back on the air before the next read.
  const std::vector<std::string> logLines = Lines(log);
  const auto count = [&](const std::string& what) {
    return std::count_if(logLines.begin(), logLines.end(), [&](const std::string& l) { return l.rfind(what, 0) == 0; });
  };
  EXPECT_EQ(count("RESTART"), 4) << log;
  EXPECT_EQ(count("BACK ON THE AIR"), 4) << log;

  // What the router holds now, read from the PC.
  std::string state;
  const int read = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        LinuxHostNetwork host;
        WizardState s;
        ResetRouterDefaults(s);
        if (ReachRouter(s, host) != RouterAccessOutcome::kReady) return 1;
        WanSettingsReading wan;
        const bool wanRead = ReadWanSettings(s, wan);
        const AdvancedWirelessReading w = ReadAdvancedWireless(s);
        out = std::to_string(wanRead) + "|" + wan.typeCode + "|" + std::to_string(w.ok) + "|" + w.ssid + "|" +
              std::to_string(w.securityPosition) + "|" + std::to_string(s.WirelessSettings.tkipCipher) + "|" + w.key;
        return 0;
      },
      state);
  ASSERT_EQ(read, 0) << state;
  EXPECT_EQ(state, std::string("1|0100|1|") + kSsid + "|3|0|" + kPassphrase);
}

}  // namespace
}  // namespace kelvane
