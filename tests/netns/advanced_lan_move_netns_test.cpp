// The router sheet's LAN move on a real network: the LAN address is changed,
// the router restarted, and the PC — through its plain DHCP client, and
// through the bed's real NetworkManager — gives up its lease, takes one in the
// router's new network and talks to the router at its new address. A factory
// reset with a restart on the same visit brings everything back to
// 192.168.123.0/24. These are the steps the LAN and system tabs run.
#include <gtest/gtest.h>

#include <unistd.h>

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

// A real router's DHCP service goes down with it when it restarts, not
// before, and comes back with it. The bed's dnsmasq stands beside the
// emulator, so a watcher in the router's namespace follows the emulator's
// log: at each RESTART it stops the service; when the router is back on the
// air at the address it had, it starts it again (a new address is the
// emulator's own LAN-change hook's to serve).
const char* const kDhcpFollowsRestarts = R"sh(log=$1; pidfile=$2; hook=$3; at=$4; seen=0; back=0
alive() { [ -s "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; }
while :; do
  n=$(grep -cx RESTART "$log" 2>/dev/null); n=${n:-0}
  if [ "$n" -gt "$seen" ]; then seen=$n; alive && kill "$(cat "$pidfile")"; fi
  b=$(grep -c '^BACK ON THE AIR at ' "$log" 2>/dev/null); b=${b:-0}
  if [ "$b" -gt "$back" ]; then
    back=$b
    now=$(grep '^BACK ON THE AIR at ' "$log" | tail -n 1 | sed 's/^BACK ON THE AIR at //')
    if [ "$now" = "$at" ]; then sleep 0.3; alive || "$hook" "$at" 24 lan0 "$at" >/dev/null 2>&1; fi
    at=$now
  fi
  sleep 0.02
done)sh";

// The recording narrator with its pauses taken for real, as the window's
// narrator takes them: the router needs real time to come up in its new
// network.
class PacedNarrator : public RecordingNarrator {
 public:
  void Pause(int ms) override {
    RecordingNarrator::Pause(ms);
    usleep(static_cast<useconds_t>(ms) * 1000);
  }
};

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
    const std::vector<std::string> follower = {
        "env", "KV_DHCP_DIR=" + bed_->TempDir(), std::string("KV_DHCP_UPSTREAM=") + testbed::kIspAddress, "sh", "-c",
        kDhcpFollowsRestarts, "sh", RouterLog(), bed_->TempDir() + "/dnsmasq-router.pid",
        testing::BuiltProgram("lan-dhcp-hook.sh"), "192.168.123.254"};
    ASSERT_GT(bed_->Spawn(Role::kRouter, follower, bed_->TempDir() + "/dhcp-follower.log"), 0);
  }
};

TEST_P(LanMoveNetns, ThePcFollowsTheRouterToItsNewNetworkAndBackAfterAFactoryReset) {
  std::string report;
  const int code = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        std::ostringstream r;
        LinuxHostNetwork host;
        WizardState state;
        ResetRouterDefaults(state);
        PacedNarrator narrator;
        // The router answers once it is up; the search tries for a while.
        RouterAccessOutcome reach = RouterAccessOutcome::kNoRouter;
        for (int i = 0; i < 10 && reach != RouterAccessOutcome::kReady; ++i) reach = ReachRouter(state, host);
        r << "reach=" << static_cast<int>(reach) << " at " << state.routerAddress.view() << "\n";
        if (reach != RouterAccessOutcome::kReady) {
          out = r.str();
          return 1;
        }
        PendingRouterMove pending;
        const LanStoreResult stored = StoreLanSettings("192.168.77.1", " office ", true, state);
        pending.LanAddressStored("192.168.77.1", state);
        r << "stored=" << static_cast<int>(stored.outcome) << "\n";
        // The router's DHCP goes down with the restart: the PC waits for the
        // router to leave before it renews.
        const RouterRestartReport restart = RestartRouterAndFollow(state, host, narrator, pending);
        const RouterMoveReport& moved = restart.move;
        r << "reboot=" << restart.restarted << "\nleft=" << restart.routerLeft << "\n";
        r << "moved=" << moved.released << moved.renewed << moved.pcAddress << moved.routerFound << moved.loggedIn
          << "\nrouter=" << state.routerAddress.view() << "\npc=" << Dotted(state.pcAddress) << "\n";
        std::string domain;
        r << "domainRead=" << static_cast<int>(ReadLanDomainName(state, domain)) << "\ndomain=" << domain << "\n";

        r << "reset=" << ResetRouterToDefaults(state) << "\n";
        pending.FactoryReset();
        const RouterRestartReport restart2 = RestartRouterAndFollow(state, host, narrator, pending);
        const RouterMoveReport& back = restart2.move;
        r << "reboot2=" << restart2.restarted << "\n";
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
  EXPECT_TRUE(has("left=1")) << report;
  EXPECT_TRUE(has("moved=11111")) << report << ReadText(RouterLog());
  EXPECT_TRUE(has("router=192.168.77.1")) << report;
  EXPECT_NE(report.find("pc=192.168.77."), std::string::npos) << report;
  EXPECT_TRUE(has("domainRead=0")) << report;
  EXPECT_TRUE(has("domain=office")) << report;
  EXPECT_TRUE(has("back=11111")) << report;
  EXPECT_TRUE(has("router2=192.168.123.254")) << report;
  EXPECT_NE(report.find("pc2=192.168.123."), std::string::npos) << report;
}

