// Wireless, LAN and maintenance commands against the emulated router.
#include "router/WirelessLanCommands.h"

#include <gtest/gtest.h>

#include "router/RouterRequest.h"
#include "router/StatusReaders.h"
#include "router_test_fixture.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;

class WirelessLanTest : public testing::LayoutRouterSimTest {
 protected:
  void SetWireless(std::int32_t mode, const char* channel, std::uint8_t keyIsText) {
    state_.WirelessSettings.securityMode = mode;
    state_.WirelessSettings.channel = channel;
    state_.WirelessSettings.keyIsText = keyIsText;
  }
};

TEST_P(WirelessLanTest, WirelessRequestsBySecurityMode) {
  const std::string base = "/cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa";
  const std::string hexKey(64, 'a');
  struct Case {
    std::int32_t mode;
    std::uint8_t text;
    const char* ssid;
    std::string key;
    std::string tail;  // after the base
    int timeout;
    const char* code;  // the router's status code afterwards
  };
  const Case cases[] = {
      {0, 1, "LMQ-5812", "", "&ZN=LMQ-5812&ZC=0&CS=0", 10, "0"},
      {0, 1, "Caf\xc3\xa9 5G", "", "&ZN=Caf%C3%A9%205G&ZC=0&CS=0", 10, "0"},
      {1, 1, "Cafe & Bar", "abcdefghijklm", "&ZN=Cafe%20%26%20Bar&ZC=0&CS=1&ZS=130&KM%23=000F&ZO0=abcdefghijklm", 10,
       "1"},
      {1, 0, "n", "0123456789", "&ZN=n&ZC=0&CS=1&ZS=1&KM%23=000F&ZO0=0123456789", 10, "1"},
      {1, 1, "n", "ab#de", "&ZN=n&ZC=0&CS=1&ZS=129&KM%23=000F&ZO0=ab%23de", 10, "1"},
      {1, 0, "n", "0123456789ABCDEF0123456789", "&ZN=n&ZC=0&CS=1&ZS=2&KM%23=000F&ZO0=0123456789ABCDEF0123456789",
       10, "1"},
      {8, 1, "n", "pass phrase+1", "&ZN=n&ZC=0&KM%23=00FF&KM4=o&CS=4&KM5=x&PK=pass%20phrase%2B1", 25, "4"},
      {2, 1, "n", "12345678", "&ZN=n&ZC=0&KM%23=00FF&KM4=o&CS=3&KM5=x&PK=12345678", 25, "2"},
      {5, 0, "n", hexKey, "&ZN=n&ZC=0&KM%23=00FF&KM4=o&CS=5&KM5=o&PK=" + hexKey, 25, "5"},
      {9, 1, "n", "mixed-mode", "&ZN=n&ZC=0&KM%23=00FF&KM4=o&CS=5&KM5=x&PK=mixed-mode", 25, "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    SetWireless(c.mode, "Auto", c.text);
    int timeout = 0;
    WizardState probe = state_;
    WirelessSettingsUrl(c.ssid, c.key, probe, timeout);
    EXPECT_EQ(timeout, c.timeout);
    ASSERT_TRUE(SetWirelessSettings(c.ssid, c.key, state_));
    EXPECT_EQ(LastLine(), Get(base + c.tail));
    // "Auto" is stored back as the router's "0".
    EXPECT_EQ(state_.WirelessSettings.channel, "0");
    const RouterSimState s = sim_->StateCopy();
    EXPECT_EQ(s.ssid, c.ssid);
    EXPECT_EQ(s.channel, "0");
    EXPECT_EQ(s.securityCode, c.code);
    if (c.mode == 1) {
      EXPECT_EQ(s.wepKey, c.key);
    } else if (c.mode >= 2) {
      EXPECT_EQ(s.psk, c.key);
    }
  }
}

TEST_P(WirelessLanTest, WirelessRoundTripThroughTheStatusPage) {
  SetWireless(kSecurityWpa2Psk, "6", 1);
  ASSERT_TRUE(SetWirelessSettings("Attic", "correct horse", state_));
  std::string ssid, channel, text, key;
  ASSERT_TRUE(ReadWirelessStatus(ssid, channel, text, key, state_.WirelessSettings.securityMode, state_));
  EXPECT_EQ(ssid, "Attic");
  EXPECT_EQ(channel, "6");
  EXPECT_EQ(text, "WPA2-PSK");
  EXPECT_EQ(key, "correct%20horse");
  EXPECT_EQ(state_.WirelessSettings.securityMode, kSecurityWpa2Psk);
}

TEST_P(WirelessLanTest, UnknownModeSendsNoSecurityFields) {
  SetWireless(3, "11", 1);
  ASSERT_TRUE(SetWirelessSettings("n", "k", state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa&ZN=n&ZC=11"));
}

TEST_P(WirelessLanTest, LanAddressKeepsTheBoxesAndWaitsForTheRestart) {
  sim_->WithState([](RouterSimState& s) {
    s.forms["0100"].df00 = true;
    s.forms["0100"].df01 = false;
  });
  ASSERT_TRUE(SetLanAddress("192.168.7.1", state_));
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Get("/prim.htm"));
  EXPECT_EQ(lines[1], Get("/cgi-bin/prim?rc=@&rd=zero&LI=192.168.7.1&ai=0&DF00=o&DF01=x"));
  RouterSimState s = sim_->StateCopy();
  EXPECT_EQ(s.lanAddress, "192.168.123.254");
  EXPECT_EQ(s.pendingLanAddress, "192.168.7.1");
  EXPECT_TRUE(s.forms.at("0100").df00);

  // The static form has no boxes: only LI is sent.
  sim_->WithState([](RouterSimState& s2) { s2.formType = routersim::kWtStatic; });
  sim_->ClearLog();
  ASSERT_TRUE(SetLanAddress("192.168.7.2", state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/prim?rc=@&rd=zero&LI=192.168.7.2&ai=0"));

  // The restart takes the router off the air for a while, then applies it.
  // Long enough that a loaded machine still sees it off the air.
  sim_->SetRestartMs(1500);
  ASSERT_TRUE(RebootRouter(state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/rebo?"));
  EXPECT_TRUE(sim_->OffAir());
  std::string page;
  EXPECT_FALSE(RouterReadPage(state_, "/prim.htm", page));
  ASSERT_TRUE(testing::WaitUntil([&] { return !sim_->OffAir(); }));
  EXPECT_TRUE(RouterReadPage(state_, "/prim.htm", page));
  s = sim_->StateCopy();
  EXPECT_EQ(s.lanAddress, "192.168.7.2");
  EXPECT_EQ(s.pendingLanAddress, "");
}

TEST_P(WirelessLanTest, DomainNameIsEscapedAndStored) {
  ASSERT_TRUE(SetLanDomainName("home lan&x", state_));
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Get("/prim.htm"));
  EXPECT_EQ(lines[1], Get("/cgi-bin/dhcp?rc=@&rd=zero&HD=home%20lan%26x&ai=0"));
  EXPECT_EQ(sim_->StateCopy().domainName, "home lan&x");
}

// The factory settings take effect when the router restarts, as its own page
// says: until then it keeps its address and login word, so the restart can be
// asked for.
TEST_P(WirelessLanTest, RefreshAndFactoryResetAtTheRestart) {
  ASSERT_TRUE(RefreshWanStatus(state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/want?rc=&rf=&UB=0001&rd=status"));
  sim_->WithState([](RouterSimState& s) {
    s.loginWord = "changed";
    s.ssid = "Mine";
    s.channel = "3";
    s.lanAddress = "10.1.1.1";
    s.wanType = routersim::kWtPppoe;
  });
  ASSERT_TRUE(ResetRouterToDefaults(state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/rset?rc=@&rd=_toolbox"));
  RouterSimState s = sim_->StateCopy();
  EXPECT_TRUE(s.factoryResetPending);
  EXPECT_EQ(s.loginWord, "changed");
  EXPECT_EQ(s.lanAddress, "10.1.1.1");
  EXPECT_FALSE(sim_->OffAir());

  sim_->SetRestartMs(1500);  // still off the air when checked, even on a loaded machine
  ASSERT_TRUE(RebootRouter(state_));
  EXPECT_TRUE(sim_->OffAir());
  ASSERT_TRUE(testing::WaitUntil([&] { return !sim_->OffAir(); }));
  s = sim_->StateCopy();
  EXPECT_FALSE(s.factoryResetPending);
  EXPECT_EQ(s.loginWord, "kwzpo");
  EXPECT_EQ(s.ssid, "LMQ-5812");
  EXPECT_EQ(s.channel, "11");
  EXPECT_EQ(s.lanAddress, "192.168.123.254");
  EXPECT_EQ(s.wanType, "0100");
}

TEST_P(WirelessLanTest, RestartThatNeverReturns) {
  routersim::RouterSimFaults faults;
  faults.restartNeverReturns = true;
  sim_->SetFaults(faults);
  ASSERT_TRUE(RebootRouter(state_));
  std::string page;
  EXPECT_FALSE(RouterReadPage(state_, "/zero.htm", page));
  EXPECT_TRUE(sim_->OffAir());
}

TEST_P(WirelessLanTest, MisbehavingRouterFailsTheCommand) {
  routersim::RouterSimFaults faults;
  faults.wrongStatus = 500;
  faults.match = "wlap";
  sim_->SetFaults(faults);
  SetWireless(kSecurityNone, "11", 1);
  EXPECT_FALSE(SetWirelessSettings("n", "", state_));
  // A dripping router still delivers the whole answer.
  faults = {};
  faults.dripBytes = 7;
  faults.dripPauseMs = 1;
  sim_->SetFaults(faults);
  EXPECT_TRUE(RebootRouter(state_));
}

KELVANE_INSTANTIATE_ALL_LAYOUTS(WirelessLanTest);

}  // namespace
}  // namespace kelvane
