// The emulated router in the namespace bed, where it behaves as a router on a
// real network: a dial-on-demand WAN that comes up only once the PC's echo
// toward a public host goes by on its LAN side, and a LAN address change that
// takes effect at the restart (the router and its DHCP service move to the
// new network, and a factory reset with a restart brings them back).
#include <gtest/gtest.h>

#include <string>

#include "BuiltProgram.h"
#include "net/HttpClient.h"
#include "net/Wait.h"
#include "netns/NetnsFixture.h"
#include "router/StatusReaders.h"
#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

using testbed::ReadText;
using testbed::Role;

class RouterSimNetns : public testbed::BedTest {
 protected:
  void SetUp() override { StartBed({}, {"lmq-routersim", "lan-dhcp-hook.sh"}); }

  void StartRouter(const std::vector<std::string>& extra, const std::vector<std::string>& env = {}) {
    std::vector<std::string> argv = {"env"};
    argv.insert(argv.end(), env.begin(), env.end());
    argv.insert(argv.end(), {testing::BuiltProgram("lmq-routersim"), "--listen", "192.168.123.254", "--no-udp",
                             "--log", "--restart-ms", "1000"});
    argv.insert(argv.end(), extra.begin(), extra.end());
    StartEmulator(argv);
  }

  void PcAddress(const std::string& cidr, const std::string& gateway = "") {
    PcIp({"-4", "addr", "flush", "dev", "lan0"});
    PcIp({"addr", "add", cidr, "dev", "lan0"});
    if (!gateway.empty()) PcIp({"route", "add", "default", "via", gateway});
  }

  // "up gateway dns" as the PC reads them from the router.
  std::string WanAddresses() {
    std::string report;
    bed_->RunInRole(
        Role::kPc,
        [](std::string& out) {
          WizardState state;
          ResetRouterDefaults(state);
          state.routerAddress = "192.168.123.254";
          std::uint8_t up = 0;
          std::string gateway, dns;
          const bool ok = ReadWanAddresses(up, gateway, dns, state);
          out = std::to_string(up) + " " + gateway + " " + dns;
          return ok ? 0 : 1;
        },
        report);
    return report;
  }

  bool Ping(const std::string& address) {
    return bed_->Exec(Role::kPc, {"ping", "-n", "-c", "1", "-W", "2", address}).exitCode == 0;
  }

  // Runs one DHCP exchange in the PC's namespace without letting the client
  // change anything (its script does nothing); answers the address leased.
  std::string LeaseFromDhcp(const std::string& name) {
    const std::string leases = bed_->TempDir() + "/pc-" + name + ".leases";
    const testbed::ExecResult r =
        bed_->Exec(Role::kPc,
                  {"dhclient", "-4", "-1", "-sf", "/bin/true", "-lf", leases, "-pf",
                   bed_->TempDir() + "/pc-" + name + ".pid", "lan0"},
                  60000);
    if (r.exitCode != 0) return "dhclient failed: " + r.output;
    const std::string text = ReadText(leases);
    const std::size_t at = text.rfind("fixed-address ");
    if (at == std::string::npos) return "no lease: " + text;
    const std::size_t from = at + 14;
    return text.substr(from, text.find(';', from) - from);
  }

  // Whether the router's LAN interface holds exactly `address`/24, within 20 s.
  bool RouterLanBecomes(const std::string& address) {
    return WaitUntil(20000, [&] {
      const std::string shown = bed_->Exec(Role::kRouter, {"ip", "-4", "-o", "addr", "show", "dev", "lan0"}).output;
      std::size_t count = 0;
      for (std::size_t at = shown.find(" inet "); at != std::string::npos; at = shown.find(" inet ", at + 1))
        ++count;
      return count == 1 && shown.find(" inet " + address + "/24 ") != std::string::npos;
    });
  }

  // Runs a router command from the PC against `routerAddress`.
  bool FromPc(const std::string& routerAddress, bool (*command)(WizardState&)) {
    std::string report;
    return bed_->RunInRole(
               Role::kPc,
               [&](std::string&) {
                 WizardState state;
                 ResetRouterDefaults(state);
                 state.routerAddress = routerAddress;
                 return command(state) ? 0 : 1;
               },
               report) == 0;
  }

