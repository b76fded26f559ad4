// kelvane-cli's conventions and the router it leaves: the command-line rules it
// shares with ip and nmcli, and stores that change exactly what was given.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "CliFixture.h"
#include "BuiltProgram.h"
#include "net/host/sim/SimHostNetwork.h"
#include "tools/cli/CommandTable.h"
#include "router_test_fixture.h"
#include "support/RouterSettingsCheck.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;

// From a router on each WAN type and security mode, in each layout: a new
// name and channel, and another WAN type, change exactly those settings (the
// security, the keys, every other type's form, the domain and MAC stay).
TEST_F(CliTest, StoresChangeOnlyWhatWasGiven) {
  struct WanArgs {
    std::vector<std::string> args;
    test::RouterSettings router;
  };
  const WanArgs wans[] = {
      {{"set-wan", "dynamic"}, {{"wan.type", "0100"}}},
      {{"set-wan", "static", "--ip", "203.0.113.9", "--mask", "255.255.255.0", "--gateway", "203.0.113.1", "--dns1",
        "203.0.113.53"},
       {{"wan.type", "0000"}, {"wan.static.WI", "203.0.113.9"}, {"wan.static.WN", "255.255.255.0"},
        {"wan.static.WG", "203.0.113.1"}, {"wan.static.ID00", "203.0.113.53"}, {"wan.static.ID01", ""}}},
      {{"set-wan", "pppoe", "--wan-user", "carol@isp.example", "--wan-password", "p&ss word"},
       {{"wan.type", "0200"}, {"wan.pppoe.IU0", "carol@isp.example"}, {"wan.pppoe.IW0", "p&ss word"},
        {"wan.pppoe.IT0", ""}, {"wan.pppoe.ID00", ""}, {"wan.pppoe.ID01", ""}}},
      {{"set-wan", "pptp", "--server", "vpn.example", "--wan-user", "hal", "--wan-password", "pptp"},
       {{"wan.type", "0300"}, {"wan.pptp.WI", "0.0.0.0"}, {"wan.pptp.WN", "0.0.0.0"}, {"wan.pptp.WG", "0.0.0.0"},
        {"wan.pptp.DI0", "vpn.example"}, {"wan.pptp.IU0", "hal"}, {"wan.pptp.IW0", "pptp"}}},
      {{"set-wan", "l2tp", "--server", "10.20.30.2", "--wan-user", "ida", "--wan-password", "l2tp", "--ip",
        "10.20.30.41", "--mask", "255.255.255.0", "--gateway", "10.20.30.1"},
       {{"wan.type", "0700"}, {"wan.l2tp.WI", "10.20.30.41"}, {"wan.l2tp.WN", "255.255.255.0"},
        {"wan.l2tp.WG", "10.20.30.1"}, {"wan.l2tp.DI0", "10.20.30.2"}, {"wan.l2tp.IU0", "ida"},
        {"wan.l2tp.IW0", "l2tp"}}},
      {{"set-wan", "bigpond", "--wan-user", "jo", "--wan-password", "bigpond", "--login-server", "login.example"},
       {{"wan.type", "0101"}, {"wan.bigpond.IU0", "jo"}, {"wan.bigpond.IW0", "bigpond"},
        {"wan.bigpond.IT0", "login.example"}}},
      {{"set-wan", "telia", "--wan-user", "kim", "--wan-password", "telia"},
       {{"wan.type", "0104"}, {"wan.telia.IU0", "kim"}, {"wan.telia.IW0", "telia"}}},
  };
  const auto& starts = test::RouterStarts();
  for (std::size_t row = 0; row < starts.size(); ++row) {
    for (routersim::PageLayout layout : test::kAllLayouts) {
      SCOPED_TRACE(starts[row].name + " " + routersim::PageLayoutName(layout));
      test::StartRouterOn(*sim_, starts[row], layout);
      const test::SettingsWatch watch(*sim_);
      CliResult r = Run({"set-wireless", "--ssid", "Chosen Net", "--channel", "7"});
      EXPECT_EQ(r.status, 0) << r.err;
      const WanArgs& wan = wans[(row + 1) % std::size(wans)];
      r = Run(wan.args);
      EXPECT_EQ(r.status, 0) << r.err;
      test::RouterSettings changed = wan.router;
      changed["wireless.ssid"] = "Chosen Net";
      changed["wireless.channel"] = "7";
      EXPECT_EQ(watch.Unexpected(changed), "");
    }
  }
}