// The advanced mode in the real program (its start-up routine and main
// loop, on a virtual display when there is one) in the bed's PC: every Back
// leaves the program running on the menu, every action leaves the router
// reachable with what the program holds, and a new LAN address stored on the
// LAN tab is followed by a restart from the WAN tab.
TEST_P(LanMoveNetns, TheRealProgramWalksTheAdvancedMode) {
  const std::string walk = testing::BuiltProgram("startup_advanced_walk_test");
  if (walk.empty()) GTEST_SKIP() << "startup_advanced_walk_test is not built";
  std::vector<std::string> display = {"QT_QPA_PLATFORM=offscreen"};
  if (access("/usr/bin/Xvfb", X_OK) == 0) {
    int number = 99;
    while (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) ++number;
    const std::string name = ":" + std::to_string(number);
    ASSERT_GT(bed_->Spawn(Role::kPc, {"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                          bed_->TempDir() + "/xvfb.log"),
              0);
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    for (int i = 0; i < 200 && access(socket.c_str(), F_OK) != 0; ++i) usleep(50 * 1000);
    display = {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + name};
  }
  const std::string report = bed_->TempDir() + "/walk.report";
  std::vector<std::string> argv = {"env", "KELVANE_WALK=1", "LANG=en_US.UTF-8", "LC_ALL=", "KELVANE_TIME_SCALE=0.2",
                                   std::string("KELVANE_WALK_PUBLIC_HOST=") + testbed::kPublicHost,
                                   std::string("KELVANE_WALK_PUBLIC_DNS=") + testbed::kIspAddress,
                                   "KELVANE_WALK_SITE=www.kelvane.test", "KELVANE_WALK_NEW_LAN=192.168.77.1",
                                   "KELVANE_WALK_REPORT=" + report};
  argv.insert(argv.begin() + 1, display.begin(), display.end());
  argv.push_back(walk);
  const testbed::ExecResult walked = bed_->Exec(Role::kPc, argv, 500000);
  const std::string seen = ReadText(report);
  ASSERT_EQ(walked.exitCode, 0) << walked.output << "\n" << seen << "\nrouter log:\n"
                                << ReadText(RouterLog());
  const auto has = [&](const std::string& line) { return seen.find(line + "\n") != std::string::npos; };
  for (const char* back : {"pc-dialog", "internet-dialog", "router-sheet", "router-sheet-actions"}) {
    EXPECT_TRUE(has(std::string("back=") + back + " menu=1")) << back << "\n" << seen;
  }
  const struct {
    const char* action;
    const char* result;
    const char* at;
  } actions[] = {
      {"lan-store", "Saved. The setting takes effect after the router restarts.", "192.168.123.254"},
      {"wan-restart", "Done", "192.168.123.254"},
      {"wan-restart-after-new-address", "Done", "192.168.77.1"},
      {"lan-restart-after-restore", "Done", "192.168.123.254"},
  };
  for (const auto& a : actions) {
    EXPECT_NE(seen.find(std::string("action=") + a.action + " result=" + a.result + " reachable=1 at=" + a.at + "\n"),
              std::string::npos)
        << a.action << "\n" << seen;
  }
  EXPECT_EQ(seen.find("reachable=0"), std::string::npos) << seen;
  EXPECT_TRUE(has("finished=1")) << seen;
}

INSTANTIATE_TEST_SUITE_P(DhcpClients, LanMoveNetns,
                         ::testing::Values(PcNetwork::kDhclient, PcNetwork::kNetworkManager),
                         [](const ::testing::TestParamInfo<PcNetwork>& info) {
                           return info.param == PcNetwork::kDhclient ? std::string("Dhclient")
                                                                     : std::string("NetworkManager");
                         });

}  // namespace
}  // namespace kelvane