  bool PageAt(const std::string& address) {
    std::string report;
    return bed_->RunInRole(
               Role::kPc,
               [&](std::string&) {
                 std::string page;
                 return WaitUntil(10000, [&] { return HttpGet(address + "/zero.htm", page, 2); }) ? 0 : 1;
               },
               report) == 0;
  }

};

TEST_F(RouterSimNetns, DialOnDemandWanComesUpOnThePcsEchoToThePublicHost) {
  PcAddress("192.168.123.10/24", "192.168.123.254");
  StartRouter({"--dial-on-demand", "lan0", "--isp-gateway", testbed::kIspAddress, "--isp-dns1",
               testbed::kIspAddress, "--isp-dns2", ""});
  EXPECT_EQ(WanAddresses(), "0 0.0.0.0 0.0.0.0");
  // An echo to the router itself stays on the LAN: no dialling.
  ASSERT_TRUE(Ping(testbed::kRouterLanAddress));
  EXPECT_EQ(WanAddresses(), "0 0.0.0.0 0.0.0.0");
  // The wake-up echo toward the public host passes through the router.
  EXPECT_TRUE(Ping(testbed::kPublicHost));
  const std::string up = std::string("1 ") + testbed::kIspAddress + " " + testbed::kIspAddress;
  std::string seen;
  EXPECT_TRUE(WaitUntil(10000, [&] { return (seen = WanAddresses()) == up; })) << seen;
  // The addresses it reports are the bed's provider hosts: they answer.
  EXPECT_TRUE(Ping(testbed::kIspAddress));
  EXPECT_NE(ReadText(RouterLog()).find(std::string("WAKE-UP ECHO to ") + testbed::kPublicHost), std::string::npos)
      << ReadText(RouterLog());
}

TEST_F(RouterSimNetns, LanAddressMovesAtTheRestartAndFactoryResetBringsItBack) {
  PcAddress("192.168.123.10/24");
  StartRouter({"--lan-interface", "lan0", "--on-lan-change", testing::BuiltProgram("lan-dhcp-hook.sh")},
              {"KV_DHCP_DIR=" + bed_->TempDir(), std::string("KV_DHCP_UPSTREAM=") + testbed::kIspAddress});

  // The new address waits for the restart.
  ASSERT_TRUE(FromPc("192.168.123.254", [](WizardState& s) { return SetLanAddress("192.168.77.1", s); }));
  ASSERT_TRUE(PageAt("192.168.123.254"));
  ASSERT_TRUE(FromPc("192.168.123.254", [](WizardState& s) { return RebootRouter(s); }));
  ASSERT_TRUE(RouterLanBecomes("192.168.77.1")) << ReadText(RouterLog());

  // The DHCP service serves the new network, and the router answers there.
  PcIp({"-4", "addr", "flush", "dev", "lan0"});
  const std::string leased = LeaseFromDhcp("new");
  ASSERT_EQ(leased.rfind("192.168.77.", 0), 0u) << leased;
  PcAddress(leased + "/24");
  EXPECT_TRUE(PageAt("192.168.77.1")) << ReadText(RouterLog());

  // Factory reset, then restart: back to 192.168.123.254/24 and its DHCP
  // range. The reset alone changes nothing yet.
  ASSERT_TRUE(FromPc("192.168.77.1", [](WizardState& s) { return ResetRouterToDefaults(s); }));
  ASSERT_TRUE(PageAt("192.168.77.1"));
  ASSERT_TRUE(FromPc("192.168.77.1", [](WizardState& s) { return RebootRouter(s); }));
  ASSERT_TRUE(RouterLanBecomes("192.168.123.254")) << ReadText(RouterLog());
  PcIp({"-4", "addr", "flush", "dev", "lan0"});
  const std::string back = LeaseFromDhcp("back");
  ASSERT_EQ(back.rfind("192.168.123.", 0), 0u) << back;
  PcAddress(back + "/24");
  EXPECT_TRUE(PageAt("192.168.123.254"));
  EXPECT_EQ(ReadText(bed_->TempDir() + "/lan-changes.log"),
            "192.168.77.1 24 lan0 192.168.123.254\n192.168.123.254 24 lan0 192.168.77.1\n");
}

}  // namespace
}  // namespace kelvane
