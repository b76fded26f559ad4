// Commands the router refuses with a script alert on an otherwise ordinary
// 200 page: every one of them reports failure, with the alert text as the
// reason, and the router keeps what it had. In all three page layouts.
#include <gtest/gtest.h>

#include <functional>

#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "router/WanCommands.h"
#include "router/WirelessLanCommands.h"
#include "router_test_fixture.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;

class RefusedCommandsTest : public testing::LayoutRouterSimTest {};

// Values the router itself refuses: it answers alert("...") and stores nothing.
TEST_P(RefusedCommandsTest, RefusedValuesFail) {
  struct Case {
    const char* name;
    std::function<bool(WizardState&)> command;
    const char* alert;
  };
  const Case cases[] = {
      {"static WAN with an address above 255",
       [](WizardState& s) {
         s.StaticIpSettings.ipAddress = "203.0.113.300";
         return ApplyWanSettings(kWanStaticIp, s);
       },
       "Invalid IP address: WI"},
      {"PPTP with a gateway that is no address",
       [](WizardState& s) {
         s.PptpSettings.gateway = "gw";
         return ApplyWanSettings(kWanPptp, s);
       },
       "Invalid IP address: WG"},
      {"WEP key of the wrong length",
       [](WizardState& s) {
         s.WirelessSettings.securityMode = kSecurityWep;
         return SetWirelessSettings("net", "abc", s);
       },
       "Invalid WEP key"},
      {"channel the region does not allow",
       [](WizardState& s) {
         s.WirelessSettings.channel = "14";
         return SetWirelessSettings("net", "", s);
       },
       "Invalid channel"},
      {"LAN address above 255", [](WizardState& s) { return SetLanAddress("192.168.1.256", s); },
       "Invalid LAN IP address"},
      {"domain name too long", [](WizardState& s) { return SetLanDomainName(std::string(40, 'd'), s); },
       "Invalid domain name"},
      {"MAC with colons", [](WizardState& s) { return SetWanMacAddress("00:11:22:33:44:55", s); },
       "Invalid MAC address"},
  };
  const RouterSimState before = sim_->StateCopy();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardState state = state_;
    EXPECT_FALSE(c.command(state));
    EXPECT_EQ(LastRouterFailure().kind, RouterFailureKind::kValueRefused);
    EXPECT_EQ(LastRouterFailure().detail, c.alert);
  }
  const RouterSimState after = sim_->StateCopy();
  EXPECT_EQ(after.wanType, before.wanType);
  EXPECT_EQ(after.ssid, before.ssid);
  EXPECT_EQ(after.channel, before.channel);
  EXPECT_EQ(after.pendingLanAddress, "");
  EXPECT_EQ(after.domainName, before.domainName);
  EXPECT_EQ(after.wanMac, before.wanMac);
}

// A router that refuses whatever it is asked: every command of every kind
// fails, the refresh, restart and reset included, and nothing restarts.
TEST_P(RefusedCommandsTest, EveryCommandFailsOnAnAlert) {
  routersim::RouterSimFaults faults;
  faults.refuseAlert = "Router busy";
  faults.match = "cgi-bin/";
  sim_->SetFaults(faults);
  state_.PppoeSettings.userName = "u";
  state_.PptpSettings.server = "vpn.example.net";
  const std::pair<const char*, std::function<bool()>> commands[] = {
      {"dynamic", [&] { return ApplyWanSettings(kWanDynamicIp, state_); }},
      {"static", [&] { return ApplyWanSettings(kWanStaticIp, state_); }},
      {"PPPoE", [&] { return ApplyWanSettings(kWanPppoe, state_); }},
      {"PPTP", [&] { return ApplyWanSettings(kWanPptp, state_); }},
      {"L2TP", [&] { return ApplyWanSettings(kWanL2tp, state_); }},
      {"BigPond", [&] { return ApplyWanSettings(kWanBigPond, state_); }},
      {"Telia", [&] { return ApplyWanSettings(kWanTelia, state_); }},
      {"wireless", [&] { return SetWirelessSettings("net", "", state_); }},
      {"LAN address", [&] { return SetLanAddress("192.168.5.1", state_); }},
      {"domain", [&] { return SetLanDomainName("home", state_); }},
      {"MAC", [&] { return SetWanMacAddress("00-11-22-33-44-55", state_); }},
      {"MAC clone", [&] { return CloneMacAddress(state_); }},
      {"password", [&] { return ChangeRouterPassword("kwzpo", "other", state_); }},
      {"refresh", [&] { return RefreshWanStatus(state_); }},
      {"reboot", [&] { return RebootRouter(state_); }},
      {"reset", [&] { return ResetRouterToDefaults(state_); }},
  };
  for (const auto& [name, command] : commands) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(command());
    EXPECT_EQ(LastRouterFailure().kind, RouterFailureKind::kValueRefused);
    EXPECT_EQ(LastRouterFailure().detail, "Router busy");
  }
  EXPECT_FALSE(sim_->OffAir());
  EXPECT_EQ(sim_->StateCopy().loginWord, "kwzpo");
  // The same commands go through once the router takes them.
  sim_->SetFaults({});
  EXPECT_TRUE(RefreshWanStatus(state_));
  EXPECT_TRUE(ChangeRouterPassword("kwzpo", "other", state_));
  EXPECT_EQ(sim_->StateCopy().loginWord, "other");
}

KELVANE_INSTANTIATE_ALL_LAYOUTS(RefusedCommandsTest);

}  // namespace
}  // namespace kelvane
