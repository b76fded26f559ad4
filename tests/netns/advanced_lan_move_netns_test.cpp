// The router sheet's LAN move on a real network: the LAN address is changed,
// the router restarted, and the PC — through its plain DHCP client, and
// through the bed's real NetworkManager — gives up its lease, takes one in the
// router's new network and talks to the router at its new address. A factory
// reset with a restart on the same visit brings everything back to
// 192.168.123.0/24. These are the steps the LAN and system tabs run.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "BuiltProgram.h"
#include "steps/advanced/LanSettingsStep.h"
#include "steps/advanced/RouterAccess.h"
#include "steps/advanced/RouterMove.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "netns/NetnsFixture.h"
#include "router/WanSettingsReader.h"
#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

using testbed::Dotted;
using testbed::PcNetwork;
using testbed::ReadText;
using testbed::Role;

// A real router's DHCP service goes down with it when it restarts; the bed's
// dnsmasq stands beside the emulator and would go on serving the old network
// until the restart's hook moves it, handing a quick client a lease in the
// network the router is leaving. So the step stops it first, as the restart
// does on a router; the hook starts it again for the new network.
void StopRouterDhcp(const std::string& bedDir) {
  const pid_t pid = static_cast<pid_t>(std::atol(ReadText(bedDir + "/dnsmasq-router.pid").c_str()));
  if (pid <= 1 || kill(pid, SIGTERM) != 0) return;
  for (int i = 0; i < 100 && kill(pid, 0) == 0; ++i) usleep(50 * 1000);
}

class LanMoveNetns : public testbed::BedFixture<::testing::TestWithParam<PcNetwork>> {
 protected:
  void SetUp() override {
    testbed::NetnsBedOptions options;
    options.pc = GetParam();
    StartBed(options, {"lmq-routersim", "lan-dhcp-hook.sh"});
    if (!BedUp()) return;
    StartEmulator({"env", "KV_DHCP_DIR=" + bed_->TempDir(), std::string("KV_DHCP_UPSTREAM=") + testbed::kIspAddress,
                   testing::BuiltProgram("lmq-routersim"), "--listen", "192.168.123.254", "--log", "--restart-ms",
                   "300", "--domain", "home.lan", "--lan-interface", "lan0", "--on-lan-change",
                   testing::BuiltProgram("lan-dhcp-hook.sh")});
  }
};

TEST_P(LanMoveNetns, ThePcFollowsTheRouterToItsNewNetworkAndBackAfterAFactoryReset) {
  std::string report;
  const std::string bedDir = bed_->TempDir();
  const int code = bed_->RunInRole(
      Role::kPc,
      [bedDir](std::string& out) {
        std::ostringstream r;
        LinuxHostNetwork host;
        WizardState state;
        ResetRouterDefaults(state);
        RecordingNarrator narrator;
        // The router answers once it is up; the search tries for a while.
        RouterAccessOutcome reach = RouterAccessOutcome::kNoRouter;
        for (int i = 0; i < 10 && reach != RouterAccessOutcome::kReady; ++i) reach = ReachRouter(state, host);
        r << "reach=" << static_cast<int>(reach) << " at " << state.routerAddress.view() << "\n";
        if (reach != RouterAccessOutcome::kReady) {
          out = r.str();
          return 1;
        }
        const LanStoreResult stored = StoreLanSettings("192.168.77.1", " office ", true, state);
        r << "stored=" << static_cast<int>(stored.outcome) << "\n";
        StopRouterDhcp(bedDir);
        r << "reboot=" << RebootRouter(state) << "\n";
        const RouterMoveReport moved = FollowRouterToNewNetwork(state, host, narrator);
        r << "moved=" << moved.released << moved.renewed << moved.pcAddress << moved.routerFound << moved.loggedIn
          << "\nrouter=" << state.routerAddress.view() << "\npc=" << Dotted(state.pcAddress) << "\n";
        std::string domain;
        r << "domainRead=" << static_cast<int>(ReadLanDomainName(state, domain)) << "\ndomain=" << domain << "\n";

        r << "reset=" << ResetRouterToDefaults(state) << "\n";
        StopRouterDhcp(bedDir);
        r << "reboot2=" << RebootRouter(state) << "\n";
        const RouterMoveReport back = FollowRouterToNewNetwork(state, host, narrator);
        r << "back=" << back.released << back.renewed << back.pcAddress << back.routerFound << back.loggedIn
          << "\nrouter2=" << state.routerAddress.view() << "\npc2=" << Dotted(state.pcAddress) << "\n";
        out = r.str();
        return 0;
      },
      report, 240000);
  ASSERT_EQ(code, 0) << report << ReadText(RouterLog());
  const auto has = [&](const std::string& line) { return report.find(line + "\n") != std::string::npos; };
  EXPECT_TRUE(has("stored=0")) << report;
  EXPECT_TRUE(has("reboot=1")) << report;
  EXPECT_TRUE(has("moved=11111")) << report << ReadText(RouterLog());
  EXPECT_TRUE(has("router=192.168.77.1")) << report;
  EXPECT_NE(report.find("pc=192.168.77."), std::string::npos) << report;
  EXPECT_TRUE(has("domainRead=0")) << report;
  EXPECT_TRUE(has("domain=office")) << report;
  EXPECT_TRUE(has("back=11111")) << report;
  EXPECT_TRUE(has("router2=192.168.123.254")) << report;
  EXPECT_NE(report.find("pc2=192.168.123."), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(DhcpClients, LanMoveNetns,
                         ::testing::Values(PcNetwork::kDhclient, PcNetwork::kNetworkManager),
                         [](const ::testing::TestParamInfo<PcNetwork>& info) {
                           return info.param == PcNetwork::kDhclient ? std::string("Dhclient")
                                                                     : std::string("NetworkManager");
                         });

}  // namespace
}  // namespace kelvane