// The conventions of ip and nmcli: "--opt=value", one line and status 2 for a
// wrong option, a value's form checked before anything is sent (whether or
// not a router answers), text as typed, --json for scripts. "@" in an
// argument stands for the emulator's address, "#" for a loopback port where
// nothing listens; `inProcess` rows run the command table against a PC with
// no DHCP interface.
TEST_F(CliTest, Conventions) {
  Router([](RouterSimState& s) {
    s.ssid = "Den";
    s.channel = "0";
    s.securityCode = "5";
    s.psk = "100%sure pass";
    s.region = "ETSI";
    s.channelMask = "1FFF";
  });
  const std::string dead = "127.0.0.1:" + std::to_string(testing::FreeLoopbackPort(SOCK_STREAM));
  const std::string cafe = "Caf\xC3\xA9 5G";
  struct Row {
    std::vector<std::string> args;
    int status;
    std::string outStart;  // the start of standard output
    std::string err;       // the whole error stream
    bool inProcess = false;
  };
  const std::string usageEnd = " (see --help)\n";
  const Row rows[] = {
      {{"-V"}, 2, "", "kelvane-cli: unknown option -V" + usageEnd},
      {{"--verbose", "--version"}, 2, "", "kelvane-cli: --version stands alone on the command line" + usageEnd},
      {{"--router=@", "read", "--version", "wan-link"}, 2, "", "kelvane-cli: --version stands alone on the command line" + usageEnd},
      {{"--verbose"}, 2, "", "kelvane-cli: no command given" + usageEnd},
      {{"--verbose=yes", "--router=@", "reboot"}, 2, "", "kelvane-cli: --verbose takes no value" + usageEnd},
      {{"--version"}, 0, "kelvane-cli 2.", ""},
      {{"--router=@", "--user=kwzpo", "--password=kwzpo", "read", "wan-link"}, 0, "link=", ""},
      {{"--router=@", "read", "wireless"}, 0,
       "ssid=Den\nchannel=auto\nsecurity=WPA-PSK / WPA2-PSK\nmode=5\nkey=100%sure pass\n", ""},
      {{"--router=@", "read", "--json", "wireless"}, 0,
       "{\"ssid\":\"Den\",\"channel\":\"auto\",\"security\":\"WPA-PSK / WPA2-PSK\",\"mode\":5,"
       "\"key\":\"100%sure pass\"}\n",
       ""},
      {{"--router=@", "read", "sysinfo", "--json"}, 0,
       "{\"region-usa\":0,\"channels\":[1,2,3,4,5,6,7,8,9,10,11,12,13]}\n", ""},
      {{"--router=@", "set-wireless", "--ssid", cafe, "--security", "none"}, 0, "ssid=" + cafe + "\n", ""},
      {{"--router=@", "set-wireless", "--ssid=" + std::string(16 * 2, 'x') + "\xC3\xA9"}, 2, "",
       "kelvane-cli: --ssid takes 1 to 32 bytes of UTF-8 text without control characters" + usageEnd},
      {{"--router=@", "set-wireless", "--ssid", "C1\xC2\x9B"}, 2, "",
       "kelvane-cli: --ssid takes 1 to 32 bytes of UTF-8 text without control characters" + usageEnd},
      // Checked before anything is sent, to a router that answers or not.
      {{"--router=@", "set-wireless", "--key", "abc"}, 2, "",
       "kelvane-cli: a key is a WEP key (5 or 13 characters, 10 or 26 hexadecimal digits) or a WPA key (8 to 63 "
       "characters, 64 hexadecimal digits)" + usageEnd},
      {{"--router=" + dead, "set-wireless", "--security=wpa2", "--key=short"}, 2, "",
       "kelvane-cli: a WPA key is 8 to 63 characters or 64 hexadecimal digits" + usageEnd},
      {{"--router=" + dead, "set-lan", "192.168.1"}, 2, "", "kelvane-cli: 192.168.1 is not a dotted IPv4 address" + usageEnd},
      {{"--router=" + dead, "set-wan", "static", "--ip=1.2.3"}, 2, "",
       "kelvane-cli: missing or invalid: --ip, --mask, --gateway, --dns1" + usageEnd},
      {{"renew"}, 1, "", "kelvane-cli: nothing to renew: no interface takes its address by DHCP\n", true},
      {{"release"}, 1, "", "kelvane-cli: nothing to release: no interface takes its address by DHCP\n", true},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args = row.args;
    for (std::string& a : args) {
      if (const std::size_t at = a.find('@'); at != std::string::npos) a.replace(at, 1, sim_->Address());
    }
    sim_->ClearLog();
    CliResult r;
    if (row.inProcess) {
      SimHostNetwork pc;  // no adapters: no lease anywhere
      HostNetwork* previous = SetActiveHostNetwork(&pc);
      cli::CommandTable table;
      cli::RegisterRouterCommands(table);
      cli::RegisterHostCommands(table);
      std::ostringstream out, err;
      r.status = cli::RunCli(args, table, WizardState::Instance(), out, err);
      r.out = out.str();
      r.err = err.str();
      SetActiveHostNetwork(previous);
    } else {
      r = RunCli(args);
    }
    const std::string line = args[0] + " " + args.back();
    EXPECT_EQ(r.status, row.status) << line << ": " << r.err;
    EXPECT_EQ(r.out.substr(0, row.outStart.size()), row.outStart) << line;
    EXPECT_EQ(r.err, row.err) << line;
    if (row.status == 2) {
      EXPECT_TRUE(Lines().empty()) << line;  // nothing sent
    }
  }
  EXPECT_EQ(sim_->StateCopy().ssid, cafe);
}

}  // namespace
}  // namespace kelvane
